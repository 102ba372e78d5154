// Choosing an output preset: the setting lists it gives the window, and the two list handlers.
#include "SettingChoices.h"

#include <algorithm>
#include <cctype>

namespace {

int RowOf(TChoiceRows ARows, std::string_view AText) {
  if (AText.empty()) return -1;
  auto it = std::find(ARows.begin(), ARows.end(), AText);
  return it == ARows.end() ? -1 : static_cast<int>(it - ARows.begin());
}

TListChoice ChoiceOf(const TListPreset& APreset) {
  if (APreset.Kept) return {};
  return {false, APreset.Rows, RowOf(APreset.Rows, APreset.Default)};
}

std::string LowerCase(std::string_view AText) {
  std::string result(AText);
  for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}

}  // namespace

TSettingChoices SettingChoicesOf(const TheAVCodec& AEntry) {
  const TPresetLists* lists = PresetListsOf(AEntry.Number);
  if (AEntry.Number == cSeparatorNumber || lists == nullptr) return {};
  return {ChoiceOf(lists->VideoCodec),   ChoiceOf(lists->VideoSize),
          ChoiceOf(lists->VideoBitrate), ChoiceOf(lists->VideoFramerate),
          ChoiceOf(lists->AudioCodec),   ChoiceOf(lists->AudioBitrate),
          ChoiceOf(lists->SamplingRate), ChoiceOf(lists->AudioChannels),
          ChoiceOf(lists->AspectRatio)};
}

TFormatChange ChooseOutputFormat(TOutputFormatState& AState, std::int32_t AIndex,
                                 std::string_view AText) {
  TFormatChange change;
  if (IsSeparatorText(AText)) {
    change.Refused = true;
    return change;
  }
  if (const TheAVCodec* entry = FindAVCodec(AText)) {
    AState.CurrentOutputFormat = entry->OutFormat;
    change.Choices = SettingChoicesOf(*entry);
  }
  AState.LastFormatIndex = AIndex;
  return change;
}

std::optional<int> AudioCodecRowForVideoCodec(std::string_view AVideoCodec, int AAudioCodecRows) {
  const std::string codec = LowerCase(AVideoCodec);
  int row;
  if (codec == "mpeg4" || codec == "h264") {
    row = 0;
  } else if (codec == "divx" || codec == "xvid") {
    row = 1;
  } else {
    return std::nullopt;
  }
  return row < AAudioCodecRows ? row : -1;
}

std::optional<int> VideoSizeRowForFramerate(std::string_view AComboText,
                                            std::string_view AFramerate) {
  const TheAVCodec* entry = FindAVCodec(AComboText);
  const TPresetLists* lists = entry ? PresetListsOf(entry->Number) : nullptr;
  if (lists == nullptr || lists->PalSize.empty()) return std::nullopt;
  const bool pal = AFramerate == "Auto" || AFramerate == "PAL";
  return RowOf(lists->VideoSize.Rows, pal ? lists->PalSize : lists->OtherSize);
}
