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

// Join mode: the shift of every packet of a freshly opened encoder, from its first DTS. An
// encoder with B-frames starts its DTS before its first PTS, which can fall behind what the
// previous block's encoder wrote (ALast); the whole block moves just behind it, keeping the
// distances of its own timestamps. 0 when nothing was written yet or either value is missing.
std::int64_t BlockShift(std::int64_t ALast, std::int64_t AFirstDts, std::int64_t ANoValue);
