// Choosing an output preset: the setting lists it gives the window, and the two list handlers.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "AVCodecs.h"
#include "ChoiceLists.h"

// The setting lists of the main window that a preset fills.
enum TSettingList {
  slVideoCodec,
  slVideoSize,
  slVideoBitrate,
  slVideoFramerate,
  slAudioCodec,
  slAudioBitrate,
  slSamplingRate,
  slAudioChannels,
  slAspectRatio,
};
inline constexpr std::size_t cSettingListCount = slAspectRatio + 1;

// What to do with one list: keep it as it is, or replace its rows with Rows and select the row
// Selected (-1: no row). For the channel and aspect lists Rows are their own fixed rows.
struct TListChoice {
  bool Keep = true;
  TChoiceRows Rows;
  int Selected = -1;
};

// Indexed by TSettingList. The default value keeps every list.
using TSettingChoices = std::array<TListChoice, cSettingListCount>;

// The lists and default selections of a preset; every list kept when the entry is a separator
// or has no lists.
TSettingChoices SettingChoicesOf(const TheAVCodec& AEntry);

// State of the Output Format list between choices.
struct TOutputFormatState {
  std::string CurrentOutputFormat;   // OutFormat of the entry last accepted; empty until then
  std::int32_t LastFormatIndex = 0;  // list position of the entry last accepted
};

struct TFormatChange {
  bool Refused = false;     // a separator: select LastFormatIndex again and change nothing else
  TSettingChoices Choices;  // lists to apply; all kept when the text matched no entry
};

// The user chose row AIndex with text AText of the Output Format list. A separator is refused;
// otherwise the matching entry (if any) sets CurrentOutputFormat and the lists, and the row
// becomes LastFormatIndex. The caller then writes CurrentOutputFormat into every Output cell.
TFormatChange ChooseOutputFormat(TOutputFormatState& AState, std::int32_t AIndex,
                                 std::string_view AText);

// The user picked the video codec AVideoCodec: the row to select in the audio codec list, which
// has AAudioCodecRows rows (-1: none); nullopt leaves the audio codec list alone.
std::optional<int> AudioCodecRowForVideoCodec(std::string_view AVideoCodec, int AAudioCodecRows);

// The user picked the frame rate AFramerate while the Output Format list shows AComboText: the
// row to select in the frame-size list that entry filled; nullopt leaves it alone.
std::optional<int> VideoSizeRowForFramerate(std::string_view AComboText,
                                            std::string_view AFramerate);
