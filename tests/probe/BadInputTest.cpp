// The probe on files it cannot read or that describe impossible pictures.
#include <gtest/gtest.h>

#include <cmath>

#include "FFUtils.h"
#include "Fixtures.h"
#include "ProbeTestSupport.h"

namespace {

class BadInput : public TProbeLibraries {};

TEST_F(BadInput, UnreadableFilesFailWithTheirNameAndTheLibrarysReason) {
  const struct {
    TPathFileName Path;
    int Code;
  } cases[] = {
      {FixturePath(fxEmpty), AVERROR_INVALIDDATA},
      {FixturePath(fxTextAsRm), AVERROR_INVALIDDATA},
      {FixturePath(fxTruncated), AVERROR_INVALIDDATA},
      {FixtureFolder() + "no-such-file.avi", AVERROR(ENOENT)},
  };
  TFFDecoder probe;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Path);
    ASSERT_TRUE(probe.LoadFile(FixturePath(fxWav))) << probe.LastErrMsg();
    TLogRecorder log;
    EXPECT_FALSE(probe.LoadFile(c.Path));
    const std::string expected = ffmpeg_error_text(c.Path, c.Code);
    EXPECT_EQ(probe.LastErrMsg(), expected);
    EXPECT_TRUE(log.Has(llError, expected));
    EXPECT_EQ(probe.FileHandle(), nullptr);
    EXPECT_EQ(probe.StreamCount(), -1);
    EXPECT_EQ(probe.FileSize(), -1);
  }
}

TEST_F(BadInput, ImpossibleFrameSizesAreReportedAsFound) {
  for (TFixture f : {fxHugeFrameSize, fxZeroFrameSize}) {
    const TPathFileName path = FixturePath(f);
    SCOPED_TRACE(path);
    TFFDecoder probe;
    ASSERT_TRUE(probe.LoadFile(path)) << probe.LastErrMsg();
    ASSERT_EQ(probe.VideoStreamCount(), 1);
    TVideoStreamInfo video = probe.FirstVideoStreamInfo();
    // The library refuses the claimed size and keeps none.
    EXPECT_EQ(video.Width, 0);
    EXPECT_EQ(video.Height, 0);
    EXPECT_TRUE(std::isnan(video.AspectRatio));
    EXPECT_EQ(video.FrameRate.num, 25);
    std::string report = probe.FileInfoText();
    EXPECT_NE(report.find("Stream #0, 1/25: Video: rawvideo"), std::string::npos) << report;
  }
}

TEST_F(BadInput, AnInterruptedOpenFailsWithTheExitReason) {
  TFFDecoder probe;
  const TPathFileName path = FixturePath(fxAviMpeg4Mp3);
  static const char code = 0;
  InterruptCB().Add(GetCurrentThreadID(), &probe, &code, [](TObject*) { return true; });
  bool loaded = probe.LoadFile(path);
  InterruptCB().Remove(GetCurrentThreadID(), &probe, &code);
  EXPECT_FALSE(loaded);
  EXPECT_EQ(probe.LastErrMsg(), ffmpeg_error_text(path, AVERROR_EXIT));
  EXPECT_TRUE(probe.LoadFile(path)) << probe.LastErrMsg();
}

TEST_F(BadInput, UnicodeNamesAreReadThroughTheProgramsOwnIO) {
  TFFDecoder probe;
  const TPathFileName path = FixturePath(fxWav);
  ASSERT_TRUE(probe.LoadFile("unicode:" + path)) << probe.LastErrMsg();
  EXPECT_EQ(probe.FileName(), "unicode:" + path);
  EXPECT_EQ(probe.FileSize(), FileSizeOf(path));
  EXPECT_EQ(probe.FirstAudioStreamInfo().SampleRate, 22050);
  const TPathFileName missing = "unicode:" + FixtureFolder() + "no-such-file.wav";
  EXPECT_FALSE(probe.LoadFile(missing));
  EXPECT_EQ(probe.LastErrMsg(), ffmpeg_error_text(missing, AVERROR(ENOENT)));
}

}  // namespace
