// The video filter pipeline: building the segments and moving pictures through the stages.
#include "FFmpegFilterPipeline.h"

#include "FFLog.h"
#include "FFmpegFilterChain.h"
#include "TextFormat.h"

namespace {

// What a configured sink delivers: the geometry the next stage receives.
TVideoGeometry GeometryOfSink(AVFilterContext* ASink) {
  TVideoGeometry g;
  g.Width = FF.av_buffersink_get_w(ASink);
  g.Height = FF.av_buffersink_get_h(ASink);
  g.Format = static_cast<AVPixelFormat>(FF.av_buffersink_get_format(ASink));
  g.TimeBase = FF.av_buffersink_get_time_base(ASink);
  g.FrameRate = FF.av_buffersink_get_frame_rate(ASink);
  g.SampleAspect = FF.av_buffersink_get_sample_aspect_ratio(ASink);
  return g;
}

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

// The chain text between ALast (open output "in") and the sink (open input "out").
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

// The parts of the chain: library texts around the native filters (one text when there is none).
struct TChainParts {
  std::vector<std::string> Texts;
  std::vector<const TChainFilter*> Natives;
};

}  // namespace

int TVideoFilterPipeline::BuildSegment(const std::string& AText, const TVideoGeometry& AInput,
                                       bool AScale, int AWidth, int AHeight,
                                       const std::vector<AVPixelFormat>& AFormats, int ASwsFlags) {
  TSegment segment;
  segment.Graph.reset(FF.avfilter_graph_alloc());
  AVFilterGraph* graph = segment.Graph.get();
  if (!graph) return AVERROR(ENOMEM);
  // Named options: libavfilter 8 reads positional ones in its own option order.
  const std::string args =
      Format("video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d", AInput.Width,
             AInput.Height, AInput.Format, AInput.TimeBase.num, AInput.TimeBase.den,
             AInput.SampleAspect.num, AInput.SampleAspect.den);
  int ret = FF.avfilter_graph_create_filter(&segment.Source, FF.avfilter_get_by_name("buffer"),
                                            "src", args.c_str(), nullptr, graph);
  if (ret < 0) return ret;
  segment.Sink =
      FF.avfilter_graph_alloc_filter(graph, FF.avfilter_get_by_name("buffersink"), "out");
  if (!segment.Sink) return AVERROR(ENOMEM);
  ret = FF.av_opt_set_bin(
      segment.Sink, "pix_fmts", reinterpret_cast<const std::uint8_t*>(AFormats.data()),
      static_cast<int>(AFormats.size() * sizeof(AVPixelFormat)), AV_OPT_SEARCH_CHILDREN);
  if (ret < 0 || (ret = FF.avfilter_init_str(segment.Sink, nullptr)) < 0) return ret;

  AVFilterContext* last = segment.Source;
  if (AScale && (AWidth != AInput.Width || AHeight != AInput.Height)) {
    AVFilterContext* scale = nullptr;
    const std::string scaleArgs = Format("%d:%d:sws_flags=%d", AWidth, AHeight, ASwsFlags);
    ret = FF.avfilter_graph_create_filter(&scale, FF.avfilter_get_by_name("scale"), "scale",
                                          scaleArgs.c_str(), nullptr, graph);
    if (ret < 0 || (ret = FF.avfilter_link(last, 0, scale, 0)) < 0) return ret;
    last = scale;
  }
  graph->scale_sws_opts = FF.av_strdup(Format("flags=0x%X", ASwsFlags).c_str());
  ret = AText.empty() ? FF.avfilter_link(last, 0, segment.Sink, 0)
                      : InsertChain(graph, AText, last, segment.Sink);
  if (ret < 0 || (ret = FF.avfilter_graph_config(graph, nullptr)) < 0) return ret;
  FSegments.push_back(std::move(segment));
  return 0;
}

