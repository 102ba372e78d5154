// The probe on the generated media: counts, stream records, file facts and the report.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <thread>

#include "Exceptions.h"
#include "Fixtures.h"
#include "ProbeTestSupport.h"
#include "ProbeText.h"

namespace {

class Decoder : public TProbeLibraries {};

std::int64_t Micros(double ASeconds) {
  return std::llround(ASeconds * 1000000);
}

// Report lines without their CR LF ends; fails when a line lacks its CR.
std::vector<std::string> ReportLines(const std::string& AText) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = AText.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(AText.substr(start, end - start));
  EXPECT_EQ(start, AText.size()) << "text after the last CR LF";
  return lines;
}

bool HasLineStarting(const std::vector<std::string>& ALines, const std::string& APrefix) {
  for (const std::string& l : ALines)
    if (l.rfind(APrefix, 0) == 0) return true;
  return false;
}

struct TMediaCase {
  TFixture Fixture;
  const char* FormatName;
  int VideoStreams;
  int AudioStreams;
  const char* VideoCodec;
  const char* AudioCodec;
  const char* VideoLineStart;  // the stream line up to its codec's name
  const char* AudioLineStart;
  float AspectRatio;  // 0 where the file gives no sample aspect (0/1)
};

const TMediaCase MediaCases[] = {
    {fxAviMpeg4Mp3, "avi", 1, 1, "mpeg4(MPEG-4 part 2)", "mp3float(MP3 (MPEG audio layer 3))",
     "Stream #0, 1/25: Video: mpeg4", "Stream #1, 32/1225: Audio: mp3", 160.0f / 120},
    {fxMp4H264Aac, "mov,mp4,m4a,3gp,3g2,mj2", 1, 1,
     "h264(H.264 / AVC / MPEG-4 AVC / MPEG-4 part 10)", "aac(AAC (Advanced Audio Coding))",
     "Stream #0[0x1](und), 1/30000: Video: h264", "Stream #1[0x2](und), 1/44100: Audio: aac", 0},
    {fxRealMediaRv10Ac3, "rm", 1, 1, "rv10(RealVideo 1.0)", "ac3(ATSC A/52A (AC-3))",
     "Stream #0, 1/1000: Video: rv10", "Stream #1, 1/1000: Audio: ac3", 0},
    {fxWav, "wav", 0, 1, nullptr, "pcm_s16le(PCM signed 16-bit little-endian)", nullptr,
     "Stream #0, 1/22050: Audio: pcm_s16le", 0},
    {fxMp3, "mp3", 0, 1, nullptr, "mp3float(MP3 (MPEG audio layer 3))", nullptr,
     "Stream #0, 1/14112000: Audio: mp3", 0},
};

TEST_F(Decoder, RecordsAndReportOfEachMediaFile) {
  TFFDecoder probe;
  for (const TMediaCase& c : MediaCases) {
    const TFixtureFacts& facts = FixtureFacts(c.Fixture);
    const TPathFileName path = FixturePath(c.Fixture);
    SCOPED_TRACE(path);
    ASSERT_TRUE(probe.LoadFile(path)) << probe.LastErrMsg();
    EXPECT_EQ(probe.FileName(), path);
    EXPECT_EQ(probe.FormatName(), c.FormatName);
    EXPECT_EQ(probe.FileSize(), FileSizeOf(path));
    EXPECT_EQ(probe.StreamCount(), c.VideoStreams + c.AudioStreams);
    EXPECT_EQ(probe.VideoStreamCount(), c.VideoStreams);
    EXPECT_EQ(probe.AudioStreamCount(), c.AudioStreams);
    EXPECT_EQ(probe.SubtitleStreamCount(), 0);
    EXPECT_EQ(probe.FirstVideoStreamIndex(), c.VideoStreams ? 0 : -1);
    EXPECT_EQ(probe.FirstAudioStreamIndex(), c.VideoStreams);
    EXPECT_EQ(probe.FirstSubtitleStreamIndex(), -1);

    TFileStreamInfo file = probe.FileStreamInfo();
    EXPECT_NEAR(file.Duration, Micros(facts.Seconds), 60000);
    EXPECT_GT(file.BitRate, 0);

    TAudioStreamInfo audio = probe.FirstAudioStreamInfo();
    EXPECT_EQ(audio.CodecName, c.AudioCodec);
    EXPECT_EQ(audio.SampleRate, facts.SampleRate);
    EXPECT_EQ(audio.Channels, facts.Channels);
    EXPECT_NE(audio.SampleFormat, AV_SAMPLE_FMT_NONE);
    EXPECT_NEAR(audio.DurationScaled, Micros(facts.Seconds), 60000);

    std::vector<std::string> lines = ReportLines(probe.FileInfoText());
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0], "File Name: " + path);
    EXPECT_EQ(lines[1], std::string("Format Name: ") + c.FormatName);
    EXPECT_TRUE(HasLineStarting(lines, "File Size: " + FormatFileSize(FileSizeOf(path))));
    EXPECT_TRUE(HasLineStarting(lines, "Duration: " + FormatTimeText(file.Duration)));
    EXPECT_TRUE(HasLineStarting(lines, Format("Bit Rate: %d kb/s", file.BitRate / 1000)));
    EXPECT_TRUE(HasLineStarting(lines, c.AudioLineStart));

    if (!c.VideoStreams) continue;
    TVideoStreamInfo video = probe.FirstVideoStreamInfo();
    EXPECT_EQ(video.CodecName, c.VideoCodec);
    EXPECT_EQ(video.Width, facts.Width);
    EXPECT_EQ(video.Height, facts.Height);
    EXPECT_EQ(video.FrameRate.num, facts.FrameRate.num);
    EXPECT_EQ(video.FrameRate.den, facts.FrameRate.den);
    EXPECT_EQ(video.PixFmt, AV_PIX_FMT_YUV420P);
    EXPECT_FLOAT_EQ(video.AspectRatio, c.AspectRatio);
    EXPECT_EQ(video.StartTimeScaled, 0);
    EXPECT_NEAR(video.DurationScaled, Micros(facts.Seconds), 60000);
    EXPECT_TRUE(HasLineStarting(lines, c.VideoLineStart));
  }
}

