// Frame-rate sync of video output: how many times a decoded picture is written.
#pragma once

#include <cstdint>

struct TVideoSyncResult {
  int nb_frames;           // 0 drops the picture, more than 1 duplicates it
  std::int64_t sync_opts;  // the output frame counter after the decision
};

// ASyncIpts: the picture's time in output frames; ASyncOpts: the next output frame number.
// AMethod 0 passes every picture through with its own time, 1 keeps a constant rate, 2 a
// variable one, negative chooses 2 when the muxer accepts variable rates and 1 otherwise.
TVideoSyncResult VideoSyncFrames(int AMethod, bool AVariableFps, double ASyncIpts,
                                 std::int64_t ASyncOpts);
