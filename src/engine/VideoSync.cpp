// Frame-rate sync of video output: how many times a decoded picture is written.
#include "VideoSync.h"

#include <cmath>

TVideoSyncResult VideoSyncFrames(int AMethod, bool AVariableFps, double ASyncIpts,
                                 std::int64_t ASyncOpts) {
  if (AMethod == 0) return {1, std::llrint(ASyncIpts)};
  const double vdelta = ASyncIpts - static_cast<double>(ASyncOpts);
  if (vdelta < -1.1) return {0, ASyncOpts};
  if (AMethod == 2 || (AMethod < 0 && AVariableFps)) {
    if (vdelta <= -0.6) return {0, ASyncOpts};
    if (vdelta > 0.6) return {1, std::llrint(ASyncIpts)};
    return {1, ASyncOpts};
  }
  if (vdelta > 1.1) return {static_cast<int>(std::llrint(vdelta)), ASyncOpts};
  return {1, ASyncOpts};
}
