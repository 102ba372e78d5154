// End-to-end conversions on generated media, checked by probing the outputs: containers,
// codecs, geometry, rates and durations; time limits, a stopped job and the DTS guard.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <fstream>
#include <iterator>

#include "EngineMediaSupport.h"
#include "FFDecode.h"
#include "FFmpegOptionText.h"

namespace {

struct TProbed {
  std::string Format;
  std::string VideoCodec;  // decoder name, empty without video
  std::string AudioCodec;
  int Width = -1, Height = -1;
  double FrameRate = -1;
  int SampleRate = -1, Channels = -1;
  double Seconds = -1;
  double VideoStart = 0, AudioStart = 0;  // seconds
  int VideoStreams = 0, AudioStreams = 0;
};

std::string ShortName(const std::string& ACodecName) {
  return ACodecName.substr(0, ACodecName.find('('));
}

TProbed Probe(const std::string& AFile) {
  TFFDecoder probe;
  TProbed p;
  const bool loaded = probe.LoadFile(AFile);
  EXPECT_TRUE(loaded) << probe.LastErrMsg();
  if (!loaded) return p;
  p.Format = probe.FormatName();
  p.VideoStreams = probe.VideoStreamCount();
  p.AudioStreams = probe.AudioStreamCount();
  if (p.VideoStreams > 0) {
    TVideoStreamInfo v;
    probe.GetVideoStreamInfo(-1, v);
    p.VideoCodec = ShortName(v.CodecName);
    p.Width = v.Width;
    p.Height = v.Height;
    p.FrameRate = v.FrameRate.den > 0 ? av_q2d(v.FrameRate) : -1;
    if (v.StartTimeScaled != AV_NOPTS_VALUE) p.VideoStart = v.StartTimeScaled / 1e6;
  }
  if (p.AudioStreams > 0) {
    TAudioStreamInfo a;
    probe.GetAudioStreamInfo(-1, a);
    p.AudioCodec = ShortName(a.CodecName);
    p.SampleRate = a.SampleRate;
    p.Channels = a.Channels;
    if (a.StartTimeScaled != AV_NOPTS_VALUE) p.AudioStart = a.StartTimeScaled / 1e6;
  }
  p.Seconds = probe.FileStreamInfo().Duration / 1e6;
  return p;
}

// The timestamps of every packet of a file, per stream, in file order.
struct TPacketTimes {
  std::vector<std::vector<std::int64_t>> Dts, Pts;
  std::vector<AVMediaType> Kind;
  std::vector<int> KeyPackets;   // count per stream
  double AudioFrameSeconds = 0;  // length of one frame of the first audio stream
};

TPacketTimes ReadPacketTimes(const std::string& AFile) {
  TPacketTimes t;
  AVFormatContext* opened = nullptr;
  if (FF.avformat_open_input(&opened, AFile.c_str(), nullptr, nullptr) < 0) return t;
  const TInputFormatPtr ic(opened);
  // Program streams announce their streams while being read.
  if (FF.avformat_find_stream_info(ic.get(), nullptr) < 0) return t;
  for (unsigned i = 0; i < ic->nb_streams; ++i) {
    const AVCodecParameters* par = ic->streams[i]->codecpar;
    t.Kind.push_back(par->codec_type);
    if (par->codec_type == AVMEDIA_TYPE_AUDIO && t.AudioFrameSeconds == 0 && par->sample_rate > 0)
      t.AudioFrameSeconds =
          static_cast<double>(par->frame_size > 0 ? par->frame_size : 1024) / par->sample_rate;
  }
  t.Dts.resize(ic->nb_streams);
  t.Pts.resize(ic->nb_streams);
  t.KeyPackets.resize(ic->nb_streams);
  const TPacketPtr pkt(FF.av_packet_alloc());
  while (FF.av_read_frame(ic.get(), pkt.get()) >= 0) {
    if (pkt->stream_index >= static_cast<int>(t.Kind.size())) {
      ADD_FAILURE() << "stream " << pkt->stream_index << " appeared late";
      break;
    }
    t.Dts[pkt->stream_index].push_back(pkt->dts);
    t.Pts[pkt->stream_index].push_back(pkt->pts);
    t.KeyPackets[pkt->stream_index] += (pkt->flags & AV_PKT_FLAG_KEY) != 0;
    const AVStream* st = ic->streams[pkt->stream_index];
    if (st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && pkt->duration > 0)
      t.AudioFrameSeconds = std::max(t.AudioFrameSeconds, pkt->duration * av_q2d(st->time_base));
    FF.av_packet_unref(pkt.get());
  }
  return t;
}

class Transcode : public MediaTest {
 protected:
  // Runs one job on this thread: input option text before each input, then the output's.
  void Convert(std::initializer_list<TFixture> AInputs, const std::string& AInputOptions,
               const std::string& AOptions, const std::string& AOutput) {
    Job = std::make_unique<TCustomFFmpeg>(4);
    const auto set = [this](const std::string& n, const std::string& v) {
      Job->SetExtOption(n, v);
    };
    for (TFixture f : AInputs) {
      ApplyOptionLines(AInputOptions, true, set);
      ASSERT_TRUE(Job->add_input_file(FixturePath(f))) << Job->LastErrMsg();
    }
    ApplyOptionLines(AOptions, true, set);
    ASSERT_GE(Job->add_output_file(AOutput, false), 0) << Job->LastErrMsg();
    Job->StartConvert(false);
    ASSERT_FALSE(Job->FatalException()) << Job->FatalMessage();
    EXPECT_TRUE(Job->Finished());
  }
};

struct TConversion {
  TFixture Input;
  const char* Options;
  const char* Output;
  const char* Format;
  const char* Video;  // "" without video
  const char* Audio;
  int Width, Height;
  double Rate;
  int SampleRate, Channels;
};

TEST_F(Transcode, ConversionsTable) {
  const TConversion table[] = {
      {fxRealMediaRv10Ac3, "vcodec=mpeg4\nb=1000000\nacodec=libmp3lame", "rm.avi", "avi", "mpeg4",
       "mp3float", 176, 144, 25, 48000, 2},
      {fxMp4H264Aac, "vcodec=mpeg4\nb=1000000\nacodec=libmp3lame", "mp4.avi", "avi", "mpeg4",
       "mp3float", 160, 120, 30000.0 / 1001, 44100, 2},
      {fxMp4H264Aac, "vcodec=mpeg1video\nacodec=mp2", "mp4.mpg", "mpeg", "mpeg1video", "mp2", 160,
       120, 30000.0 / 1001, 44100, 2},
      {fxRealMediaRv10Ac3, "target=pal-dvd", "rm.mpg", "mpeg", "mpeg2video", "ac3", 720, 576, 25,
       48000, 2},
      {fxMp4H264Aac, "vcodec=mpeg4\nacodec=aac", "mp4.mp4", "mov,mp4,m4a,3gp,3g2,mj2", "mpeg4",
       "aac", 160, 120, 30000.0 / 1001, 44100, 2},
      {fxRealMediaRv10Ac3, "vcodec=libx264\nacodec=ac3", "rm.mkv", "matroska,webm", "h264", "ac3",
       176, 144, 25, 48000, 2},
      {fxRealMediaRv10Ac3, "s=320x240\nr=15", "rm.flv", "flv", "flv", "mp3float", 320, 240, 15,
       48000, 2},
      {fxMp4H264Aac, "vcodec=wmv2\nacodec=wmav2", "mp4.wmv", "asf", "wmv2", "wmav2", 160, 120,
       30000.0 / 1001, 44100, 2},
      {fxMp4H264Aac, "vn=1\nacodec=libvorbis", "mp4.ogg", "ogg", "", "vorbis", -1, -1, -1, 44100,
       2},
      {fxRealMediaRv10Ac3, "", "rm.wav", "wav", "", "pcm_s16le", -1, -1, -1, 48000, 2},
      {fxMp4H264Aac, "", "mp4.mp3", "mp3", "", "mp3float", -1, -1, -1, 44100, 2},
      // A legal H.263 size (176x144), AAC at the narrow-band rate.
      {fxRealMediaRv10Ac3, "vcodec=h263\nacodec=aac\nar=8000\nac=1", "rm.3gp",
       "mov,mp4,m4a,3gp,3g2,mj2", "h263", "aac", 176, 144, 25, 8000, 1},
      {fxMp4H264Aac, "vcodec=copy\nacodec=copy", "mp4.mkv", "matroska,webm", "h264", "aac", 160,
       120, 30000.0 / 1001, 44100, 2},
      // The Matroska muxer takes no RealVideo; a RealMedia copy stays RealMedia.
      {fxRealMediaRv10Ac3, "vcodec=copy\nacodec=copy", "copy.rm", "rm", "rv10", "ac3", 176, 144, 25,
       48000, 2},
      {fxRealMediaRv10Ac3, "vf=hflip\ns=320x240\nvcodec=mpeg4\nacodec=libmp3lame", "vf.avi", "avi",
       "mpeg4", "mp3float", 320, 240, 25, 48000, 2},
  };
  for (const TConversion& c : table) {
    SCOPED_TRACE(c.Output);
    const std::string out = Out(c.Output);
    Convert({c.Input}, "", c.Options, out);
    if (HasFatalFailure()) return;
    const TProbed p = Probe(out);
    const double seconds = Probe(FixturePath(c.Input)).Seconds;  // the input's, as probed
    EXPECT_EQ(p.Format, c.Format);
    EXPECT_EQ(p.VideoCodec, c.Video);
    EXPECT_EQ(p.AudioCodec, c.Audio);
    EXPECT_EQ(p.Width, c.Width);
    EXPECT_EQ(p.Height, c.Height);
    EXPECT_EQ(p.SampleRate, c.SampleRate);
    EXPECT_EQ(p.Channels, c.Channels);
    const TPacketTimes t = ReadPacketTimes(out);
    // Within one video frame of the input's length (30 ms without video), beside the audio
    // encoder's start delay that containers without an edit list keep (up to one frame).
    EXPECT_NEAR(p.Seconds, seconds, (c.Rate > 0 ? 1 / c.Rate : 0.03) + t.AudioFrameSeconds);
    for (std::size_t s = 0; s < t.Kind.size(); ++s) {
      if (t.Kind[s] != AVMEDIA_TYPE_VIDEO) continue;
      // Matroska keeps milliseconds and no frame rate: the probe estimates it.
      EXPECT_NEAR(p.FrameRate, c.Rate, c.Rate * 0.03);
      EXPECT_NEAR(static_cast<double>(t.Dts[s].size()), seconds * c.Rate, 1);
    }
    if (p.VideoStreams && p.AudioStreams) {
      EXPECT_NEAR(p.VideoStart, p.AudioStart, t.AudioFrameSeconds);
    }
  }
}

TEST_F(Transcode, FrameRateConversionDropsAsCounted) {
  struct TCase {
    TFixture Input;
    const char* Rate;
    int Frames, Drops;  // 2 s of input
  } cases[] = {{fxRealMediaRv10Ac3, "15", 30, 20}, {fxMp4H264Aac, "25", 50, 10}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Rate);
    int frames = 0;
    Job = std::make_unique<TCustomFFmpeg>(4);
    const auto set = [this](const std::string& n, const std::string& v) {
      Job->SetExtOption(n, v);
    };
    AddInputs({c.Input});
    ApplyOptionLines(std::string("an=1\nvcodec=mpeg4\nr=") + c.Rate, true, set);
    ASSERT_GE(Job->add_output_file(Out("rate.avi"), false), 0);
    Job->SetOnProgress([&](TObject*, int AFile, int AFrame, int, float, float, std::int64_t,
                           std::int64_t, std::int64_t) {
      if (AFile == -1) frames = AFrame;
    });
    Job->StartConvert(false);
    ASSERT_FALSE(Job->FatalException()) << Job->FatalMessage();
    EXPECT_NEAR(frames, c.Frames, 1);
    EXPECT_NEAR(Job->Fnb_frames_drop, c.Drops, 1);
    EXPECT_EQ(Job->Fnb_frames_dup, 0);
  }
}

