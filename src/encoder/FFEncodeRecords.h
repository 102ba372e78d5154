// The encoder component's plain records: input and output options with their defaults, and the
// progress and termination records of its events.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "FileSystem.h"

// Days since 1899-12-30 in local time; the fraction is the time of day.
using TDateTime = double;

// The libraries' value for "no time stamp" (the smallest Int64), used for times that are unset.
inline constexpr std::int64_t cNoTimeValue = std::numeric_limits<std::int64_t>::min();

enum TOptionTargetType { ttIgnore, ttVCD, ttSVCD, ttDVD };
enum TOptionNormType { ntAuto, ntPAL, ntNTSC };
// Only ntPAL and ntNTSC are meaningful: the norm used when the automatic norm cannot be decided.
using TOptionNormDefault = TOptionNormType;

// Options of one input file.
struct TInputOptions {
  TPathFileName FileName;  // empty: set to the name passed when the input is added
  std::string ForceFormat;
  std::int64_t TimeStart = cNoTimeValue;  // microseconds
  int ProgramID = -1;                     // negative: all programs
  std::string ExtOptions;                 // option text applied before the input is opened
  int Tag = 0;
  void* Data = nullptr;
  bool operator==(const TInputOptions&) const = default;
};
using PInputOptions = TInputOptions*;

// Creation time and metadata of an output.
struct TStreamInfo {
  TDateTime TimeStamp = -1.0;  // 0.0: now; positive: that moment; negative: none
  int Year = -1;
  int Track = -1;
  std::string Title;
  std::string Author;
  std::string Copyright;
  std::string Comment;
  std::string Album;
  std::string Genre;
  bool operator==(const TStreamInfo&) const = default;
};

// Options of one output file. Numbers at -1 are unset.
struct TOutputOptions {
  TPathFileName FileName;  // empty: set to the name passed when the output is set
  std::string FileExt;
  std::string ForceFormat;
  int PacketSize = -1;
  int MuxRate = -1;
  float MuxDelay = -1.0f;    // seconds
  float MuxPreload = -1.0f;  // seconds
  std::string AudioCodec;
  bool DisableAudio = false;
  int AudioVolume = -1;  // 256 leaves the samples unchanged
  int AudioChannels = -1;
  int AudioSampleRate = -1;
  int AudioBitrate = -1;  // bit/s
  int AudioBitRateTolerance = -1;
  std::string AudioLanguage;
  int AudioSyncMethod = 0;
  std::string AudioTag;
  std::string VideoCodec;
  bool DisableVideo = false;
  std::string FrameRate;
  std::string FrameSize;
  std::string FrameAspectRatio;
  int GroupPictureSize = -1;
  int VideoBitrate = -1;  // bit/s
  int VideoMaxRate = -1;
  int VideoMinRate = -1;
  int VideoBitRateTolerance = -1;
  int VideoBufSize = -1;
  int VideoSyncMethod = -1;  // automatic
  std::string VideoTag;
  std::string VideoFilters;
  std::string VideoLanguage;
  std::string SubtitleCodec;
  bool DisableSubtitle = false;
  std::string SubtitleLanguage;
  std::string DataCodec;
  std::string FilePreset;
  bool InputSync = false;
  bool CopyTimestamp = false;
  std::int64_t TimeStart = cNoTimeValue;   // microseconds
  std::int64_t TimeLength = cNoTimeValue;  // microseconds
  TStreamInfo Info;
  TOptionTargetType TargetType = ttIgnore;
  TOptionNormType NormType = ntAuto;
  TOptionNormDefault NormDefault = ntPAL;
  bool AudioHook = false;
  bool VideoInputHook = false;
  bool VideoOutputHook = false;
  int VideoHookBitsPixel = 24;  // 8, 15, 16, 24 or 32
  bool FrameInputHook = false;
  bool FrameOutputHook = false;
  bool Join = false;       // join all inputs of the task into this output
  std::string ExtOptions;  // option text with stream options and new-stream markers
  int Tag = 0;
  void* Data = nullptr;
  bool operator==(const TOutputOptions&) const = default;
};
using POutputOptions = TOutputOptions*;

// The engine's progress of one task.
struct TProgressInfo {
  int TaskIndex = 0;
  int FileIndex = 0;    // input file
  int FrameNumber = 0;  // frames written
  int FPS = 0;
  float Quality = 0.0f;
  float BitRate = 0.0f;
  std::int64_t CurrentSize = 0;      // bytes written
  std::int64_t CurrentDuration = 0;  // microseconds of output
  std::int64_t TotalDuration = 0;    // expected microseconds
};
using PProgressInfo = TProgressInfo*;

// The end of one task, or (TaskIndex -1) of all tasks.
struct TTerminateInfo {
  int TaskIndex = 0;
  bool Finished = false;   // reached its end without a stop
  bool Exception = false;  // ended by a failure
  std::string ExceptionMsg;
};