TEST_F(Decoder, Mp4KeepsTheNtscRateAndItsCreationTime) {
  TFFDecoder probe;
  ASSERT_TRUE(probe.LoadFile(FixturePath(fxMp4H264Aac))) << probe.LastErrMsg();
  TVideoStreamInfo video = probe.FirstVideoStreamInfo();
  EXPECT_EQ(video.FrameRate.num, 30000);
  EXPECT_EQ(video.FrameRate.den, 1001);
  // Two seconds of 1001/30000 frames: 60 frames, 60060 ticks of the 1/30000 time base.
  EXPECT_EQ(video.Duration, 60060);
  EXPECT_EQ(video.DurationScaled, 2002000);
  TFileStreamInfo file = probe.FileStreamInfo();
  EXPECT_EQ(file.TimeStamp, 1304251200);
  EXPECT_EQ(file.Title, "Moving pattern");
  std::vector<std::string> lines = ReportLines(probe.FileInfoText());
  EXPECT_TRUE(HasLineStarting(
      lines, "Time Stamp: " + FormatDateTimeText(1304251200, LocalStandardOffset())));
  EXPECT_TRUE(HasLineStarting(lines, "Stream #0[0x1](und), 1/30000: Video: h264"));
  bool rates = false;
  for (const std::string& l : lines)
    rates = rates || l.find(
                         ", 29.97 fps, 29.97 tbr, 30k tbn, StartTime: 0.000000, Duration: "
                         "00:00:02.002") != std::string::npos;
  EXPECT_TRUE(rates);
}

TEST_F(Decoder, APictureIsOneVideoStreamWithoutDuration) {
  TFFDecoder probe;
  ASSERT_TRUE(probe.LoadFile(FixturePath(fxJpeg))) << probe.LastErrMsg();
  EXPECT_EQ(probe.FormatName(), "jpeg_pipe");
  EXPECT_EQ(probe.StreamCount(), 1);
  EXPECT_EQ(probe.AudioStreamCount(), 0);
  TVideoStreamInfo video = probe.FirstVideoStreamInfo();
  EXPECT_EQ(video.CodecName, "mjpeg(MJPEG (Motion JPEG))");
  EXPECT_EQ(video.Width, 160);
  EXPECT_EQ(video.Height, 120);
  EXPECT_EQ(video.PixFmt, AV_PIX_FMT_YUVJ420P);
  EXPECT_EQ(probe.FileStreamInfo().Duration, -1);
  EXPECT_TRUE(HasLineStarting(ReportLines(probe.FileInfoText()), "Duration: N/A"));
}

