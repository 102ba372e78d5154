// Per-stream option texts turned into encoder settings: rate-control overrides and forced key
// frame times.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "FFHeaders.h"

// "start,end,q" entries separated by "/": q > 0 is a fixed quantiser, q <= 0 a quality factor of
// -q/100. Raises FFmpegException "error parsing rc_override" for an entry without three numbers.
std::vector<RcOverride> ParseRcOverride(const std::string& AText);

// Comma-separated times (durations) in microseconds; raises what parse_time_value raises, and
// Exception "Could not allocate forced key frames array." when the table cannot be allocated.
std::vector<std::int64_t> parse_key_frame_times(const std::string& AText);

// The times in units of the encoder time base.
std::vector<std::int64_t> KeyFramePts(const std::vector<std::int64_t>& ATimes,
                                      AVRational ATimeBase);
