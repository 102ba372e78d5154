// A linear video filter chain run as libavfilter segments with native filters between them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "FFOwners.h"
#include "FFmpegNativeFilter.h"
#include "TObject.h"

class TVideoFilterPipeline {
 public:
  // Builds the chain for pictures of ASource: segment 0 is "buffer" → ["scale" to AWidth x
  // AHeight when that differs from the source] → its part of the chain → "buffersink"; each
  // native filter of the chain sits between two segments, whose sink before it delivers only the
  // formats it takes; the last sink delivers AFormat. A chain with labels or ";" may not name a
  // native filter (logged for ASender, AVERROR(EINVAL)). 0 or a negative FFmpeg error.
  int Build(TObject* ASender, const std::string& AChain, const TVideoGeometry& ASource, int AWidth,
            int AHeight, AVPixelFormat AFormat, int ASwsFlags);

  // Filters one picture (the caller keeps its reference).
  int Push(const AVFrame* AFrame);
  // The next finished picture: 0, AVERROR(EAGAIN) when none is ready, AVERROR_EOF after Flush.
  int Pull(TFramePtr& AFrame);
  // Ends the input and drains every stage into the last sink.
  int Flush();

  AVFilterContext* Source() const { return FSegments.front().Source; }
  AVFilterContext* Sink() const { return FSegments.back().Sink; }
  // Geometry of the finished pictures.
  TVideoGeometry Output() const;
  int SegmentCount() const { return static_cast<int>(FSegments.size()); }

 private:
  struct TSegment {
    TFilterGraphPtr Graph;
    AVFilterContext* Source = nullptr;
    AVFilterContext* Sink = nullptr;
  };
  int BuildSegment(const std::string& AText, const TVideoGeometry& AInput, bool AScale, int AWidth,
                   int AHeight, const std::vector<AVPixelFormat>& AFormats, int ASwsFlags);
  // Moves what segment AFrom's sink holds through the following stages.
  int Propagate(std::size_t AFrom);
  int FeedSegment(std::size_t ASegment, std::vector<TFramePtr>& AFrames);

  std::vector<TSegment> FSegments;
  std::vector<std::unique_ptr<TNativeVideoFilter>> FStages;  // stage i follows segment i
};
