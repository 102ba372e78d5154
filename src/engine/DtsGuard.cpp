// The DTS guard of the muxer side: every packet of a stream must have a rising DTS.
#include "DtsGuard.h"

TGuardedTimestamps GuardDts(std::int64_t ALast, std::int64_t ADts, std::int64_t APts,
                            std::int64_t ANoValue) {
  if (ADts == ANoValue || ALast == ANoValue || ADts > ALast) return {ADts, APts, false};
  const std::int64_t dts = ALast + 1;
  const std::int64_t pts = APts != ANoValue && APts < dts ? dts : APts;
  return {dts, pts, true};
}

std::int64_t BlockShift(std::int64_t ALast, std::int64_t AFirstDts, std::int64_t ANoValue) {
  if (ALast == ANoValue || AFirstDts == ANoValue || AFirstDts > ALast) return 0;
  return ALast + 1 - AFirstDts;
}