TEST_F(Decoder, ProgramsListTheirStreamsWithTheirIdentifiers) {
  TFFDecoder probe;
  ASSERT_TRUE(probe.LoadFile(FixturePath(fxMpegTs))) << probe.LastErrMsg();
  EXPECT_EQ(probe.ProgramCount(), 1);
  EXPECT_EQ(probe.StreamCount(), 2);
  std::vector<std::string> lines = ReportLines(probe.FileInfoText());
  std::vector<std::string> streamLines;
  std::size_t program = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind("Program ", 0) == 0) program = i;
    if (lines[i].rfind("Stream #", 0) == 0) streamLines.push_back(lines[i]);
  }
  ASSERT_LT(program, lines.size());
  // The muxer's default service: provider "FFmpeg", name "Service01".
  EXPECT_EQ(lines[program], "Program 1 FFmpeg@Service01");
  ASSERT_EQ(streamLines.size(), 2u) << "each stream is shown once";
  EXPECT_EQ(streamLines[0].rfind("Stream #0[0x100], 1/90000: Video: mpeg2video", 0), 0u)
      << streamLines[0];
  EXPECT_NE(streamLines[0].find(", 25 fps, 25 tbr, 90k tbn"), std::string::npos);
  EXPECT_EQ(streamLines[1].rfind("Stream #1[0x101], 1/90000: Audio: mp2", 0), 0u) << streamLines[1];
}

TEST_F(Decoder, AFreshProbeHasNoFile) {
  TFFDecoder probe;
  for (int value :
       {probe.StreamCount(), probe.ProgramCount(), probe.VideoStreamCount(),
        probe.AudioStreamCount(), probe.SubtitleStreamCount(), probe.FirstVideoStreamIndex(),
        probe.FirstAudioStreamIndex(), probe.FirstSubtitleStreamIndex()})
    EXPECT_EQ(value, -1);
  EXPECT_EQ(probe.FileSize(), -1);
  EXPECT_EQ(probe.FileHandle(), nullptr);
  EXPECT_EQ(probe.FileName(), "");

  TLogRecorder log;
  EXPECT_EQ(probe.FileInfoText(), "");
  EXPECT_TRUE(log.Has(llWarning, "file not loaded."));
  EXPECT_EQ(probe.LastErrMsg(), "file not loaded.");
  TFileStreamInfo file = probe.FileStreamInfo();
  EXPECT_EQ(file.Duration, -1);
  EXPECT_EQ(file.StartTime, -1);
  EXPECT_EQ(file.BitRate, -1);
  EXPECT_EQ(file.TimeStamp, -1);
  EXPECT_EQ(file.Year, -1);
  EXPECT_EQ(file.Track, -1);
  EXPECT_EQ(file.Title, "");
  EXPECT_FALSE(probe.IsVideoStream(0));
  TVideoStreamInfo video = probe.FirstVideoStreamInfo();
  EXPECT_EQ(video.Width, -1);
  EXPECT_EQ(log.Entries().size(), 4u);
}

TEST_F(Decoder, AnAudioOnlyFileLeavesTheVideoRecordUnset) {
  TFFDecoder probe;
  ASSERT_TRUE(probe.LoadFile(FixturePath(fxWav))) << probe.LastErrMsg();
  EXPECT_EQ(probe.FirstVideoStreamIndex(), -1);
  TLogRecorder log;
  TVideoStreamInfo video;
  video.Width = 99;
  probe.GetVideoStreamInfo(-1, video);
  EXPECT_TRUE(log.Has(llError, "no video stream."));
  EXPECT_EQ(probe.LastErrMsg(), "no video stream.");
  EXPECT_EQ(video.Width, -1);
  EXPECT_EQ(video.Height, -1);
  EXPECT_EQ(video.FrameRate.num, -1);
  EXPECT_EQ(video.FrameRate.den, -1);
  EXPECT_EQ(video.DurationScaled, -1);
  EXPECT_EQ(video.PixFmt, AV_PIX_FMT_NONE);
  EXPECT_EQ(video.AspectRatio, -1.0f);
  EXPECT_EQ(video.CodecName, "");
  EXPECT_EQ(probe.FirstSubtitleStreamInfo().CodecName, "");
  EXPECT_TRUE(log.Has(llError, "no subtitle stream."));
}

