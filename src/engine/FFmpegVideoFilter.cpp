// Video filter graph construction.
#include "FFmpegVideoFilter.h"

#include "TextFormat.h"

namespace {

struct TInOutDeleter {
  void operator()(AVFilterInOut* p) const { FF.avfilter_inout_free(&p); }
};
using TInOutPtr = std::unique_ptr<AVFilterInOut, TInOutDeleter>;

TInOutPtr NamedEnd(const char* AName, AVFilterContext* AFilter) {
  TInOutPtr end(FF.avfilter_inout_alloc());
  if (!end) return end;
  end->name = FF.av_strdup(AName);
  end->filter_ctx = AFilter;
  end->pad_idx = 0;
  end->next = nullptr;
  return end;
}

// The user's chain between ALast (open output "in") and the sink (open input "out").
int InsertChain(AVFilterGraph* AGraph, const std::string& AChain, AVFilterContext* ALast,
                AVFilterContext* ASink) {
  TInOutPtr outputs = NamedEnd("in", ALast);
  TInOutPtr inputs = NamedEnd("out", ASink);
  if (!outputs || !inputs) return AVERROR(ENOMEM);
  AVFilterInOut* in = inputs.release();
  AVFilterInOut* out = outputs.release();
  const int ret = FF.avfilter_graph_parse_ptr(AGraph, AChain.c_str(), &in, &out, nullptr);
  inputs.reset(in);
  outputs.reset(out);
  return ret;
}

}  // namespace

int build_video_filter_graph(TAVOutputStream& AOst, TAVInputStream& AIst) {
  AVCodecContext* codec = AOst.enc_ctx.get();
  const AVCodecContext* icodec = AIst.dec_ctx.get();
  AOst.graph.reset(FF.avfilter_graph_alloc());
  AVFilterGraph* graph = AOst.graph.get();
  if (!graph) return AVERROR(ENOMEM);
  AVRational aspect = AIst.st->sample_aspect_ratio;
  if (aspect.num == 0) aspect = icodec->sample_aspect_ratio;

  AVFilterContext* source = nullptr;
  const std::string args = Format("%d:%d:%d:%d:%d:%d:%d", icodec->width, icodec->height,
                                  icodec->pix_fmt, 1, 1000000, aspect.num, aspect.den);
  int ret = FF.avfilter_graph_create_filter(&source, FF.avfilter_get_by_name("buffer"), "src",
                                            args.c_str(), nullptr, graph);
  if (ret < 0) return ret;

  AVFilterContext* sink =
      FF.avfilter_graph_alloc_filter(graph, FF.avfilter_get_by_name("buffersink"), "out");
  if (!sink) return AVERROR(ENOMEM);
  const AVPixelFormat format = codec->pix_fmt;
  ret = FF.av_opt_set_bin(sink, "pix_fmts", reinterpret_cast<const std::uint8_t*>(&format),
                          sizeof(format), AV_OPT_SEARCH_CHILDREN);
  if (ret < 0) return ret;
  if ((ret = FF.avfilter_init_str(sink, nullptr)) < 0) return ret;

  AVFilterContext* last = source;
  if (codec->width != icodec->width || codec->height != icodec->height) {
    AVFilterContext* scale = nullptr;
    const std::string scaleArgs =
        Format("%d:%d:sws_flags=%d", codec->width, codec->height, AOst.sws_flags);
    ret = FF.avfilter_graph_create_filter(&scale, FF.avfilter_get_by_name("scale"), "scale",
                                          scaleArgs.c_str(), nullptr, graph);
    if (ret < 0) return ret;
    if ((ret = FF.avfilter_link(last, 0, scale, 0)) < 0) return ret;
    last = scale;
  }
  graph->scale_sws_opts = FF.av_strdup(Format("flags=0x%X", AOst.sws_flags).c_str());

  if (!AOst.avfilter.empty()) {
    ret = InsertChain(graph, AOst.avfilter, last, sink);
    AOst.avfilter.clear();
  } else {
    ret = FF.avfilter_link(last, 0, sink, 0);
  }
  if (ret < 0) return ret;
  if ((ret = FF.avfilter_graph_config(graph, nullptr)) < 0) return ret;

  AOst.input_video_filter = source;
  AOst.output_video_filter = sink;
  codec->width = FF.av_buffersink_get_w(sink);
  codec->height = FF.av_buffersink_get_h(sink);
  codec->sample_aspect_ratio =
      AOst.frame_aspect_ratio != 0.0f
          ? FF.av_d2q(AOst.frame_aspect_ratio * codec->height / codec->width, 255)
          : FF.av_buffersink_get_sample_aspect_ratio(sink);
  AOst.st->sample_aspect_ratio = codec->sample_aspect_ratio;
  return 0;
}
