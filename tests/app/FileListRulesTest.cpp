// The cell texts of the file list, its columns and the open dialog's filter.
#include <gtest/gtest.h>

#include <algorithm>

#include "FileListRules.h"
#include "OpenDialogFilter.h"
#include "QtDialogs.h"

namespace {

constexpr std::int64_t Second = 1000000;

TEST(FormatDurationHMS, TruncatesEachPartAndWidensHours) {
  const struct {
    std::int64_t Duration;
    const char* Text;
  } cases[] = {
      {0, "00:00:00"},
      {Second - 1, "00:00:00"},
      {59 * Second + Second - 1, "00:00:59"},
      {3600 * Second + 2 * 60 * Second + 3 * Second + 900000, "01:02:03"},
      {3600 * Second - 1, "00:59:59"},
      {99 * 3600 * Second + 59 * 60 * Second + 59 * Second, "99:59:59"},
      {125 * 3600 * Second, "125:00:00"},
      {Second * 3600 * 3000000, "3000000:00:00"},  // beyond 32-bit microseconds and hours
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDurationHMS(c.Duration), c.Text) << c.Duration;
}

TEST(DurationCellText, IsEmptyOnlyWithoutADuration) {
  EXPECT_EQ(DurationCellText(-1), "");
  EXPECT_EQ(DurationCellText(0), "00:00:00");
  EXPECT_EQ(DurationCellText(2 * Second), "00:00:02");
}

TEST(FormatFrameRate, GeneralFormatWithFifteenDigits) {
  const struct {
    int Num, Den;
    const char* Separator;
    const char* Text;
  } cases[] = {
      {25, 1, ".", "25"},
      {30000, 1001, ".", "29.97002997003"},
      {24000, 1001, ".", "23.976023976024"},
      {30000, 1001, ",", "29,97002997003"},
      {-1, -1, ".", "1"},  // the unset record of a file without video
      {1, 3, ".", "0.333333333333333"},
      {90000, 1, ".", "90000"},
      {0, 1, ".", "0"},
      {0, 0, ".", ""},  // no rate known
      {25, 0, ".", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatFrameRate(c.Num, c.Den, c.Separator), c.Text) << c.Num << "/" << c.Den;
}

TEST(FormatVideoSize, WidthXHeight) {
  EXPECT_EQ(FormatVideoSize(320, 240), "320x240");
  EXPECT_EQ(FormatVideoSize(-1, -1), "-1x-1");
}

TEST(OutputFormatCode, ThreeUpperCaseCharactersAfterTheAsterisk) {
  const struct {
    const char* FormatText;
    const char* Code;
  } cases[] = {
      {"iPod (*.mp4)", "MP4"},
      {"MP4 - MPEG4 Video (*.mp4)", "MP4"},
      {"  3GP - Mobile Video Format (*.3gp)  ", "3GP"},
      {"MKV - Matroska Video (*.mkv)", "MKV"},
      {"Real (*.rmvb)", "RMV"},  // always three characters
      {"Short (*.ra", "RA"},
      {"Short (*.a)", "A)"},
      {"Ends in *", ""},
      {"Ends in *.", ""},
      {"No file type", ""},
      {"", ""},
      {"First (*.avi) then (*.mp4)", "AVI"},
  };
  for (const auto& c : cases) EXPECT_EQ(OutputFormatCode(c.FormatText), c.Code) << c.FormatText;
}

TEST(ListColumns, SevenColumnsInOrder) {
  const struct {
    const char* Caption;
    int Width;
    TColumnAlignment Alignment;
  } expected[ListColumnCount] = {
      {"Video File Name", 300, caLeft}, {"Video Size", 90, caCentre}, {"Framerate", 90, caCentre},
      {"Duration", 85, caCentre},       {"Output", 65, caCentre},     {"Status", 57, caCentre},
      {"Frames", 60, caCentre},
  };
  for (int i = 0; i < ListColumnCount; ++i) {
    EXPECT_STREQ(ListColumns[i].Caption, expected[i].Caption);
    EXPECT_EQ(ListColumns[i].Width, expected[i].Width) << i;
    EXPECT_EQ(ListColumns[i].Alignment, expected[i].Alignment) << i;
  }
}

TEST(SplitFilterPatterns, DropsBlanksAndEmptyEntries) {
  using TList = std::vector<std::string>;
  EXPECT_EQ(SplitFilterPatterns("*.rm;*.rmvb;*.ram"), (TList{"*.rm", "*.rmvb", "*.ram"}));
  EXPECT_EQ(SplitFilterPatterns("*.mov; *.qt;;*.dv; "), (TList{"*.mov", "*.qt", "*.dv"}));
  EXPECT_EQ(SplitFilterPatterns(""), TList{});
  EXPECT_EQ(SplitFilterPatterns(" ; "), TList{});
}

TEST(AddFilesFilters, RealMediaFirstThenAnyMediaFile) {
  const std::vector<TFileFilter>& filters = AddFilesFilters();
  ASSERT_EQ(filters.size(), 2u);
  EXPECT_EQ(filters[0].Description, "All Supported Files (*.rm;*.rmvb;*.ram)");
  EXPECT_EQ(QtNameFilter(filters[0]),
            "All Supported Files (*.rm;*.rmvb;*.ram) (*.rm *.rmvb *.ram)");
  EXPECT_EQ(filters[1].Description, "Any video and audio files");
  const std::vector<std::string> patterns = SplitFilterPatterns(filters[1].Patterns);
  EXPECT_EQ(patterns.size(), 41u);
  for (const char* pattern : {"*.avi", "*.qt", "*.dif", "*.au", "*.mjpeg", "*.gif", "*.mkv"})
    EXPECT_NE(std::find(patterns.begin(), patterns.end(), pattern), patterns.end()) << pattern;
  // The blanks of the list are dropped, never kept inside a pattern.
  for (const std::string& pattern : patterns) EXPECT_EQ(pattern.find(' '), std::string::npos);
}

}  // namespace
