// The option records built from option text.
#include "FFEncodeText.h"

#include <array>
#include <cstdint>

#include "FFmpegOptionText.h"
#include "FFmpegValues.h"

namespace {

std::int64_t TimeOrNone(const std::string& AValue) {
  std::int64_t time = 0;
  return TryStrToInt64(AValue, time) ? time : cNoTimeValue;
}

void KeepLine(std::string& AExtOptions, const TOptionLine& ALine) {
  AExtOptions += ALine.Name + "=" + ALine.Value + "\n";
}

struct TFlagField {
  const char* Name;  // lower case
  bool TOutputOptions::*Field;
};

constexpr std::array<TFlagField, 6> cFlagFields{{
    {"audiohook", &TOutputOptions::AudioHook},
    {"videoinputhook", &TOutputOptions::VideoInputHook},
    {"videooutputhook", &TOutputOptions::VideoOutputHook},
    {"frameinputhook", &TOutputOptions::FrameInputHook},
    {"frameoutputhook", &TOutputOptions::FrameOutputHook},
    {"join", &TOutputOptions::Join},
}};

// Sets the record field the line names; false when it names none.
bool SetOutputField(TOutputOptions& AOptions, const std::string& AName, const std::string& AValue) {
  for (const TFlagField& flag : cFlagFields) {
    if (AName != flag.Name) continue;
    AOptions.*flag.Field = ParseFlag(AValue);
    return true;
  }
  if (AName == "videohookbitspixel") {
    if (!TryStrToInt(AValue, AOptions.VideoHookBitsPixel)) AOptions.VideoHookBitsPixel = 24;
  } else if (AName == "timestart") {
    AOptions.TimeStart = TimeOrNone(AValue);
  } else if (AName == "timelength") {
    AOptions.TimeLength = TimeOrNone(AValue);
  } else {
    return false;
  }
  return true;
}

}  // namespace

TInputOptions InputOptionsFromText(const std::string& AText) {
  TInputOptions options;
  for (const TOptionLine& line : ParseOptionText(AText)) {
    if (LowerCase(line.Name) == "timestart")
      options.TimeStart = TimeOrNone(line.Value);
    else
      KeepLine(options.ExtOptions, line);
  }
  return options;
}

TOutputOptions OutputOptionsFromText(const std::string& AText) {
  TOutputOptions options;
  for (const TOptionLine& line : ParseOptionText(AText))
    if (!SetOutputField(options, LowerCase(line.Name), line.Value))
      KeepLine(options.ExtOptions, line);
  return options;
}