int TVideoFilterPipeline::Build(TObject* ASender, const std::string& AChain,
                                const TVideoGeometry& ASource, int AWidth, int AHeight,
                                AVPixelFormat AFormat, int ASwsFlags) {
  FSegments.clear();
  FStages.clear();
  const TChainSplit split = SplitFilterChain(AChain);
  TChainParts parts;
  parts.Texts.emplace_back();
  bool labels = split.HasSemicolon;
  for (const TChainFilter& f : split.Filters) {
    labels = labels || f.HasLabel;
    if (FindNativeFilter(f.Name)) {
      parts.Natives.push_back(&f);
      parts.Texts.emplace_back();
    } else if (!f.Text.empty()) {
      std::string& text = parts.Texts.back();
      text += (text.empty() ? "" : ",") + f.Text;
    }
  }
  if (parts.Natives.empty()) {
    parts.Texts = {AChain};  // the library parses a chain of its own filters as written
  } else if (labels) {
    GetLogger().Log(ASender, llError, "filter '%s' can only be used in a simple filter chain",
                    parts.Natives.front()->Name.c_str());
    return AVERROR(EINVAL);
  }

  TVideoGeometry geometry = ASource;
  for (std::size_t i = 0; i < parts.Texts.size(); ++i) {
    const bool last = i + 1 == parts.Texts.size();
    const TNativeFilterInfo* native = last ? nullptr : FindNativeFilter(parts.Natives[i]->Name);
    const std::vector<AVPixelFormat> formats =
        last ? std::vector<AVPixelFormat>{AFormat} : native->Formats;
    if (int ret =
            BuildSegment(parts.Texts[i], geometry, i == 0, AWidth, AHeight, formats, ASwsFlags);
        ret < 0)
      return ret;
    geometry = GeometryOfSink(FSegments.back().Sink);
    if (last) break;
    std::unique_ptr<TNativeVideoFilter> stage = native->Create(parts.Natives[i]->Args);
    if (!stage) return AVERROR(EINVAL);
    TVideoGeometry output = geometry;
    if (int ret = stage->Configure(geometry, output); ret < 0) return ret;
    geometry = output;
    FStages.push_back(std::move(stage));
  }
  return 0;
}

TVideoGeometry TVideoFilterPipeline::Output() const {
  return GeometryOfSink(Sink());
}

int TVideoFilterPipeline::FeedSegment(std::size_t ASegment, std::vector<TFramePtr>& AFrames) {
  for (TFramePtr& frame : AFrames) {
    const int ret = FF.av_buffersrc_add_frame_flags(FSegments[ASegment].Source, frame.get(), 0);
    if (ret < 0) return ret;
  }
  AFrames.clear();
  return 0;
}

int TVideoFilterPipeline::Propagate(std::size_t AFrom) {
  for (std::size_t i = AFrom; i < FStages.size(); ++i) {
    std::vector<TFramePtr> produced;
    for (;;) {
      TFramePtr frame(FF.av_frame_alloc());
      if (!frame) return AVERROR(ENOMEM);
      const int ret = FF.av_buffersink_get_frame(FSegments[i].Sink, frame.get());
      if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF) break;
      if (ret < 0) return ret;
      if (int r = FStages[i]->Filter(std::move(frame), produced); r < 0) return r;
    }
    if (int ret = FeedSegment(i + 1, produced); ret < 0) return ret;
  }
  return 0;
}

int TVideoFilterPipeline::Push(const AVFrame* AFrame) {
  const int ret = FF.av_buffersrc_add_frame_flags(Source(), const_cast<AVFrame*>(AFrame),
                                                  AV_BUFFERSRC_FLAG_KEEP_REF);
  return ret < 0 ? ret : Propagate(0);
}

int TVideoFilterPipeline::Pull(TFramePtr& AFrame) {
  AFrame.reset(FF.av_frame_alloc());
  if (!AFrame) return AVERROR(ENOMEM);
  const int ret = FF.av_buffersink_get_frame(Sink(), AFrame.get());
  if (ret < 0) AFrame.reset();
  return ret;
}

int TVideoFilterPipeline::Flush() {
  for (std::size_t i = 0; i < FSegments.size(); ++i) {
    if (int ret = FF.av_buffersrc_add_frame_flags(FSegments[i].Source, nullptr, 0); ret < 0)
      return ret;
    if (i == FStages.size()) break;
    if (int ret = Propagate(i); ret < 0) return ret;
    // Propagate moved segment i's pictures on; the stage now gives what it still holds.
    std::vector<TFramePtr> rest;
    if (int ret = FStages[i]->Flush(rest); ret < 0) return ret;
    if (int ret = FeedSegment(i + 1, rest); ret < 0) return ret;
  }
  return 0;
}
