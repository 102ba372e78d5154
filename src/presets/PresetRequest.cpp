// From the selected preset and setting texts to the output options of one conversion request.
#include "PresetRequest.h"

#include <array>
#include <cctype>
#include <charconv>
#include <optional>

#include "FrameSize.h"
#include "SettingChoices.h"
#include "TextFormat.h"

namespace {

constexpr std::string_view cOriginalVideoSize = "Original Video Size";
constexpr std::string_view cDvdComboText = "DVD - DVD Mpeg2 Format (*.mpg)";
constexpr std::string_view c3gpOutputCell = "3GP";
constexpr const char* cUnprobedFrameSize = "640x480";
constexpr const char* cAutoFrameRate = "29.97";

struct TVideoCodecRow {
  std::string_view Selected, Codec, Tag;
};
constexpr TVideoCodecRow cVideoCodecs[] = {
    {"h264", "libx264", ""},
    {"xvid", "mpeg4", "xvid"},
    {"divx", "mpeg4", "DIVX"},
    {"uncompress", "rawvideo", ""},
};

// Vorbis needs the audio encoder's strictness at "experimental".
struct TAudioCodecRow {
  std::string_view Selected, Codec, ExtraLine;
};
constexpr TAudioCodecRow cAudioCodecs[] = {
    {"aac", "libfaac", ""},
    {"mp3", "libmp3lame", ""},
    {"mpeg4aac", "libfaac", ""},
    {"amr_nb", "libopencore_amrnb", ""},
    {"vorbis", "libvorbis", "astrict=experimental\r\n"},
};

// The 3GP rule: mono AMR, or AAC when stereo, always at 12200 bit/s and 8000 Hz.
constexpr const char* c3gpMonoCodec = "libopencore_amrnb";
constexpr const char* c3gpStereoCodec = "libfaac";
constexpr int c3gpAudioBitrate = 12200;
constexpr int c3gpSampleRate = 8000;

// The aspect list's rows after "Original".
constexpr std::array<const char*, 3> cAspectRatios{"", "4:3", "16:9"};
// The DVD entry's frame-rate rows "Auto", "PAL", "NTSC".
constexpr std::array<TOptionNormType, 3> cDvdNorms{ntAuto, ntPAL, ntNTSC};

constexpr std::string_view cStereo = "Stereo";

// What a list the entry keeps shows after the window's start-up: the first of the channel and
// aspect rows, nothing in the other lists.
struct TStartupRow {
  std::string_view Text;
  int Row;
};
TStartupRow StartupRowOf(TSettingList AList) {
  if (AList == slAudioChannels) return {AudioChannelRows.front(), 0};
  if (AList == slAspectRatio) return {AspectRatioRows.front(), 0};
  return {"", -1};
}

std::string TrimmedLowerCase(std::string_view AText) {
  while (!AText.empty() && static_cast<unsigned char>(AText.front()) <= ' ') AText.remove_prefix(1);
  while (!AText.empty() && static_cast<unsigned char>(AText.back()) <= ' ') AText.remove_suffix(1);
  std::string result(AText);
  for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}

std::string_view BeforeFirstBlank(std::string_view AText) {
  return AText.substr(0, AText.find(' '));
}

// A whole 32-bit decimal number with an optional sign; nothing else may follow.
std::optional<int> StrictInteger(std::string_view AText) {
  if (AText.starts_with('+') && !AText.starts_with("+-")) AText.remove_prefix(1);
  int value = 0;
  const auto [end, error] = std::from_chars(AText.data(), AText.data() + AText.size(), value);
  if (AText.empty() || error != std::errc() || end != AText.data() + AText.size())
    return std::nullopt;
  return value;
}

// The numbers of the selections, or the text that is not a number.
struct TNumbers {
  int VideoBitrate = 0, AudioBitrate = 0, SampleRate = 0;
  std::optional<std::string> BadText;
};

TNumbers ReadNumbers(const TPresetSelections& ASelections) {
  const std::string_view audio = ASelections.AudioBitrate;
  const std::string texts[] = {
      std::string(BeforeFirstBlank(ASelections.VideoBitrate)) + "000",
      std::string(BeforeFirstBlank(audio)) +
          (audio.find("Kbps") != std::string_view::npos ? "000" : ""),
      std::string(BeforeFirstBlank(ASelections.SamplingRate)),
  };
  TNumbers numbers;
  int* targets[] = {&numbers.VideoBitrate, &numbers.AudioBitrate, &numbers.SampleRate};
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    const std::optional<int> value = StrictInteger(texts[i]);
    if (!value) {
      numbers.BadText = texts[i];
      return numbers;
    }
    *targets[i] = *value;
  }
  return numbers;
}

// "Auto" is 29.97; otherwise the number before the first blank, nothing without a blank.
std::string FrameRateOf(std::string_view AText) {
  if (AText == "Auto") return cAutoFrameRate;
  const std::size_t blank = AText.find(' ');
  return blank == std::string_view::npos ? std::string() : std::string(AText.substr(0, blank));
}

