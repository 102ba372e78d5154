// The DTS guard of the muxer side: every packet of a stream must have a rising DTS.
#pragma once

#include <cstdint>

struct TGuardedTimestamps {
  std::int64_t dts;
  std::int64_t pts;
  bool moved;  // the DTS did not rise and was moved
};

// ALast is the DTS last written to the stream (ANoValue: none yet). A DTS that does not rise
// above it becomes ALast + 1; a PTS left below the new DTS follows it. Packets without a DTS
// are left to the muxer.
TGuardedTimestamps GuardDts(std::int64_t ALast, std::int64_t ADts, std::int64_t APts,
                            std::int64_t ANoValue);