TEST_F(Decoder, StreamQueriesOfTheWrongIndexOrKind) {
  TFFDecoder probe;
  ASSERT_TRUE(probe.LoadFile(FixturePath(fxAviMpeg4Mp3))) << probe.LastErrMsg();
  TLogRecorder log;
  TVideoStreamInfo video;
  TAudioStreamInfo audio;
  TSubtitleStreamInfo subtitle;
  const struct {
    std::function<void()> Query;
    const char* Message;
  } cases[] = {
      {[&] { probe.GetVideoStreamInfo(2, video); }, "stream index #2 is invalid."},
      {[&] { probe.GetVideoStreamInfo(1, video); }, "stream #1 is not video stream."},
      {[&] { probe.GetAudioStreamInfo(0, audio); }, "stream #0 is not audio stream."},
      {[&] { probe.GetSubtitleStreamInfo(0, subtitle); }, "stream #0 is not subtitle stream."},
      {[&] { EXPECT_FALSE(probe.IsAudioStream(-1)); }, "stream index #-1 is invalid."},
      {[&] { EXPECT_FALSE(probe.IsVideoStream(2)); }, "stream index #2 is invalid."},
  };
  for (const auto& c : cases) {
    c.Query();
    EXPECT_EQ(probe.LastErrMsg(), c.Message);
    EXPECT_TRUE(log.Has(llError, c.Message)) << c.Message;
  }
  EXPECT_EQ(video.Width, -1);
  EXPECT_EQ(audio.SampleRate, -1);
  EXPECT_TRUE(probe.IsVideoStream(0));
  EXPECT_TRUE(probe.IsAudioStream(1));
  EXPECT_FALSE(probe.IsSubtitleStream(1));
  probe.GetAudioStreamInfo(1, audio);
  EXPECT_EQ(audio.SampleRate, 44100);
}

TEST_F(Decoder, UnknownDurationIsReportedAsNotAvailable) {
  TFFDecoder probe;
  ASSERT_TRUE(probe.LoadFile(FixturePath(fxUnknownDuration))) << probe.LastErrMsg();
  EXPECT_EQ(probe.FileStreamInfo().Duration, -1);
  TVideoStreamInfo video = probe.FirstVideoStreamInfo();
  EXPECT_EQ(video.Duration, AV_NOPTS_VALUE);
  EXPECT_EQ(video.DurationScaled, -1);
  EXPECT_EQ(video.Width, 160);
  std::vector<std::string> lines = ReportLines(probe.FileInfoText());
  EXPECT_TRUE(HasLineStarting(lines, "Duration: N/A"));
  EXPECT_TRUE(HasLineStarting(lines, "Bit Rate: N/A"));
  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(lines.back().ends_with(", Duration: N/A")) << lines.back();
}

TEST_F(Decoder, TagsFillTheFileRecordUnderOldAndNewNames) {
  TFFDecoder probe;
  ASSERT_TRUE(probe.LoadFile(FixturePath(fxMp3))) << probe.LastErrMsg();
  TFileStreamInfo mp3 = probe.FileStreamInfo();
  EXPECT_EQ(mp3.Title, "Tone");
  EXPECT_EQ(mp3.Author, "Vorandel tests");  // written as "artist"
  EXPECT_EQ(mp3.Album, "Fixtures");
  EXPECT_EQ(mp3.Year, 2011);  // from "date"
  EXPECT_EQ(mp3.Track, 7);
  EXPECT_EQ(mp3.TimeStamp, 0);
  EXPECT_EQ(mp3.Genre, "");
  std::vector<std::string> lines = ReportLines(probe.FileInfoText());
  EXPECT_TRUE(HasLineStarting(lines, "Metadata:"));
  EXPECT_TRUE(HasLineStarting(lines, "  album           : Fixtures"));

  ASSERT_TRUE(probe.LoadFile(FixturePath(fxAviMpeg4Mp3))) << probe.LastErrMsg();
  TFileStreamInfo avi = probe.FileStreamInfo();
  EXPECT_EQ(avi.Title, "Moving pattern");
  EXPECT_EQ(avi.Author, "Vorandel tests");
  EXPECT_EQ(avi.Year, 0);
  EXPECT_EQ(avi.Track, 0);
  EXPECT_EQ(avi.StartTime, 0);
  EXPECT_TRUE(HasLineStarting(ReportLines(probe.FileInfoText()), "StartTime: 0.000000"));
}

TEST_F(Decoder, ForcedFormats) {
  TFFDecoder probe;
  const TPathFileName wav = FixturePath(fxWav);
  ASSERT_TRUE(probe.LoadFile(wav, "wav")) << probe.LastErrMsg();
  EXPECT_EQ(probe.ForceFormat(), "wav");
  {
    TLogRecorder log;
    EXPECT_FALSE(probe.LoadFile(wav, "no_such_demuxer"));
    EXPECT_EQ(probe.LastErrMsg(), "Unknown input format: no_such_demuxer");
    EXPECT_TRUE(log.Entries().empty());
  }
  EXPECT_EQ(probe.FileHandle(), nullptr);
  EXPECT_EQ(probe.StreamCount(), -1);
  EXPECT_EQ(probe.ForceFormat(), "");
  ASSERT_TRUE(probe.LoadFile(wav)) << probe.LastErrMsg();
  EXPECT_EQ(probe.ForceFormat(), "");
}