TEST_F(Transcode, TimeLimitAndStartTime) {
  Convert({fxMp4H264Aac}, "", "t=1\nvcodec=mpeg4\nacodec=libmp3lame", Out("t.avi"));
  EXPECT_NEAR(Probe(Out("t.avi")).Seconds, 1.0, 0.1);
  Convert({fxRealMediaRv10Ac3}, "ss=0.5", "vcodec=mpeg4\nacodec=libmp3lame", Out("ss.avi"));
  EXPECT_NEAR(Probe(Out("ss.avi")).Seconds, 1.5, 0.1);
  // A copy starts at the first key frame at or after the start time.
  Convert({fxMp4H264Aac}, "", "ss=0.5\nvcodec=copy\nacodec=copy", Out("ss.mkv"));
  const double copied = Probe(Out("ss.mkv")).Seconds;
  EXPECT_GT(copied, 0.5);
  EXPECT_LE(copied, 1.55);
}

TEST_F(Transcode, TwoPassWritesAndReadsItsLog) {
  const std::string prefix = Out("stats");
  Convert({fxMp4H264Aac}, "", "vcodec=mpeg4\nb=200000\npass=1\nan=1\npasslogfile=" + prefix,
          Out("p1.mp4"));
  std::ifstream log(prefix + "-0.log");
  ASSERT_TRUE(log.good());
  std::string first;
  std::getline(log, first);
  EXPECT_FALSE(first.empty());
  Convert({fxMp4H264Aac}, "", "vcodec=mpeg4\nb=200000\npass=2\nan=1\npasslogfile=" + prefix,
          Out("p2.mp4"));
  const TProbed p = Probe(Out("p2.mp4"));
  EXPECT_EQ(p.VideoCodec, "mpeg4");
  EXPECT_NEAR(p.Seconds, 2.0, 0.1);
}

