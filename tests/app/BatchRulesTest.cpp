// The batch controller's numbers and texts: percent, size panel, frames cell, final status.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "BatchRules.h"

namespace {

TEST(BatchRules, ProgressPercent) {
  constexpr std::int64_t cMax = std::numeric_limits<std::int64_t>::max();
  const struct {
    std::int64_t Current, Total;
    int Percent;
  } cases[] = {{0, 100, 0},          {50, 100, 50},       {999, 1000, 99}, {100, 100, 100},
               {300, 100, 100},      {10, 0, 0},          {10, -5, 0},     {-10, 100, 0},
               {cMax - 1, cMax, 99}, {cMax / 2, cMax, 49}};
  for (const auto& c : cases)
    EXPECT_EQ(ProgressPercent(c.Current, c.Total), c.Percent) << c.Current << "/" << c.Total;
  EXPECT_EQ(ProgressStatusText(7), "7%");
}

TEST(BatchRules, FileSizeRoundsHalvesToEven) {
  const struct {
    std::int64_t Bytes;
    const char* Text;
  } cases[] = {{0, "File Size : 0 MBytes"},       {499999, "File Size : 0 MBytes"},
               {500000, "File Size : 0 MBytes"},  {1500000, "File Size : 2 MBytes"},
               {2500000, "File Size : 2 MBytes"}, {2500001, "File Size : 3 MBytes"},
               {3500000, "File Size : 4 MBytes"}, {1048576000, "File Size : 1049 MBytes"}};
  for (const auto& c : cases) EXPECT_EQ(FileSizePanelText(c.Bytes), c.Text) << c.Bytes;
}

TEST(BatchRules, FramesCellAndRowEnd) {
  EXPECT_EQ(FramesCellText(-1), " ");
  EXPECT_EQ(FramesCellText(0), "0");
  EXPECT_EQ(FramesCellText(1234), "1234");
  EXPECT_STREQ(RowEndStatus(RowEndOf(false, false)), "Done");
  EXPECT_STREQ(RowEndStatus(RowEndOf(false, true)), "Abort");
  EXPECT_STREQ(RowEndStatus(RowEndOf(true, false)), "Fail");
  EXPECT_STREQ(RowEndStatus(RowEndOf(true, true)), "Fail");
}

TEST(BatchRules, MissingFolderMessageNamesTheFolderAsTyped) {
  EXPECT_EQ(MissingOutputFolderMessage(" /out "),
            "The output folder \" /out \"\n\rdoes not exist or has been deleted!\n\rPlease "
            "choose a new output folder.");
}

}  // namespace
