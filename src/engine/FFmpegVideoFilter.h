// The video filter graph of an encoded stream: source, scaling, the user's chain and the sink.
#pragma once

#include "FFmpegJob.h"
#include "FFmpegOutputStream.h"

// Builds and configures AOst.graph for pictures of AIst's decoder: "buffer" → ["scale" when the
// encoder's size differs] → the stream's filter chain text → "buffersink" limited to the
// encoder's pixel format. The encoder's size and sample aspect ratio then come from the sink.
// Returns 0 or a negative FFmpeg error.
int build_video_filter_graph(TAVOutputStream& AOst, TAVInputStream& AIst);