TEST_F(Transcode, StoppedJobStillWritesTrailer) {
  // On a worker, as the component runs jobs: the stop aborts blocking reads, never the trailer.
  Job = std::make_unique<TCustomFFmpeg>(4);
  ASSERT_TRUE(Job->add_input_file(FixturePath(fxMp4H264Aac)));
  const auto set = [this](const std::string& n, const std::string& v) { Job->SetExtOption(n, v); };
  ApplyOptionLines("vcodec=mpeg4\nacodec=libmp3lame", true, set);
  ASSERT_GE(Job->add_output_file(Out("stop.avi"), false), 0);
  std::atomic<int> reports{0};
  Job->ReportInterval = 0;  // a report for every packet
  Job->SetOnProgress(
      [&](TObject*, int, int, int, float, float, std::int64_t, std::int64_t, std::int64_t) {
        if (++reports == 5) Job->Stop(false);
      });
  std::atomic<bool> terminated{false};
  Job->SetOnTerminate([&](TObject*) { terminated = true; });
  TConvertThread* worker = Job->StartConvert(true);
  ASSERT_NE(worker, nullptr);
  worker->Resume();
  while (!terminated) WaitForMainThreadCalls(std::chrono::milliseconds(20));
  Job->Stop(true);
  EXPECT_FALSE(Job->FatalException()) << Job->FatalMessage();
  EXPECT_FALSE(Job->Finished());
  const TProbed p = Probe(Out("stop.avi"));
  EXPECT_EQ(p.VideoCodec, "mpeg4");
  EXPECT_GT(p.Seconds, 0.0);  // the header was completed by the trailer
  EXPECT_LT(p.Seconds, 1.9);
}

