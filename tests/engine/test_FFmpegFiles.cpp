// Tests of input and output files on generated media: opening, failures, wanted media kinds,
// stream parameters from the options, targets, aliases and join mode.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "EngineMediaSupport.h"
#include "FFmpegURL.h"
#include "MainThread.h"

namespace {

class InputFile : public MediaTest {
 protected:
  void SetUp() override {
    MediaTest::SetUp();
    Job = std::make_unique<TCustomFFmpeg>(4);
  }
};

TEST_F(InputFile, OpensStreamsAndDuration) {
  AddInputs({fxAviMpeg4Mp3});
  EXPECT_EQ(Job->nb_input_files(), 1);
  ASSERT_EQ(Job->Fnb_input_streams, 2);
  for (const TAVInputStream& ist : Job->Finput_streams) {
    EXPECT_EQ(ist.discard, 1);
    EXPECT_EQ(ist.file_index, 0);
    ASSERT_TRUE(ist.dec_ctx);
  }
  EXPECT_EQ(Job->Finput_streams[0].dec_ctx->width, 160);
  EXPECT_NEAR(Job->TotalOutputDuration() / 1e6, 2.0, 0.2);
  EXPECT_EQ(Job->Faudio_sample_fmt, Job->Finput_streams[1].st->codecpar->format);
}

TEST_F(InputFile, Failures) {
  const std::string missing = Out("missing.avi");
  EXPECT_FALSE(Job->add_input_file(missing));
  EXPECT_EQ(Job->LastErrMsg(), missing + ": No such file or directory");

  Job->Fvideo_codec_name = "nosuch";
  Job->Fvideo_channel = 3;
  EXPECT_FALSE(Job->add_input_file(FixturePath(fxAviMpeg4Mp3)));
  EXPECT_EQ(Job->LastErrMsg(), "Unknown decoder 'nosuch'");
  EXPECT_TRUE(Job->Fvideo_codec_name.empty());
  EXPECT_EQ(Job->Fvideo_channel, 0);

  Job->Fopt_programid = 77;
  EXPECT_FALSE(Job->add_input_file(FixturePath(fxAviMpeg4Mp3)));
  EXPECT_EQ(Job->LastErrMsg(), "Specified program id not found");
  EXPECT_EQ(Job->nb_input_files(), 0);
  Job->Flast_asked_format = "nosuchformat";
  try {
    Job->add_input_file(FixturePath(fxAviMpeg4Mp3));
    ADD_FAILURE();
  } catch (const FFmpegException& e) {
    EXPECT_STREQ(e.what(), "Unknown input format: \"nosuchformat\"");
  }
}

TEST_F(InputFile, StartTimeIsConsumedAndOffsetsTheFile) {
  Job->Fstart_time = 1000000;
  Job->Finput_ts_offset = 250000;
  AddInputs({fxAviMpeg4Mp3});
  EXPECT_EQ(Job->Fstart_time, 0);
  const std::int64_t start = Job->Finput_files[0].ctx->start_time;
  EXPECT_EQ(Job->Finput_files_ts_offset[0],
            250000 - 1000000 - (start == AV_NOPTS_VALUE ? 0 : start));
  Job->Fstart_time = 1000000;
  Job->Fcopy_ts = true;
  AddInputs({fxWav});
  EXPECT_EQ(Job->Finput_files_ts_offset[1], 250000);
}

TEST_F(InputFile, DisabledKindsAreDiscarded) {
  Job->Fvideo_disable = true;
  AddInputs({fxAviMpeg4Mp3});
  EXPECT_EQ(Job->Finput_streams[0].st->discard, AVDISCARD_ALL);
  EXPECT_NE(Job->Finput_streams[1].st->discard, AVDISCARD_ALL);
}

TEST_F(InputFile, NamesOfLocalFilesAreNeverProtocols) {
  // A file whose name reads like a protocol address is still the file.
  const std::string name = Out("concat:a.wav");
  std::filesystem::copy_file(FixturePath(fxWav), name);
  EXPECT_EQ(LibraryURL(name), "file:" + name);
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(Folder);
  const bool added = Job->add_input_file("concat:a.wav");
  std::filesystem::current_path(cwd);
  EXPECT_TRUE(added) << Job->LastErrMsg();
  EXPECT_STREQ(Job->Finput_files[0].ctx->url, "concat:a.wav");
  EXPECT_EQ(LibraryURL("unicode:x.avi"), "unicode:x.avi");
  EXPECT_EQ(LibraryURL("tcp://127.0.0.1:1"), "tcp://127.0.0.1:1");
}

TEST_F(InputFile, UnicodeNames) {
  EXPECT_TRUE(Job->add_input_file("unicode:" + FixturePath(fxWav))) << Job->LastErrMsg();
  EXPECT_EQ(Job->Fnb_input_streams, 1);
}

// A loopback server that accepts connections (through the listen backlog) and never answers.
class TSilentServer {
 public:
  TSilentServer() {
    FSocket = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof(address);
    if (bind(FSocket, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
        listen(FSocket, 4) == 0 &&
        getsockname(FSocket, reinterpret_cast<sockaddr*>(&address), &size) == 0)
      FPort = ntohs(address.sin_port);
  }
  ~TSilentServer() { close(FSocket); }
  std::string URL() const { return "tcp://127.0.0.1:" + std::to_string(FPort); }
  int Port() const { return FPort; }

 private:
  int FSocket = -1;
  int FPort = 0;
};

class BlockingInput : public InputFile {
 protected:
  // Opens the server's address on a thread; AAction runs on this thread meanwhile. The result of
  // add_input_file, or true when it did not end within 10 seconds.
  bool OpenWhile(const std::function<void()>& AAction) {
    std::atomic<bool> done{false};
    bool added = true;
    std::thread opener([&] {
      added = Job->add_input_file(Server.URL());
      done = true;
    });
    AAction();
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done && std::chrono::steady_clock::now() < limit) {
      ProcessMainThreadCalls();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!done) {
      Job->Stop(false);
      opener.join();
      return true;
    }
    opener.join();
    return added;
  }
  TSilentServer Server;
};

TEST_F(BlockingInput, StopCancelsTheOpen) {
  ASSERT_NE(Server.Port(), 0);
  EXPECT_FALSE(OpenWhile([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Job->Stop(false);
  }));
  EXPECT_TRUE(WasLogged(llInfo, "connecting/reading/writing canceled"));
  EXPECT_EQ(Job->LastErrMsg(), Server.URL() + ": Immediate exit requested");
}

TEST_F(BlockingInput, ReadTimeoutEndsTheOpen) {
  ASSERT_NE(Server.Port(), 0);
  Job->SetReadTimeout(300);
  EXPECT_FALSE(OpenWhile([] {}));
  EXPECT_TRUE(WasLogged(llInfo, "connecting/reading/writing timeout"));
  EXPECT_FALSE(WasLogged(llInfo, "connecting/reading/writing canceled"));
  EXPECT_EQ(Job->LastErrMsg(), Server.URL() + ": Immediate exit requested");
}

class OutputFile : public MediaTest {
 protected:
  void SetUp() override {
    MediaTest::SetUp();
    Job = std::make_unique<TCustomFFmpeg>(4);
  }
  int AddOutput(const std::string& AName, bool AJoin = false) {
    return Job->add_output_file(Out(AName), AJoin);
  }
};

struct TKindsCase {
  const char* Name;
  TFixture Input;
  const char* Output;
  const char* VideoCodec;
  std::vector<AVMediaType> Kinds;
};

TEST_F(OutputFile, WantedKinds) {
  const TKindsCase cases[] = {
      // An audio format never carries the input's video as a picture stream by default.
      {"mp3 from video", fxAviMpeg4Mp3, "a.mp3", "", {AVMEDIA_TYPE_AUDIO}},
      {"wav from video", fxAviMpeg4Mp3, "b.wav", "", {AVMEDIA_TYPE_AUDIO}},
      {"m4a from video", fxAviMpeg4Mp3, "b.m4a", "", {AVMEDIA_TYPE_AUDIO}},
      {"wma from video", fxAviMpeg4Mp3, "b.WMA", "", {AVMEDIA_TYPE_AUDIO}},
      {"m4v from video", fxAviMpeg4Mp3, "b.m4v", "", {AVMEDIA_TYPE_VIDEO, AVMEDIA_TYPE_AUDIO}},
      {"mp3 with video asked",
       fxAviMpeg4Mp3,
       "c.mp3",
       "mjpeg",
       {AVMEDIA_TYPE_VIDEO, AVMEDIA_TYPE_AUDIO}},
      // A muxer with a default video codec and no video input.
      {"avi from audio", fxWav, "d.avi", "", {AVMEDIA_TYPE_AUDIO}},
      {"avi from video", fxAviMpeg4Mp3, "e.avi", "", {AVMEDIA_TYPE_VIDEO, AVMEDIA_TYPE_AUDIO}},
  };
  for (const TKindsCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Job = std::make_unique<TCustomFFmpeg>(4);
    AddInputs({c.Input});
    Job->Fvideo_codec_name = c.VideoCodec;
    ASSERT_EQ(AddOutput(c.Output), 1) << Job->LastErrMsg();
    std::vector<AVMediaType> kinds;
    for (int i = 0; i < StreamCount(0); ++i) kinds.push_back(Kind(0, i));
    EXPECT_EQ(kinds, c.Kinds);
  }
}

TEST_F(OutputFile, CopyWithAspectAndNoSize) {
  AddInputs({fxAviMpeg4Mp3});
  Job->Fvideo_stream_copy = 1;
  Job->Fframe_aspect_ratio = 16.0f / 9.0f;
  ASSERT_EQ(AddOutput("copy.avi"), 1) << Job->LastErrMsg();
  const AVRational sar = Stream(0, 0).st->sample_aspect_ratio;
  EXPECT_EQ(sar.num, 4);
  EXPECT_EQ(sar.den, 3);
  EXPECT_EQ(Stream(0, 0).stream_copy, 1);
  EXPECT_EQ(Job->Fvideo_stream_copy, 0);
}

TEST_F(OutputFile, StreamParametersFromOptions) {
  AddInputs({fxAviMpeg4Mp3});
  Job->SetExtOption("vcodec", "mpeg4");
  Job->SetExtOption("s", "320x240");
  Job->SetExtOption("r", "15");
  Job->SetExtOption("b", "400000");
  Job->SetExtOption("g", "7");
  Job->SetExtOption("rc_override", "0,10,2/11,20,-50");
  Job->SetExtOption("acodec", "mp2");
  Job->SetExtOption("ar", "22050");
  Job->SetExtOption("ac", "1");
  Job->SetExtOption("vlang", "eng");
  Job->SetExtOption("streamid", "1:33");
  ASSERT_EQ(AddOutput("params.avi"), 1) << Job->LastErrMsg();
  const AVCodecContext* v = Stream(0, 0).enc_ctx.get();
  EXPECT_EQ(v->codec_id, AV_CODEC_ID_MPEG4);
  EXPECT_EQ(v->width, 320);
  EXPECT_EQ(v->height, 240);
  EXPECT_EQ(v->bit_rate, 400000);
  EXPECT_EQ(v->gop_size, 7);
  ASSERT_EQ(v->rc_override_count, 2);
  EXPECT_FLOAT_EQ(v->rc_override[1].quality_factor, 0.5f);
  EXPECT_EQ(Stream(0, 0).frame_rate.num, 15);
  const AVDictionaryEntry* lang = FF.av_dict_get(Stream(0, 0).st->metadata, "language", nullptr, 0);
  ASSERT_NE(lang, nullptr);
  EXPECT_STREQ(lang->value, "eng");
  const AVCodecContext* a = Stream(0, 1).enc_ctx.get();
  EXPECT_EQ(a->codec_id, AV_CODEC_ID_MP2);
  EXPECT_EQ(a->sample_rate, 22050);
  EXPECT_EQ(a->ch_layout.nb_channels, 1);
  EXPECT_EQ(a->sample_fmt, AV_SAMPLE_FMT_S16);  // the decoder's format, replaced for mp2
  EXPECT_EQ(Stream(0, 1).st->id, 33);
  // Per-file options are consumed.
  EXPECT_EQ(Job->Fframe_width, 0);
  EXPECT_EQ(Job->Faudio_sample_rate, 0);
  EXPECT_TRUE(Job->Fvideo_codec_name.empty());
}

TEST_F(OutputFile, AliasEncoderIsUsed) {
  AddInputs({fxAviMpeg4Mp3});
  Job->SetExtOption("acodec", "libfaac");
  ASSERT_EQ(AddOutput("alias.mp4"), 1) << Job->LastErrMsg();
  EXPECT_EQ(Stream(0, 1).enc_ctx->codec_id, AV_CODEC_ID_AAC);
}

struct TTargetCase {
  const char* Target;
  const char* File;
  int Width, Height;
  AVRational Rate;
  int Gop;
  std::int64_t BitRate;
  int SampleRate;
  int Channels;  // 0: left to the input's count
  AVCodecID Video, Audio;
  std::int64_t MuxRate;
  unsigned PacketSize;
  std::int64_t Preload;  // microseconds (0.44 s in single precision truncates to 439999)
};

TEST_F(OutputFile, Targets) {
  // clang-format off
  const TTargetCase cases[] = {
      {"pal-dvd", "t.vob", 720, 576, {25, 1}, 15, 6000000, 48000, 0,
       AV_CODEC_ID_MPEG2VIDEO, AV_CODEC_ID_AC3, 10080000, 2048, 500000},
      {"ntsc-vcd", "t.mpg", 352, 240, {30000, 1001}, 18, 1150000, 44100, 2,
       AV_CODEC_ID_MPEG1VIDEO, AV_CODEC_ID_MP2, 1411200, 2324, 439999},
      {"film-vcd", "t.mpg", 352, 240, {24000, 1001}, 18, 1150000, 44100, 2,
       AV_CODEC_ID_MPEG1VIDEO, AV_CODEC_ID_MP2, 1411200, 2324, 439999},
      {"svcd", "t.mpg", 480, 576, {25, 1}, 15, 2040000, 44100, 0,
       AV_CODEC_ID_MPEG2VIDEO, AV_CODEC_ID_MP2, 0, 2324, 500000},
  };
  // clang-format on

  for (const TTargetCase& c : cases) {
    SCOPED_TRACE(c.Target);
    Job = std::make_unique<TCustomFFmpeg>(4);
    AddInputs({fxAviMpeg4Mp3});  // 25 fps: PAL when the norm is automatic
    Job->SetExtOption("target", c.Target);
    ASSERT_EQ(AddOutput(c.File), 1) << Job->LastErrMsg();
    ASSERT_EQ(StreamCount(0), 2);
    const TAVOutputStream& v = Stream(0, 0);
    EXPECT_EQ(v.enc_ctx->codec_id, c.Video);
    EXPECT_EQ(v.enc_ctx->width, c.Width);
    EXPECT_EQ(v.enc_ctx->height, c.Height);
    EXPECT_EQ(v.frame_rate.num, c.Rate.num);
    EXPECT_EQ(v.frame_rate.den, c.Rate.den);
    EXPECT_EQ(v.enc_ctx->gop_size, c.Gop);
    EXPECT_EQ(v.enc_ctx->bit_rate, c.BitRate);
    const AVCodecContext* a = Stream(0, 1).enc_ctx.get();
    EXPECT_EQ(a->codec_id, c.Audio);
    EXPECT_EQ(a->sample_rate, c.SampleRate);
    EXPECT_EQ(a->ch_layout.nb_channels, c.Channels);
    AVFormatContext* oc = Job->OutputContext(0);
    std::int64_t muxrate = 0;
    FF.av_opt_get_int(oc->priv_data, "muxrate", 0, &muxrate);
    EXPECT_EQ(muxrate, c.MuxRate);
    EXPECT_EQ(oc->packet_size, c.PacketSize);
    std::int64_t preload = 0;
    FF.av_opt_get_int(oc->priv_data, "preload", 0, &preload);
    EXPECT_EQ(preload, c.Preload);
    if (std::string(c.Target) == "svcd") {
      std::int64_t scan = 0;
      ASSERT_GE(FF.av_opt_get_int(v.enc_ctx->priv_data, "scan_offset", 0, &scan), 0);
      EXPECT_EQ(scan, 1);
    }
  }
}

TEST_F(OutputFile, Failures) {
  AddInputs({fxAviMpeg4Mp3});
  Job->Fvideo_codec_name = "nosuch";
  EXPECT_EQ(AddOutput("bad.avi"), -1);
  EXPECT_EQ(Job->LastErrMsg(), "new_video_stream fail: Unknown encoder 'nosuch'");
  EXPECT_EQ(Job->nb_output_files(), 0);
  EXPECT_EQ(StreamCount(0), 0);

  const std::string unwritable = Folder + "/no/such/folder/x.avi";
  EXPECT_EQ(Job->add_output_file(unwritable, false), -1);
  EXPECT_EQ(Job->LastErrMsg(), unwritable + ": No such file or directory");
  EXPECT_EQ(Job->nb_output_files(), 0);

  std::ofstream(Out("plain.txt")) << "x";
  const std::string underFile = Out("plain.txt") + "/x.avi";
  EXPECT_EQ(Job->add_output_file(underFile, false), -1);
  EXPECT_EQ(Job->LastErrMsg(), underFile + ": Not a directory");

  Job->Flast_asked_format = "nosuchmuxer";
  EXPECT_EQ(AddOutput("x.avi"), -1);
  EXPECT_EQ(Job->LastErrMsg().rfind(Out("x.avi") + ": ", 0), 0u) << Job->LastErrMsg();
}

TEST_F(OutputFile, CreationTimeAndMetadata) {
  AddInputs({fxWav});
  Job->SetExtOption("timestamp", "2011-05-01 12:00:00");
  Job->SetExtOption("metadata", "title=a=b");
  ASSERT_EQ(AddOutput("meta.mkv"), 1) << Job->LastErrMsg();
  const AVDictionary* m = Job->OutputContext(0)->metadata;
  const AVDictionaryEntry* created = FF.av_dict_get(m, "creation_time", nullptr, 0);
  ASSERT_NE(created, nullptr);
  EXPECT_STREQ(created->value, "2011-05-01T12:00:00.000000Z");
  const AVDictionaryEntry* title = FF.av_dict_get(m, "title", nullptr, 0);
  ASSERT_NE(title, nullptr);
  EXPECT_STREQ(title->value, "a=b");
  EXPECT_FALSE(Job->Fmetadata);
}

TEST_F(OutputFile, UnicodeOutput) {
  AddInputs({fxWav});
  ASSERT_EQ(Job->add_output_file("unicode:" + Out("u.wav"), false), 1) << Job->LastErrMsg();
  Job->ReleaseFiles();
}

TEST_F(OutputFile, JoinDropsKindsOneInputLacks) {
  AddInputs({fxAviMpeg4Mp3, fxMp4H264Aac, fxUnknownDuration});
  ASSERT_EQ(AddOutput("join.avi", true), 1) << Job->LastErrMsg();
  ASSERT_EQ(StreamCount(0), 1);
  EXPECT_EQ(Kind(0, 0), AVMEDIA_TYPE_VIDEO);
  Job->join_output_slots();
  EXPECT_EQ(Job->nb_output_files(), 3);
  for (int slot = 1; slot < 3; ++slot) {
    ASSERT_EQ(StreamCount(slot), 1);
    EXPECT_EQ(Stream(slot, 0).file_index, slot);
    EXPECT_EQ(Stream(slot, 0).enc_ctx, Stream(0, 0).enc_ctx);
  }
  EXPECT_EQ(AddOutput("second.avi"), -1);
  EXPECT_EQ(Job->LastErrMsg(), "Cannot join more than one output file.");
}

TEST_F(OutputFile, NewStreamMarkers) {
  AddInputs({fxAviMpeg4Mp3});
  ASSERT_EQ(AddOutput("more.mkv"), 1) << Job->LastErrMsg();
  Job->SetExtOption("acodec", "mp2");
  Job->SetExtOption("newaudio", "");
  ASSERT_EQ(StreamCount(0), 3);
  EXPECT_EQ(Stream(0, 2).enc_ctx->codec_id, AV_CODEC_ID_MP2);
}

}  // namespace
