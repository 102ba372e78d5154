// The small preset rules: frame-size option text, output extension, volume steps, lookup.
#include <gtest/gtest.h>

#include "AVCodecs.h"
#include "FrameSize.h"
#include "VolumeSteps.h"

namespace {

TEST(FrameSizeToOption, DropsTheNoteAndTheBlanks) {
  const std::pair<const char*, const char*> cases[] = {
      {"352 x 288 (CIF)", "352x288"},
      {"720 x 404", "720x404"},
      {"1280x720", "1280x720"},
      {"", ""},
      {"128 x 96 (SQCIF)", "128x96"},
      {"704 x 576 (4CIF)", "704x576"},
      {"(x) 1 x 2", ""},
      {"1 x 2 (a (b))", "1x2"},
  };
  for (const auto& [text, option] : cases) EXPECT_EQ(FrameSizeToOption(text), option) << text;
}

TEST(OutputExtension, IsTheLowerCaseCode) {
  EXPECT_EQ(OutputExtension("MP4"), ".mp4");
  EXPECT_EQ(OutputExtension("3G2"), ".3g2");
  EXPECT_EQ(OutputExtension(""), ".");
}

TEST(FindAVCodec, IsExactAndCaseSensitive) {
  EXPECT_EQ(FindAVCodec("PS3 Video (*.mp4)"), &AVCodecs[31]);
  EXPECT_EQ(FindAVCodec("ps3 video (*.mp4)"), nullptr);
  EXPECT_EQ(FindAVCodec(" PS3 Video (*.mp4)"), nullptr);
  EXPECT_EQ(FindAVCodec(""), nullptr);
  EXPECT_FALSE(IsSeparatorText("             ----"));  // 13 blanks only
  EXPECT_TRUE(IsSeparatorText("x              ----"));
}

TEST(VolumeSteps, PositionsGiveLabelAndLevel) {
  struct TCase {
    int Position;
    const char* Label;
    int Level;
  };
  const TCase cases[] = {{0, "0%", 1},      {1, "20%", 50}, {5, "100%", 255}, {9, "180%", 450},
                         {10, "200%", 600}, {-4, "0%", 1},  {11, "200%", 600}};
  for (const TCase& c : cases) {
    const TVolumeStep step = VolumeStepOf(c.Position);
    EXPECT_EQ(step.Label, c.Label) << c.Position;
    EXPECT_EQ(step.VolumeLevel, c.Level) << c.Position;
  }
  EXPECT_EQ(VolumeStepOf(cVolumeStartPosition).VolumeLevel, 255);
}

}  // namespace