TEST_F(Transcode, DamagedInputConvertsWhatDecodesOrFails) {
  // A copy of an AVI with every byte of its middle third inverted, and a truncated MP4.
  const std::string flipped = Out("flipped.avi");
  {
    std::ifstream in(FixturePath(fxAviMpeg4Mp3), std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (std::size_t i = data.size() / 3; i < 2 * data.size() / 3; ++i) data[i] = ~data[i];
    std::ofstream(flipped, std::ios::binary) << data;
  }
  for (const std::string& input : {flipped, std::string(FixturePath(fxTruncated))}) {
    SCOPED_TRACE(input);
    Job = std::make_unique<TCustomFFmpeg>(4);
    if (!Job->add_input_file(input)) {
      EXPECT_FALSE(Job->LastErrMsg().empty());
      continue;
    }
    const auto set = [this](const std::string& n, const std::string& v) {
      Job->SetExtOption(n, v);
    };
    ApplyOptionLines("vcodec=mpeg4\nacodec=libmp3lame", true, set);
    ASSERT_GE(Job->add_output_file(Out("damaged.avi"), false), 0);
    Job->StartConvert(false);
    EXPECT_TRUE(Job->Terminated());
    if (Job->FatalException()) {
      EXPECT_FALSE(Job->FatalMessage().empty());
    } else {
      EXPECT_EQ(Probe(Out("damaged.avi")).VideoCodec, "mpeg4");
    }
  }
}

TEST_F(Transcode, CopyAcrossADiscontinuityKeepsRisingDts) {
  // Two inputs joined by the stream choice of the copy: the second file's packets start again
  // at 0, behind the first's; the guard moves them and the muxer accepts every packet.
  Job = std::make_unique<TCustomFFmpeg>(4);
  const auto set = [this](const std::string& n, const std::string& v) { Job->SetExtOption(n, v); };
  ASSERT_TRUE(Job->add_input_file(FixturePath(fxMp4H264Aac)));
  Job->Finput_files_ts_offset[0] = 0;
  ApplyOptionLines("vcodec=copy\nan=1", true, set);
  ASSERT_GE(Job->add_output_file(Out("guard.mkv"), false), 0);
  // Halfway, the file's timestamps jump back by one second.
  bool jumped = false;
  Job->SetOnProgress(
      [&](TObject*, int, int, int, float, float, std::int64_t, std::int64_t ACur, std::int64_t) {
        if (!jumped && ACur > 1000000) {
          Job->Finput_files_ts_offset[0] -= 1000000;
          jumped = true;
        }
      });
  Job->ReportInterval = 0;
  Job->StartConvert(false);
  ASSERT_FALSE(Job->FatalException()) << Job->FatalMessage();
  EXPECT_TRUE(jumped);
  EXPECT_TRUE(WasLogged(llWarning, "does not rise above"));
  EXPECT_EQ(Probe(Out("guard.mkv")).VideoCodec, "h264");
}

}  // namespace

