// Choice of a sample format, sample rate or pixel format the encoder supports.
#pragma once

#include "FFHeaders.h"
#include "TObject.h"

// Each keeps the context's value when the encoder supports it (or lists nothing) and otherwise
// picks a supported one, logging a warning for ASender.
void pick_sample_format(TObject* ASender, AVCodecContext* AContext, const AVCodec* AEncoder);
void pick_sample_rate(TObject* ASender, AVCodecContext* AContext, const AVCodec* AEncoder);
void pick_pixel_format(TObject* ASender, AVCodecContext* AContext, const AVCodec* AEncoder);
