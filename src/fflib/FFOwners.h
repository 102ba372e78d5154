// Owners of FFmpeg objects: std::unique_ptr types whose deleters call the bound functions.
#pragma once

#include <memory>

#include "FFLoad.h"

// A deleter calls its entry only while the library is bound: objects that outlive an Unload
// are left to the process end rather than called through a null entry.
struct TInputFormatDeleter {
  void operator()(AVFormatContext* p) const {
    if (FF.avformat_close_input) FF.avformat_close_input(&p);
  }
};
struct TFormatContextDeleter {
  void operator()(AVFormatContext* p) const {
    if (FF.avformat_free_context) FF.avformat_free_context(p);
  }
};
struct TCodecContextDeleter {
  void operator()(AVCodecContext* p) const {
    if (FF.avcodec_free_context) FF.avcodec_free_context(&p);
  }
};
struct TFrameDeleter {
  void operator()(AVFrame* p) const {
    if (FF.av_frame_free) FF.av_frame_free(&p);
  }
};
struct TPacketDeleter {
  void operator()(AVPacket* p) const {
    if (FF.av_packet_free) FF.av_packet_free(&p);
  }
};
struct TDictionaryDeleter {
  void operator()(AVDictionary* p) const {
    if (FF.av_dict_free) FF.av_dict_free(&p);
  }
};
struct TSwsContextDeleter {
  void operator()(SwsContext* p) const {
    if (FF.sws_freeContext) FF.sws_freeContext(p);
  }
};
struct TSwrContextDeleter {
  void operator()(SwrContext* p) const {
    if (FF.swr_free) FF.swr_free(&p);
  }
};
struct TFilterGraphDeleter {
  void operator()(AVFilterGraph* p) const {
    if (FF.avfilter_graph_free) FF.avfilter_graph_free(&p);
  }
};
struct TBSFContextDeleter {
  void operator()(AVBSFContext* p) const {
    if (FF.av_bsf_free) FF.av_bsf_free(&p);
  }
};
struct TAudioFifoDeleter {
  void operator()(AVAudioFifo* p) const {
    if (FF.av_audio_fifo_free) FF.av_audio_fifo_free(p);
  }
};
struct TAVMemDeleter {
  void operator()(void* p) const {
    if (FF.av_free) FF.av_free(p);
  }
};

using TInputFormatPtr = std::unique_ptr<AVFormatContext, TInputFormatDeleter>;    // opened input
using TFormatContextPtr = std::unique_ptr<AVFormatContext, TFormatContextDeleter>;  // not opened
using TCodecContextPtr = std::unique_ptr<AVCodecContext, TCodecContextDeleter>;
using TFramePtr = std::unique_ptr<AVFrame, TFrameDeleter>;
using TPacketPtr = std::unique_ptr<AVPacket, TPacketDeleter>;
using TDictionaryPtr = std::unique_ptr<AVDictionary, TDictionaryDeleter>;
using TSwsContextPtr = std::unique_ptr<SwsContext, TSwsContextDeleter>;
using TSwrContextPtr = std::unique_ptr<SwrContext, TSwrContextDeleter>;
using TFilterGraphPtr = std::unique_ptr<AVFilterGraph, TFilterGraphDeleter>;
using TBSFContextPtr = std::unique_ptr<AVBSFContext, TBSFContextDeleter>;
using TAudioFifoPtr = std::unique_ptr<AVAudioFifo, TAudioFifoDeleter>;
template <typename T>
using TAVMemPtr = std::unique_ptr<T, TAVMemDeleter>;