std::string FrameSizeOf(const TPresetSelections& ASelections, std::string_view AProbedSize) {
  if (AProbedSize.empty()) return cUnprobedFrameSize;
  if (ASelections.VideoSize == cOriginalVideoSize) return std::string(AProbedSize);
  return FrameSizeToOption(ASelections.VideoSize);
}

}  // namespace

TVideoCodecChoice VideoCodecOf(std::string_view ASelected) {
  const std::string codec = TrimmedLowerCase(ASelected);
  for (const TVideoCodecRow& row : cVideoCodecs)
    if (row.Selected == codec) return {std::string(row.Codec), std::string(row.Tag)};
  return {codec, ""};
}

TAudioCodecChoice AudioCodecOf(std::string_view ASelected) {
  const std::string codec = TrimmedLowerCase(ASelected);
  for (const TAudioCodecRow& row : cAudioCodecs)
    if (row.Selected == codec) return {std::string(row.Codec), std::string(row.ExtraLine)};
  return {codec, ""};
}

TPresetSelections DefaultSelectionsOf(const TheAVCodec& AEntry) {
  const TSettingChoices choices = SettingChoicesOf(AEntry);
  auto textOf = [&](TSettingList AList) -> std::string {
    const TListChoice& choice = choices[AList];
    if (choice.Keep) return std::string(StartupRowOf(AList).Text);
    const bool selected = choice.Selected >= 0 && choice.Selected < std::ssize(choice.Rows);
    return selected ? std::string(choice.Rows[choice.Selected]) : std::string();
  };
  auto rowOf = [&](TSettingList AList) {
    return choices[AList].Keep ? StartupRowOf(AList).Row : choices[AList].Selected;
  };
  TPresetSelections selections;
  selections.ComboText = AEntry.ComboText;
  selections.OutputCell = AEntry.OutFormat;
  selections.VideoCodec = textOf(slVideoCodec);
  selections.VideoSize = textOf(slVideoSize);
  selections.VideoBitrate = textOf(slVideoBitrate);
  selections.VideoFramerate = textOf(slVideoFramerate);
  selections.VideoFramerateRow = rowOf(slVideoFramerate);
  selections.AudioCodec = textOf(slAudioCodec);
  selections.AudioBitrate = textOf(slAudioBitrate);
  selections.SamplingRate = textOf(slSamplingRate);
  selections.AudioChannels = textOf(slAudioChannels);
  selections.AspectRatioRow = rowOf(slAspectRatio);
  return selections;
}

std::string ProbedSizeText(int AWidth, int AHeight) {
  return Format("%dx%d", AWidth, AHeight);
}

TCollectResult CollectPresetSettings(const TPresetSelections& ASelections,
                                     std::string_view AProbedSize) {
  TCollectResult result;
  const TNumbers numbers = ReadNumbers(ASelections);
  if (numbers.BadText) {
    result.ErrorMsg = Format("'%s' is not a valid integer value", numbers.BadText->c_str());
    return result;
  }
  TOutputOptions& options = result.Options;
  options.VideoBitrate = numbers.VideoBitrate;
  options.AudioBitrate = numbers.AudioBitrate;
  options.AudioSampleRate = numbers.SampleRate;

  const TVideoCodecChoice video = VideoCodecOf(ASelections.VideoCodec);
  options.VideoCodec = video.Codec;
  options.VideoTag = video.Tag;
  const TAudioCodecChoice audio = AudioCodecOf(ASelections.AudioCodec);
  options.AudioCodec = audio.Codec;
  options.ExtOptions = audio.ExtraLine + options.ExtOptions;
  if (ASelections.AspectRatioRow > 0 && ASelections.AspectRatioRow < std::ssize(cAspectRatios))
    options.FrameAspectRatio = cAspectRatios[ASelections.AspectRatioRow];
  options.FrameSize = FrameSizeOf(ASelections, AProbedSize);
  options.FrameRate = FrameRateOf(ASelections.VideoFramerate);
  options.AudioVolume = VolumeStepOf(ASelections.VolumePosition).VolumeLevel;
  const bool stereo = ASelections.AudioChannels == cStereo;
  options.AudioChannels = stereo ? 2 : 1;
  if (ASelections.OutputCell == c3gpOutputCell) {
    options.AudioCodec = stereo ? c3gpStereoCodec : c3gpMonoCodec;
    options.AudioBitrate = c3gpAudioBitrate;
    options.AudioSampleRate = c3gpSampleRate;
  }
  if (ASelections.ComboText == cDvdComboText) {
    options.TargetType = ttDVD;
    const int row = ASelections.VideoFramerateRow;
    if (row >= 0 && row < std::ssize(cDvdNorms)) options.NormType = cDvdNorms[row];
  }
  options.DisableVideo = ASelections.VideoCodec.empty() && ASelections.VideoSize.empty();
  result.Success = true;
  return result;
}
