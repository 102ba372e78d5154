// The DTS guard of the muxer side: every packet of a stream must have a rising DTS.
#include "DtsGuard.h"

TGuardedTimestamps GuardDts(std::int64_t ALast, std::int64_t ADts, std::int64_t APts,
                            std::int64_t ANoValue) {
  if (ADts == ANoValue || ALast == ANoValue || ADts > ALast) return {ADts, APts, false};
  const std::int64_t dts = ALast + 1;
  const std::int64_t pts = APts != ANoValue && APts < dts ? dts : APts;
  return {dts, pts, true};
}
