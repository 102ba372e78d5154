// TAVOutputStream: the record of one output stream of one output slot.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FFOwners.h"
#include "FFmpegFilterPipeline.h"
#include "FFmpegJob.h"

// The encoder context of a muxer stream. In join mode every slot's record of one stream index
// shares it, so the records hold it jointly.
using TSharedCodecContext = std::shared_ptr<AVCodecContext>;
TSharedCodecContext NewCodecContext(const AVCodec* ACodec);

struct TAVOutputStream {
  int file_index = 0;    // output slot
  int index = 0;         // stream index inside the output
  int source_index = 0;  // index in Finput_streams of the input stream that feeds it
  AVStream* st = nullptr;
  TSharedCodecContext enc_ctx;    // the encoder context (also holds a copy's parameters)
  TCodecContextPtr enc_template;  // join mode: the unopened set-up of each block's encoder
  int stream_copy = 0;            // the stream is copied, not encoded
  int encoding_needed = 0;
  int frame_number = 0;
  TAVInputStream* sync_ist = nullptr;
  std::int64_t sync_opts = 0;
  std::vector<std::string> bitstream_filters;  // filter names, in chain order
  std::vector<TBSFContextPtr> bitstream_filter_contexts;
  const AVCodec* enc = nullptr;
  int video_resample = 0;
  TFramePtr resample_frame;
  TSwsContextPtr img_resample_ctx;
  int resample_height = 0;
  int resample_width = 0;
  AVPixelFormat resample_pix_fmt = AV_PIX_FMT_NONE;
  AVRational frame_rate{0, 0};
  float frame_aspect_ratio = 0.0f;
  std::vector<std::int64_t> forced_kf_times;  // microseconds, as parsed
  std::vector<std::int64_t> forced_kf_pts;    // in the encoder time base, from set-up on
  int forced_kf_count = 0;
  int forced_kf_index = 0;
  int audio_resample = 0;
  TSwrContextPtr resample;
  AVSampleFormat resample_sample_fmt = AV_SAMPLE_FMT_NONE;
  int resample_channels = 0;
  int resample_sample_rate = 0;
  int reformat_pair = 0;
  TSwrContextPtr reformat_ctx;
  TAudioFifoPtr fifo;
  TFilePtr logfile;
  AVFilterContext* output_video_filter = nullptr;  // owned by graph
  AVFilterContext* input_video_filter = nullptr;
  TFramePtr picref;
  std::string avfilter;
  std::unique_ptr<TVideoFilterPipeline> graph;
  int sws_flags = 0;
  AVCodecID codec_id = AV_CODEC_ID_NONE;
  int show_fps = 0;
};
