// One real conversion through the component: the AVI fixture to MP4, checked by probing the
// output.
#include <gtest/gtest.h>

#include <cstdlib>

#include "EncoderTestSupport.h"
#include "FFDecode.h"

namespace {

using Convert = EncoderTest;

TEST_F(Convert, AviToMp4) {
  TFFEncoder encoder;
  std::vector<TTerminateInfo> notices;
  std::vector<TProgressInfo> progress;
  encoder.SetOnTerminate([&](TObject*, const TTerminateInfo& AInfo) { notices.push_back(AInfo); });
  encoder.SetOnProgress([&](TObject*, PProgressInfo AInfo) { progress.push_back(*AInfo); });
  const TPathFileName output = Out("clip.mp4");
  ASSERT_EQ(encoder.AddTask(FixturePath(fxAviMpeg4Mp3)), 0) << encoder.LastErrMsg();
  TOutputOptions options;
  options.VideoCodec = "mpeg4";
  options.AudioCodec = "aac";
  options.AudioSampleRate = 44100;
  options.AudioChannels = 2;
  ASSERT_TRUE(encoder.SetOutputFile(0, output, &options)) << encoder.LastErrMsg();
  encoder.Start(1);
  ServeUntil([&] { return !notices.empty() && notices.back().TaskIndex == -1; });

  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[0].TaskIndex, 0);
  EXPECT_TRUE(notices[0].Finished) << notices[0].ExceptionMsg;
  EXPECT_FALSE(notices[0].Exception) << notices[0].ExceptionMsg;
  // The job closed its input, so the task's probe no longer describes it.
  EXPECT_EQ(encoder.Task(0).Decoder(0).FileHandle(), nullptr);
  ASSERT_FALSE(progress.empty());
  EXPECT_GT(progress.back().FrameNumber, 0);
  EXPECT_GT(progress.back().CurrentSize, 0);

  const TFixtureFacts& facts = FixtureFacts(fxAviMpeg4Mp3);
  TFFDecoder probe;
  ASSERT_TRUE(probe.LoadFile(output)) << probe.LastErrMsg();
  EXPECT_NE(probe.FormatName().find("mp4"), std::string::npos) << probe.FormatName();
  const TVideoStreamInfo video = probe.FirstVideoStreamInfo();
  const TAudioStreamInfo audio = probe.FirstAudioStreamInfo();
  EXPECT_EQ(video.CodecName.rfind("mpeg4(", 0), 0u) << video.CodecName;  // "name(long name)"
  EXPECT_EQ(video.Width, facts.Width);
  EXPECT_EQ(video.Height, facts.Height);
  EXPECT_EQ(audio.CodecName.rfind("aac(", 0), 0u) << audio.CodecName;
  EXPECT_EQ(audio.SampleRate, 44100);
  EXPECT_EQ(audio.Channels, 2);
  // Within one frame of the input.
  const double frame = static_cast<double>(facts.FrameRate.den) / facts.FrameRate.num;
  EXPECT_NEAR(probe.FileStreamInfo().Duration / 1e6, facts.Seconds, frame + 0.05);
}

}  // namespace
