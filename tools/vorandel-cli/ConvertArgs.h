// The arguments of "vorandel-cli convert" and the progress line it prints.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "FFLog.h"

struct TConvertArgs {
  std::string InputOptions;  // option text applied before each input
  std::vector<std::string> Inputs;
  std::string Options;  // option text of the output
  std::string Output;
  TLogLevel LogLevel = llInfo;
};

// Parses "[--input-options TEXT] -i INPUT [-i INPUT2 ...] [--options TEXT] [--log-level LEVEL]
// OUTPUT"; nothing with AError set when the arguments do not fit.
std::optional<TConvertArgs> ParseConvertArgs(const std::vector<std::string>& AArgs,
                                             std::string& AError);

// "frame= 120 fps= 30 size= 512kB time=00:00:04.00 bitrate= 1048.6kbits/s 80%"; the frame part
// is left out without video, the percentage without an expected duration.
std::string ProgressLine(int AFrameNumber, int AFPS, std::int64_t ASize, float ABitRate,
                         std::int64_t ACurrentDuration, std::int64_t ATotalDuration);