TEST_F(Decoder, AForeignContextIsDescribedButNeverClosed) {
  const TPathFileName path = FixturePath(fxAviMpeg4Mp3);
  AVFormatContext* raw = nullptr;
  ASSERT_EQ(FF.avformat_open_input(&raw, path.c_str(), nullptr, nullptr), 0);
  TInputFormatPtr foreign(raw);
  ASSERT_GE(FF.avformat_find_stream_info(foreign.get(), nullptr), 0);
  {
    TFFDecoder probe;
    ASSERT_TRUE(probe.LoadFile(FixturePath(fxWav))) << probe.LastErrMsg();
    probe.SetFileHandle(foreign.get());
    EXPECT_EQ(probe.FileHandle(), foreign.get());
    EXPECT_EQ(probe.StreamCount(), 2);
    EXPECT_EQ(probe.FileSize(), FileSizeOf(path));
    EXPECT_EQ(probe.FirstVideoStreamInfo().Width, 160);
    probe.CloseFile();
    EXPECT_EQ(probe.StreamCount(), -1);
    probe.SetFileHandle(foreign.get());
    ASSERT_TRUE(probe.LoadFile(FixturePath(fxWav))) << probe.LastErrMsg();
    probe.SetFileHandle(foreign.get());
  }  // destroyed while attached
  // Still open and usable (the sanitizers catch a use after free here).
  TPacketPtr packet(FF.av_packet_alloc());
  EXPECT_EQ(FF.av_read_frame(foreign.get(), packet.get()), 0);
}

TEST_F(Decoder, BeforeFindStreamInfoRunsOnTheMainThreadWhenAsked) {
  const TPathFileName path = FixturePath(fxWav);
  for (bool inMainThread : {true, false}) {
    TFFDecoder probe;
    probe.SetTriggerEventInMainThread(inMainThread);
    TThreadID eventThread = 0;
    AVFormatContext* eventContext = nullptr;
    int calls = 0;
    probe.SetOnBeforeFindStreamInfo([&](TObject* ASender, AVFormatContext* AContext) {
      EXPECT_EQ(ASender, &probe);
      eventThread = GetCurrentThreadID();
      eventContext = AContext;
      ++calls;
    });
    std::atomic<bool> done{false};
    bool loaded = false;
    TThreadID workerThread = 0;
    std::thread worker([&] {
      workerThread = GetCurrentThreadID();
      loaded = probe.LoadFile(path);
      done = true;
    });
    while (!done) WaitForMainThreadCalls(std::chrono::milliseconds(10));
    worker.join();
    ASSERT_TRUE(loaded) << probe.LastErrMsg();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(eventContext, probe.FileHandle());
    EXPECT_EQ(eventThread, inMainThread ? GetCurrentThreadID() : workerThread);
  }
}

TEST_F(Decoder, MissingLibrariesRaise) {
  const struct {
    TLibrary Library;
    const char* Message;
  } cases[] = {{avCodec, "LibAVCodec not loaded."},
               {avFormat, "LibAVFormat not loaded."},
               {swScale, "LibSwScale not loaded."}};
  const TPathFileName path = FixturePath(fxWav);
  TFFDecoder probe;
  for (const auto& c : cases) {
    FFLoader().Unload(c.Library);
    EXPECT_FALSE(probe.AVLibLoaded());
    try {
      probe.LoadFile(path);
      ADD_FAILURE() << "no exception for " << c.Message;
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), c.Message);
    }
    ASSERT_TRUE(probe.LoadAVLib(ProgramFolder())) << probe.LastErrMsg();
  }
  probe.UnloadAVLib();
  EXPECT_THROW(probe.SetFileHandle(reinterpret_cast<AVFormatContext*>(&probe)), Exception);
  ASSERT_TRUE(probe.LoadAVLib(ProgramFolder())) << probe.LastErrMsg();
  EXPECT_TRUE(probe.AVLibLoaded());
  EXPECT_TRUE(probe.LoadFile(path)) << probe.LastErrMsg();
}

}  // namespace