namespace {

TEST_F(Transcode, JoinModePlaysTheInputsOneAfterTheOther) {
  Job = std::make_unique<TCustomFFmpeg>(4);
  const auto set = [this](const std::string& n, const std::string& v) { Job->SetExtOption(n, v); };
  AddInputs({fxRealMediaRv10Ac3, fxMp4H264Aac});
  ApplyOptionLines("vcodec=mpeg4\nr=25\ns=320x240\nacodec=libmp3lame\nar=44100", true, set);
  ASSERT_EQ(Job->add_output_file(Out("join.avi"), true), 1) << Job->LastErrMsg();
  Job->join_output_slots();
  std::vector<int> files;
  Job->ReportInterval = 0;
  Job->SetOnProgress(
      [&](TObject*, int AFile, int, int, float, float, std::int64_t, std::int64_t, std::int64_t) {
        if (files.empty() || files.back() != AFile) files.push_back(AFile);
      });
  Job->StartConvert(false);
  ASSERT_FALSE(Job->FatalException()) << Job->FatalMessage();
  EXPECT_TRUE(Job->Finished());
  EXPECT_EQ(files, (std::vector<int>{0, 1, -1}));
  const TProbed p = Probe(Out("join.avi"));
  EXPECT_EQ(p.VideoCodec, "mpeg4");
  EXPECT_EQ(p.Width, 320);
  EXPECT_NEAR(p.Seconds, 4.0, 0.15);
  EXPECT_FALSE(WasLogged(llWarning, "does not rise above"));  // one continuous stream
}

TEST_F(Transcode, JoinModeReopensB_FrameEncodersPerInput) {
  // libx264 with B-frames starts each fresh encoder with a DTS before its first PTS; every
  // block's encoder is new, yet the joined streams rise throughout and the muxer takes all.
  Job = std::make_unique<TCustomFFmpeg>(4);
  const auto set = [this](const std::string& n, const std::string& v) { Job->SetExtOption(n, v); };
  AddInputs({fxMp4H264Aac, fxMp4H264Aac, fxMp4H264Aac});
  ApplyOptionLines("vcodec=libx264\nbf=2\nacodec=aac", true, set);
  ASSERT_EQ(Job->add_output_file(Out("join.mp4"), true), 1) << Job->LastErrMsg();
  Job->join_output_slots();
  Job->StartConvert(false);
  ASSERT_FALSE(Job->FatalException()) << Job->FatalMessage();
  EXPECT_TRUE(Job->Finished());
  EXPECT_FALSE(WasLogged(llWarning, "does not rise above"));
  const TFixtureFacts& in = FixtureFacts(fxMp4H264Aac);
  const double rate = av_q2d(in.FrameRate);
  const TProbed p = Probe(Out("join.mp4"));
  EXPECT_EQ(p.VideoCodec, "h264");
  EXPECT_EQ(p.AudioCodec, "aac");
  EXPECT_NEAR(p.Seconds, 3 * in.Seconds, 1.5 / rate + 0.03);
  const TPacketTimes t = ReadPacketTimes(Out("join.mp4"));
  ASSERT_EQ(t.Kind.size(), 2u);
  for (std::size_t s = 0; s < t.Kind.size(); ++s) {
    SCOPED_TRACE(s);
    ASSERT_FALSE(t.Dts[s].empty());
    for (std::size_t i = 1; i < t.Dts[s].size(); ++i) ASSERT_GT(t.Dts[s][i], t.Dts[s][i - 1]) << i;
    if (t.Kind[s] != AVMEDIA_TYPE_VIDEO) continue;
    EXPECT_NEAR(static_cast<double>(t.Dts[s].size()), 3 * in.Seconds * rate, 3);
    EXPECT_EQ(t.KeyPackets[s], 3);  // each fresh encoder starts with a key frame (gop 250)
    // Reordered pictures: the PTS are no copy of the DTS, and each block's are all distinct.
    EXPECT_NE(t.Pts[s], t.Dts[s]);
    std::vector<std::int64_t> pts = t.Pts[s];
    std::sort(pts.begin(), pts.end());
    EXPECT_EQ(std::adjacent_find(pts.begin(), pts.end()), pts.end());
  }
}

TEST_F(Transcode, FrameThreadsLogWithoutBlockingTheJob) {
  // Decoder and encoder workers of libavcodec log at debug level while the job waits for them;
  // their lines are queued for the main thread instead of blocking on it.
  for (const bool worker : {false, true}) {
    SCOPED_TRACE(worker);
    Job = std::make_unique<TCustomFFmpeg>(4);
    const auto set = [this](const std::string& n, const std::string& v) {
      Job->SetExtOption(n, v);
    };
    ApplyOptionLines("threads=4", true, set);
    AddInputs({fxMp4H264Aac});
    ApplyOptionLines("threads=4\nvcodec=libx264\nacodec=aac", true, set);
    ASSERT_GE(Job->add_output_file(Out("threads.mp4"), false), 0) << Job->LastErrMsg();
    std::atomic<bool> terminated{false};
    Job->SetOnTerminate([&](TObject*) { terminated = true; });
    TConvertThread* thread = Job->StartConvert(worker);
    if (worker) {
      ASSERT_NE(thread, nullptr);
      thread->Resume();
      while (!terminated) WaitForMainThreadCalls(std::chrono::milliseconds(20));
      Job->Stop(true);
    }
    ProcessMainThreadCalls();
    ASSERT_FALSE(Job->FatalException()) << Job->FatalMessage();
    EXPECT_TRUE(Job->Finished());
    EXPECT_EQ(Probe(Out("threads.mp4")).VideoCodec, "h264");
  }
}

}  // namespace

namespace {

TEST_F(Transcode, StatisticsLinesShowForcedKeyFrames) {
  const std::string stats = Out("vstats.log");
  Convert({fxRealMediaRv10Ac3}, "",
          "an=1\nvcodec=mpeg4\ng=300\nforce_key_frames=0,1\nvstats_file=" + stats, Out("kf.avi"));
  std::ifstream in(stats);
  std::string line;
  std::vector<int> keyFrames;
  int lines = 0;
  while (std::getline(in, line)) {
    ++lines;
    EXPECT_EQ(line.find("frame= "), 0u) << line;
    EXPECT_NE(line.find(" f_size= "), std::string::npos) << line;
    if (line.find("type= I") != std::string::npos) keyFrames.push_back(std::stoi(line.substr(7)));
  }
  EXPECT_EQ(lines, 50);  // one line per encoded frame of the 2 s at 25 fps
  EXPECT_EQ(keyFrames, (std::vector<int>{1, 26}));
}

}  // namespace
