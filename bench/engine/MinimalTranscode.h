// The benchmark's reference: a minimal decode, scale, encode and mux of one video and one audio
// stream, written directly on the libraries.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct TMinimalSettings {
  std::string Input, Output;
  std::string VideoEncoder, AudioEncoder;
  long long VideoBitRate = 0, AudioBitRate = 0;  // 0: the encoder's default
  int Width = 0, Height = 0;                     // 0: the input's
  int Threads = 0;                               // decoders and encoders; 0: automatic
  std::vector<std::pair<std::string, std::string>> VideoOptions;  // private encoder options
};

// Converts; returns false with a message on stderr when a step fails.
bool MinimalTranscode(const TMinimalSettings& ASettings);
