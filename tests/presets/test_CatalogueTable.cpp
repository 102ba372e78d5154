// Every catalogue entry: its place, format code and identifier, and that every row it offers
// reads as a number, rate or size under the request builder's rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>

#include "AVCodecs.h"
#include "FrameSize.h"
#include "SettingChoices.h"

namespace {

struct TCatalogueCase {
  int Pos;
  const char* ComboText;
  const char* OutFormat;
  int Number;
  bool AudioOnly;
};

const TCatalogueCase cCatalogue[] = {
    {0, "AVI - Audio Video Interleave (*.avi)", "AVI", 22, false},
    {1, "DVD - DVD Mpeg2 Format (*.mpg)", "MPG", 36, false},
    {2, "FLV - Flash Video (*.flv)", "FLV", 33, false},
    {3, "MKV - Matroska Video (*.mkv)", "MKV", 76, false},
    {4, "MOV - QuickTime Video (*.mov)", "MOV", 26, false},
    {5, "MP4 - MPEG4 Video (*.mp4)", "MP4", 27, false},
    {6, "MPEG-1 Movie (*.mpg)", "MPG", 28, false},
    {7, "MPEG-2 Movie (*.mpg)", "MPG", 29, false},
    {8, "SWF - Flash Swf (*.swf)", "SWF", 32, false},
    {9, "SVCD (*.mpg)", "MPG", 35, false},
    {10, "VCD (*.mpg)", "MPG", 34, false},
    {11, "WMV - Windows Media Video (*.wmv)", "WMV", 31, false},
    {13, "AAC - Advance Audio Coding (*.aac)", "AAC", 37, true},
    {14, "M4A - Mpeg4 Audio File (*.m4a)", "M4A", 40, true},
    {15, "MP3 - Mpeg Layer3 Audio (*.mp3)", "MP3", 41, true},
    {16, "OGG - Ogg Vorbis Audio (*.ogg)", "OGG", 42, true},
    {17, "WAV - Waveform Audio (*.wav)", "WAV", 44, true},
    {18, "WMA - Windows Media Audio (*.wma)", "WMA", 45, true},
    {20, "3GP - Mobile Video Format (*.3gp)", "3GP", 0, false},
    {21, "3G2 - Mobile Video Format (*.3g2)", "3G2", 1, false},
    {22, "Apple TV (*.mp4)", "MP4", 10, false},
    {23, "iPad (*.mp4)", "MP4", 21, false},
    {24, "iPhone (*.mp4)", "MP4", 18, false},
    {25, "iPod (*.mp4)", "MP4", 3, false},
    {26, "MP4 for Android (*.mp4)", "MP4", 48, false},
    {27, "Samsung Galaxy Series (*.mp4)", "MP4", 77, false},
    {28, "BlackBerry MPEG-4 Video (*.mp4)", "MP4", 67, false},
    {29, "BlackBerry 3GP Video (*.3gp)", "3GP", 69, false},
    {30, "PSP Video (*.mp4)", "MP4", 53, false},
    {31, "PS3 Video (*.mp4)", "MP4", 58, false},
};

// Whether a row of the given list reads under the request builder's rules: bit rates are a
// whole number, a blank and "Kbps" (audio also "bps"); sampling rates a whole number before the
// first blank; frame sizes become "WxH"; frame rates are "Auto", a rate before the first blank,
// or a norm name without blank, which gives no rate.
bool RowParses(TSettingList AList, const std::string& ARow) {
  static const std::regex cCodec("[A-Za-z0-9_]+");
  static const std::regex cVideoBitrate("[0-9]+ Kbps");
  static const std::regex cAudioBitrate("[0-9]+ (Kbps|bps)");
  static const std::regex cSamplingRate("[0-9]+ +(Hz|bps)");
  static const std::regex cFrameSize("[0-9]+x[0-9]+");
  static const std::regex cFramerate("Auto|PAL|NTSC|[0-9]+(\\.[0-9]+)? fps( \\[(PAL|NTSC)\\])?");
  switch (AList) {
    case slVideoCodec:
    case slAudioCodec:
      return std::regex_match(ARow, cCodec);
    case slVideoSize:
      return ARow == "Original Video Size" || std::regex_match(FrameSizeToOption(ARow), cFrameSize);
    case slVideoBitrate:
      return std::regex_match(ARow, cVideoBitrate);
    case slVideoFramerate:
      return std::regex_match(ARow, cFramerate);
    case slAudioBitrate:
      return std::regex_match(ARow, cAudioBitrate);
    case slSamplingRate:
      return std::regex_match(ARow, cSamplingRate);
    case slAudioChannels:
      return ARow == "Stereo" || ARow == "Mono";
    case slAspectRatio:
      return ARow == "Original" || ARow == "4:3 (Standard" || ARow == "16:9 (Wide Screen)";
  }
  return false;
}

bool IsVideoList(std::size_t AList) {
  return AList <= slVideoFramerate;
}

TEST(CatalogueTable, ListHoldsThirtyPresetsAndTwoSeparators) {
  ASSERT_EQ(AVCodecs.size(), 32u);
  EXPECT_EQ(cSeparatorText.size(), 55u);
  for (int pos : {12, 19}) {
    EXPECT_EQ(AVCodecs[pos].ComboText, cSeparatorText) << pos;
    EXPECT_TRUE(IsSeparatorText(AVCodecs[pos].ComboText));
    EXPECT_EQ(FindAVCodec(AVCodecs[pos].ComboText), nullptr);
  }
  EXPECT_EQ(std::size(cCatalogue), 30u);
}

TEST(CatalogueTable, EveryEntryHasItsCodeAndReadableLists) {
  for (const TCatalogueCase& c : cCatalogue) {
    SCOPED_TRACE(c.ComboText);
    const TheAVCodec* entry = FindAVCodec(c.ComboText);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry - AVCodecs.data(), c.Pos);
    EXPECT_EQ(entry->OutFormat, c.OutFormat);
    EXPECT_EQ(entry->Number, c.Number);
    EXPECT_FALSE(IsSeparatorText(entry->ComboText));

    const TSettingChoices choices = SettingChoicesOf(*entry);
    const bool anyFilled = std::any_of(choices.begin(), choices.end(),
                                       [](const TListChoice& AList) { return !AList.Keep; });
    ASSERT_TRUE(anyFilled) << "entry has no lists";
    for (std::size_t list = 0; list < cSettingListCount; ++list) {
      SCOPED_TRACE(list);
      const TListChoice& choice = choices[list];
      if (c.AudioOnly && IsVideoList(list)) {
        EXPECT_FALSE(choice.Keep);
        EXPECT_TRUE(choice.Rows.empty());
        EXPECT_EQ(choice.Selected, -1);
        continue;
      }
      if (choice.Keep) {
        // Only the channel and aspect lists are ever left as they were.
        EXPECT_TRUE(list == slAudioChannels || list == slAspectRatio);
        continue;
      }
      ASSERT_FALSE(choice.Rows.empty());
      for (std::string_view row : choice.Rows) {
        EXPECT_TRUE(RowParses(static_cast<TSettingList>(list), std::string(row)))
            << '"' << row << '"';
      }
      // Every default names a row of its list; only DVD starts without a frame size.
      const bool noDefault = c.Number == 36 && list == slVideoSize;
      if (noDefault) {
        EXPECT_EQ(choice.Selected, -1);
      } else {
        EXPECT_GE(choice.Selected, 0);
        EXPECT_LT(choice.Selected, static_cast<int>(choice.Rows.size()));
      }
    }
  }
}

}  // namespace
