// The setting-list rows each output preset offers, and the fixed lists of the main window.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// The rows of one drop-down list, in display order.
using TChoiceRows = std::span<const std::string_view>;

// One setting list of a preset: its rows and the row selected when the preset is chosen
// (empty Default: no row), or Kept when the preset leaves the list and its selection alone.
struct TListPreset {
  TChoiceRows Rows;
  std::string_view Default;
  bool Kept = false;
};

// Every setting list of one preset, found by the preset identifier (TheAVCodec::Number).
struct TPresetLists {
  std::int32_t Number;
  TListPreset VideoCodec, VideoSize, VideoBitrate, VideoFramerate;
  TListPreset AudioCodec, AudioBitrate, SamplingRate, AudioChannels, AspectRatio;
  // Frame size picked when the user chooses a frame rate: "Auto" or "PAL" give PalSize, any
  // other rate OtherSize. Both empty: a frame-rate choice leaves the frame size alone.
  std::string_view PalSize{}, OtherSize{};
};

// The lists of the preset with that identifier; nullptr when there is none.
const TPresetLists* PresetListsOf(std::int32_t ANumber);

// Fixed lists of the main window, never refilled by a preset.
extern const TChoiceRows AudioChannelRows;  // "Stereo", "Mono"
extern const TChoiceRows AspectRatioRows;   // "Original", "4:3 (Standard", "16:9 (Wide Screen)"
extern const TChoiceRows LetterBoxRows;     // "None", "LetterBox"
// The audio bit-rate and sampling-rate rows the main window shows before a preset is applied.
extern const TChoiceRows InitialAudioBitrateRows;
extern const TChoiceRows InitialSamplingRateRows;
