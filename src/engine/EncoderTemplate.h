// Encoder templates: an unopened copy of an encoder context's set-up parameters, from which join
// mode builds a fresh encoder for every input block (an opened context cannot be reopened).
#pragma once

#include "FFOwners.h"

// A new unopened context for ACodec with every setting of ASource: its generic and private
// options and the fields the set-up fills that are no options (time base, geometry, formats,
// matrices, rate-control overrides, subtitle header); pass-two statistics stay with their
// context. Raises FFmpegException when memory runs out.
TCodecContextPtr CopyEncoderSettings(const AVCodecContext* ASource, const AVCodec* ACodec);
