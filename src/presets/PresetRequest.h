// From the selected preset and setting texts to the output options of one conversion request.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "AVCodecs.h"
#include "FFEncodeRecords.h"
#include "VolumeSteps.h"

// What the window shows when a row is converted: the texts of the selected rows of the setting
// lists (empty: no row selected), the rows whose position matters, and the volume track bar.
struct TPresetSelections {
  std::string ComboText;   // the Output Format list's text
  std::string OutputCell;  // the row's Output cell: the format code of the entry
  std::string VideoCodec;
  std::string VideoSize;
  std::string VideoBitrate;
  std::string VideoFramerate;
  int VideoFramerateRow = -1;  // the DVD norm follows the row
  std::string AudioCodec;
  std::string AudioBitrate;
  std::string SamplingRate;
  std::string AudioChannels;
  int AspectRatioRow = -1;
  int VolumePosition = cVolumeStartPosition;
};

// The selections the window shows right after the entry was chosen at start-up: the entry's
// default rows, and for the lists the entry keeps, their start-up rows ("Stereo", "Original").
TPresetSelections DefaultSelectionsOf(const TheAVCodec& AEntry);

// The probed frame size of a row: width "x" height of the first video stream (-1x-1 when the
// file has none).
std::string ProbedSizeText(int AWidth, int AHeight);

struct TCollectResult {
  bool Success = false;
  TOutputOptions Options;  // defaults except the fields the selections set
  std::string ErrorMsg;    // why a number could not be read
};

// Builds the output options of one row from the selections. AProbedSize is the probed frame size,
// empty when the input could not be opened (the frame size then becomes 640x480). A bit rate or
// sampling rate that is not a number fails the request instead of giving a wrong value.
TCollectResult CollectPresetSettings(const TPresetSelections& ASelections,
                                     std::string_view AProbedSize);

// The codec tables: the selected codec text, trimmed and in lower case, to the engine's codec
// name (with the video codec's tag, or the option line the audio codec needs in front of the
// output's option text); texts not in a table pass unchanged.
struct TVideoCodecChoice {
  std::string Codec;
  std::string Tag;
};
TVideoCodecChoice VideoCodecOf(std::string_view ASelected);
struct TAudioCodecChoice {
  std::string Codec;
  std::string ExtraLine;  // an option line ending in CR LF, or empty
};
TAudioCodecChoice AudioCodecOf(std::string_view ASelected);
