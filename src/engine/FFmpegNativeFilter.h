// The engine's own video filters: the stage interface and the registry of their names, which
// take precedence over libavfilter's filters of the same name.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FFOwners.h"

// Picture geometry flowing between filter stages.
struct TVideoGeometry {
  int Width = 0;
  int Height = 0;
  AVPixelFormat Format = AV_PIX_FMT_NONE;
  AVRational TimeBase{1, 1000000};
  AVRational FrameRate{0, 1};
  AVRational SampleAspect{0, 1};
};

// One native filter instance between two libavfilter segments.
class TNativeVideoFilter {
 public:
  virtual ~TNativeVideoFilter() = default;
  // Given the input geometry, sets the output geometry; 0 or a negative FFmpeg error.
  virtual int Configure(const TVideoGeometry& AInput, TVideoGeometry& AOutput) = 0;
  // Filters one picture, appending what it puts out; 0 or a negative FFmpeg error.
  virtual int Filter(TFramePtr AFrame, std::vector<TFramePtr>& AOutput) = 0;
  // At the end of the pictures: what the filter still holds.
  virtual int Flush(std::vector<TFramePtr>& AOutput) {
    (void)AOutput;
    return 0;
  }
};

struct TNativeFilterInfo {
  std::vector<AVPixelFormat> Formats;  // the pixel formats it takes
  std::function<std::unique_ptr<TNativeVideoFilter>(const std::string& AArgs)> Create;
};

// Adds the filter under that name unless one is registered already; true when it was added.
bool AddFilterOnce(const std::string& AName, TNativeFilterInfo AInfo);
// The registered filter of that name, or null.
const TNativeFilterInfo* FindNativeFilter(const std::string& AName);
