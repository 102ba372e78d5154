// Descriptions of one video, audio or subtitle stream and of a whole media file.
#pragma once

#include <cstdint>
#include <string>

#include "FFHeaders.h"

// Numbers without a value are -1, strings empty.
struct TVideoStreamInfo {
  std::string Language;
  std::string CodecName;
  std::int64_t StartTime = -1;        // stream time base; may be the library's no-value constant
  std::int64_t StartTimeScaled = -1;  // microseconds
  std::int64_t Duration = -1;         // stream time base; may be the no-value constant
  std::int64_t DurationScaled = -1;   // microseconds
  int BitRate = -1;                   // bit/s
  int Height = -1;
  int Width = -1;
  float AspectRatio = -1.0f;  // display aspect: Width * sample aspect / Height
  AVPixelFormat PixFmt = AV_PIX_FMT_NONE;
  AVRational FrameRate{-1, -1};
};

struct TAudioStreamInfo {
  std::string Language;
  std::string CodecName;
  std::int64_t StartTime = -1;
  std::int64_t StartTimeScaled = -1;
  std::int64_t Duration = -1;
  std::int64_t DurationScaled = -1;
  int BitRate = -1;
  int Channels = -1;
  int SampleRate = -1;  // Hz
  AVSampleFormat SampleFormat = AV_SAMPLE_FMT_NONE;
};

struct TSubtitleStreamInfo {
  std::string Language;
  std::string CodecName;
};

struct TFileStreamInfo {
  std::int64_t StartTime = -1;  // microseconds
  std::int64_t Duration = -1;   // microseconds
  int BitRate = -1;             // bit/s
  std::int64_t TimeStamp = -1;  // seconds since 1970-01-01 UTC
  int Year = -1;
  int Track = -1;
  std::string Title;
  std::string Author;
  std::string Copyright;
  std::string Comment;
  std::string Album;
  std::string Genre;
};
