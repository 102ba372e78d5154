// Parsers of the rate-control override and forced key frame texts.
#include "FFmpegStreamOptions.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "FFLoad.h"
#include "FFmpegJob.h"

std::vector<RcOverride> ParseRcOverride(const std::string& AText) {
  std::vector<RcOverride> result;
  const char* p = AText.c_str();
  while (p) {
    int start = 0, end = 0, q = 0;
    // A missing quantiser would leave q undefined: three numbers are required.
    if (std::sscanf(p, "%d,%d,%d", &start, &end, &q) != 3)
      throw FFmpegException("error parsing rc_override");
    RcOverride entry{};
    entry.start_frame = start;
    entry.end_frame = end;
    if (q > 0) {
      entry.qscale = q;
      entry.quality_factor = 1.0f;
    } else {
      entry.qscale = 0;
      entry.quality_factor = -q / 100.0f;
    }
    result.push_back(entry);
    p = std::strchr(p, '/');
    if (p) ++p;
  }
  return result;
}

std::vector<std::int64_t> parse_key_frame_times(const std::string& AText) {
  std::vector<std::int64_t> result;
  std::size_t count = 1;
  for (char c : AText) count += c == ',';
  try {
    result.reserve(count);
  } catch (const std::bad_alloc&) {
    throw Exception("Could not allocate forced key frames array.");
  }
  std::size_t begin = 0;
  for (;;) {
    const std::size_t comma = AText.find(',', begin);
    result.push_back(
        parse_time_value("force_key_frames", AText.substr(begin, comma - begin), true));
    if (comma == std::string::npos) break;
    begin = comma + 1;
  }
  return result;
}

std::vector<std::int64_t> KeyFramePts(const std::vector<std::int64_t>& ATimes,
                                      AVRational ATimeBase) {
  std::vector<std::int64_t> result;
  result.reserve(ATimes.size());
  for (std::int64_t t : ATimes) result.push_back(FF.av_rescale_q(t, AV_TIME_BASE_Q, ATimeBase));
  return result;
}
