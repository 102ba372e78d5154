// The video filters of an encoded stream, from the decoder's pictures to the encoder's.
#pragma once

#include "FFmpegJob.h"
#include "FFmpegOutputStream.h"

// Builds AOst.graph for pictures of AIst's decoder: source (decoder geometry, time base
// 1/1000000, the stream's aspect) → ["scale" when the encoder's size differs] → the stream's
// filter chain text → sink in the encoder's pixel format. The encoder's size and sample aspect
// ratio then come from the sink. Returns 0 or a negative FFmpeg error.
int build_video_filter_graph(TObject* ASender, TAVOutputStream& AOst, TAVInputStream& AIst);
