// Tests of the transcode set-up on generated media: mapping report, copy or encode, encoder
// parameters, filter graphs, two-pass logs, failures and headers.
#include <algorithm>
#include <fstream>
#include <functional>

#include "EngineMediaSupport.h"
#include "FFmpegSetup.h"

namespace {

// A job whose run is the set-up alone: the test looks at the state it left, then it is cleaned
// up as after a run.
class TSetupJob : public TCustomFFmpeg {
 public:
  TSetupJob() : TCustomFFmpeg(4) {}
  std::function<void(TTranscodeState&)> AfterSetup;

 protected:
  void run_transcode() override {
    TTranscodeState state;
    try {
      transcode_setup(state);
      if (AfterSetup) AfterSetup(state);
    } catch (...) {
      transcode_cleanup(state);
      throw;
    }
    transcode_cleanup(state);
    FFinished = true;
  }
};

class Setup : public MediaTest {
 protected:
  void SetUp() override {
    MediaTest::SetUp();
    Job = std::make_unique<TSetupJob>();
  }
  TSetupJob& J() { return static_cast<TSetupJob&>(*Job); }
  void AddOutput(const std::string& AName, bool AJoin = false) {
    ASSERT_GE(Job->add_output_file(Out(AName), AJoin), 1) << Job->LastErrMsg();
    if (AJoin) Job->join_output_slots();
  }
  // Runs the set-up; the fatal message, empty on success.
  std::string Run() {
    Job->StartConvert(false);
    EXPECT_TRUE(Job->Terminated());
    return Job->FatalException() ? Job->FatalMessage() : std::string();
  }
  // The lines of the mapping report.
  std::vector<std::string> Report() {
    std::vector<std::string> lines = Lines(llVerbose);
    auto start = std::find(lines.begin(), lines.end(), "Stream mapping:");
    if (start == lines.end()) return {};
    std::vector<std::string> result;
    for (auto l = start; l != lines.end() && (l == start || l->rfind(" ", 0) == 0); ++l)
      result.push_back(*l);
    return result;
  }
};

struct TReportCase {
  const char* Name;
  TFixture Input;
  const char* Output;
  std::vector<std::string> Report;
};

TEST_F(Setup, MappingReport) {
  const TReportCase cases[] = {
      {"avi",
       fxAviMpeg4Mp3,
       "r.avi",
       {"Stream mapping:", "  Stream #0.0 -> #0.0 (Video)", "  Stream #0.1 -> #0.1 (Audio)"}},
      {"mp4",
       fxAviMpeg4Mp3,
       "r.mp4",
       {"Stream mapping:", "  Stream #0.0 -> #0.0 (Video)", "  Stream #0.1 -> #0.1 (Audio)"}},
      {"mp3", fxAviMpeg4Mp3, "r.mp3", {"Stream mapping:", "  Stream #0.1 -> #0.0 (Audio)"}},
      {"wav", fxAviMpeg4Mp3, "r.wav", {"Stream mapping:", "  Stream #0.1 -> #0.0 (Audio)"}},
  };
  for (const TReportCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TearDown();
    SetUp();
    AddInputs({c.Input});
    AddOutput(c.Output);
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(Report(), c.Report);
    // The header was written.
    EXPECT_GT(std::filesystem::file_size(Out(c.Output)), 0u);
  }
}

TEST_F(Setup, SyncStreamIsReported) {
  AddInputs({fxAviMpeg4Mp3, fxWav});
  Job->SetExtOption("map", "0:0");
  Job->SetExtOption("map", "1:0:0:1");
  AddOutput("sync.avi");
  EXPECT_EQ(Run(), "");
  EXPECT_EQ(Report(),
            (std::vector<std::string>{"Stream mapping:", "  Stream #0.0 -> #0.0 (Video)",
                                      "  Stream #1.0 -> #0.1 (Audio)", " [sync #0.1 (Audio)]"}));
}

TEST_F(Setup, CopyOrEncode) {
  AddInputs({fxAviMpeg4Mp3});
  Job->SetExtOption("vcodec", "copy");
  Job->SetExtOption("acodec", "mp2");
  AddOutput("copy.avi");
  J().AfterSetup = [this](TTranscodeState& AState) {
    ASSERT_EQ(AState.ost_table.size(), 2u);
    const TAVOutputStream& v = *AState.ost_table[0];
    EXPECT_EQ(v.encoding_needed, 0);
    EXPECT_EQ(v.st->codecpar->codec_id, AV_CODEC_ID_MPEG4);
    EXPECT_EQ(v.st->codecpar->width, 160);
    EXPECT_EQ(Job->Finput_streams[0].decoding_needed, 0);
    const TAVOutputStream& a = *AState.ost_table[1];
    EXPECT_EQ(a.encoding_needed, 1);
    EXPECT_EQ(Job->Finput_streams[1].decoding_needed, 1);
    EXPECT_EQ(a.enc_ctx->sample_rate, 44100);
    EXPECT_EQ(a.enc_ctx->ch_layout.nb_channels, 2);
    EXPECT_EQ(a.enc_ctx->time_base.den, 44100);
    EXPECT_TRUE(a.fifo);
    EXPECT_EQ(a.reformat_pair, -6);
    EXPECT_EQ(AState.block_size, 2);
  };
  EXPECT_EQ(Run(), "");
}

TEST_F(Setup, EncoderParametersFromTheInput) {
  AddInputs({fxAviMpeg4Mp3});
  Job->SetExtOption("vcodec", "mpeg1video");
  Job->SetExtOption("s", "176x144");
  Job->SetExtOption("aspect", "16:9");
  AddOutput("enc.mpg");
  J().AfterSetup = [](TTranscodeState& AState) {
    const TAVOutputStream& v = *AState.ost_table[0];
    EXPECT_EQ(v.enc_ctx->width, 176);
    EXPECT_EQ(v.video_resample, 1);
    EXPECT_EQ(v.resample_width, 160);
    EXPECT_EQ(v.enc_ctx->pix_fmt, AV_PIX_FMT_YUV420P);
    // 25 fps from the input, a rate mpeg1video supports.
    EXPECT_EQ(v.enc_ctx->time_base.num, 1);
    EXPECT_EQ(v.enc_ctx->time_base.den, 25);
    const AVRational sar = v.st->sample_aspect_ratio;
    EXPECT_NEAR(av_q2d(sar) * 176 / 144, 16.0 / 9.0, 0.02);
  };
  EXPECT_EQ(Run(), "");
}

TEST_F(Setup, FilterChainBetweenSourceAndSink) {
  AddInputs({fxAviMpeg4Mp3});
  Job->SetExtOption("vcodec", "mpeg4");
  Job->SetExtOption("s", "80x60");
  Job->SetExtOption("vf", "hflip,pad=iw+16:ih");
  AddOutput("filter.avi");
  J().AfterSetup = [](TTranscodeState& AState) {
    const TAVOutputStream& v = *AState.ost_table[0];
    ASSERT_TRUE(v.graph);
    // The scale comes first, the chain then pads the scaled picture.
    EXPECT_EQ(v.enc_ctx->width, 96);
    EXPECT_EQ(v.enc_ctx->height, 60);
    EXPECT_EQ(FF.av_buffersink_get_w(v.output_video_filter), 96);
    EXPECT_EQ(v.graph->SegmentCount(), 1);
    EXPECT_NE(FF.avfilter_graph_get_filter(v.input_video_filter->graph, "scale"), nullptr);
  };
  EXPECT_EQ(Run(), "");
}

TEST_F(Setup, BadFilterChainFails) {
  AddInputs({fxAviMpeg4Mp3});
  Job->SetExtOption("vf", "nosuchfilter");
  AddOutput("badfilter.avi");
  EXPECT_EQ(Run(), "Error opening filters!");
}

TEST_F(Setup, AudioCopyWithVolumeFails) {
  AddInputs({fxAviMpeg4Mp3});
  Job->SetExtOption("acodec", "copy");
  Job->SetExtOption("vol", "512");
  AddOutput("vol.mp3");
  EXPECT_EQ(Run(), "-acodec copy and -vol are incompatible (frames are not decoded)");
}

TEST_F(Setup, CopyOfMp3HasNoBlockAlign) {
  AddInputs({fxMp3});
  Job->SetExtOption("acodec", "copy");
  AddOutput("ba.mp3");
  J().AfterSetup = [](TTranscodeState& AState) {
    EXPECT_EQ(AState.ost_table[0]->st->codecpar->block_align, 0);
  };
  EXPECT_EQ(Run(), "");
}

TEST_F(Setup, TwoPassLogFiles) {
  EXPECT_EQ(PassLogFileName("", 0), "ffmpeg2pass-0.log");
  EXPECT_EQ(PassLogFileName("/tmp/x", 3), "/tmp/x-3.log");
  EXPECT_EQ(PassLogFileName(std::string(2000, 'a'), 1).size(), 1023u);

  AddInputs({fxAviMpeg4Mp3});
  Job->SetExtOption("vcodec", "mpeg4");
  Job->SetExtOption("pass", "1");
  Job->SetExtOption("passlogfile", Out("stats"));
  AddOutput("pass1.avi");
  EXPECT_EQ(Run(), "");
  EXPECT_TRUE(std::filesystem::exists(Out("stats-0.log")));
  EXPECT_FALSE(std::filesystem::exists(Out("stats-1.log")));  // audio is not two-pass
}

TEST_F(Setup, PassTwoWithoutStatistics) {
  AddInputs({fxAviMpeg4Mp3});
  Job->SetExtOption("vcodec", "mpeg4");
  Job->SetExtOption("pass", "2");
  Job->Fpass_logfilename_prefix = Out("none");
  AddOutput("pass2.avi");
  EXPECT_EQ(Run(), "Cannot read file: Error reading log file \"" + Out("none-0.log") +
                       "\" for pass-2 encoding");
  // Stream parameters failed: no codec was opened, no report given.
  EXPECT_TRUE(Report().empty());
}

TEST_F(Setup, NoLogFileForH264) {
  AddInputs({fxAviMpeg4Mp3});
  Job->SetExtOption("vcodec", "libx264");
  Job->SetExtOption("pass", "1");
  Job->SetExtOption("passlogfile", Out("x264"));  // also libx264's own statistics file
  // Only the set-up runs: a frame-threaded libx264 that encoded nothing leaves its statistics
  // under a ".temp" name, a single-threaded one renames them when closed.
  Job->SetExtOption("threads", "1");
  AddOutput("h264.mkv");
  EXPECT_EQ(Run(), "");
  EXPECT_FALSE(std::filesystem::exists(Out("x264-0.log")));
  EXPECT_TRUE(std::filesystem::exists(Out("x264")));  // libx264 writes its statistics there
}

TEST_F(Setup, MappingFailures) {
  AddInputs({fxWav});
  Job->SetExtOption("vcodec", "mpeg4");
  Job->SetExtOption("map", "0:0");
  AddOutput("mismatch.avi");
  // The wav input has no video, so the output has one audio stream: one map of its kind.
  EXPECT_EQ(Run(), "");

  TearDown();
  SetUp();
  AddInputs({fxAviMpeg4Mp3});
  Job->SetExtOption("map", "0:1");
  Job->SetExtOption("map", "0:1");
  AddOutput("mismatch.avi");
  EXPECT_EQ(Run(), "Codec type mismatch for mapping #0.1 (Audio) -> #0.0 (Video)");

  TearDown();
  SetUp();
  AddInputs({fxAviMpeg4Mp3});
  Job->SetExtOption("map", "0:5");
  Job->SetExtOption("map", "0:1");
  AddOutput("nosuch.avi");
  EXPECT_EQ(Run(), "Could not find input stream #0.5");

  TearDown();
  SetUp();
  AddInputs({fxAviMpeg4Mp3});
  Job->SetExtOption("map", "0:1");
  AddOutput("count.avi");
  EXPECT_EQ(Run(), "Number of stream maps must match number of output streams");
}

TEST_F(Setup, OutputWithoutStreams) {
  AddInputs({fxAviMpeg4Mp3});
  Job->SetExtOption("vn", "");
  Job->SetExtOption("an", "");
  AddOutput("empty.avi");
  EXPECT_EQ(Run(), "Output file #0 does not contain any stream");
  // The output stayed empty and is deleted.
  EXPECT_FALSE(std::filesystem::exists(Out("empty.avi")));
}

TEST_F(Setup, ChaptersWithinTheRecordingTime) {
  AddInputs({fxAviMpeg4Mp3});
  // Three chapters on the input, in milliseconds: [0, 500), [500, 1500), [1500, 2000).
  AVFormatContext* input = Job->Finput_files[0].ctx.get();
  const std::int64_t bounds[][2] = {{0, 500}, {500, 1500}, {1500, 2000}};
  int count = 0;
  for (int i = 0; i < 3; ++i) {
    auto* c = static_cast<AVChapter*>(FF.av_mallocz(sizeof(AVChapter)));
    c->id = i + 1;
    c->time_base = {1, 1000};
    c->start = bounds[i][0];
    c->end = bounds[i][1];
    FF.av_dict_set(&c->metadata, "title", ("c" + std::to_string(i)).c_str(), 0);
    ASSERT_GE(FF.av_dynarray_add_nofree(&input->chapters, &count, c), 0);
  }
  input->nb_chapters = static_cast<unsigned>(count);
  Job->SetExtOption("t", "1");
  AddOutput("chapters.mkv");
  J().AfterSetup = [this](TTranscodeState&) {
    const AVFormatContext* oc = Job->OutputContext(0);
    ASSERT_EQ(oc->nb_chapters, 2u);
    EXPECT_EQ(oc->chapters[0]->start, 0);
    EXPECT_EQ(oc->chapters[0]->end, 500);
    EXPECT_EQ(oc->chapters[1]->start, 500);
    EXPECT_EQ(oc->chapters[1]->end, 1000);
    EXPECT_EQ(oc->chapters[1]->id, 2);
    const AVDictionaryEntry* title = FF.av_dict_get(oc->chapters[1]->metadata, "title", nullptr, 0);
    ASSERT_NE(title, nullptr);
    EXPECT_STREQ(title->value, "c1");
  };
  EXPECT_EQ(Run(), "");
}

TEST_F(Setup, BitstreamFiltersOnCopiedStreams) {
  AddInputs({fxAviMpeg4Mp3});
  Job->SetExtOption("vcodec", "copy");
  Job->SetExtOption("vbsf", "dump_extra");
  Job->SetExtOption("an", "");
  AddOutput("bsf.avi");
  J().AfterSetup = [](TTranscodeState& AState) {
    ASSERT_EQ(AState.ost_table[0]->bitstream_filter_contexts.size(), 1u);
    EXPECT_STREQ(AState.ost_table[0]->bitstream_filter_contexts[0]->filter->name, "dump_extra");
  };
  EXPECT_EQ(Run(), "");
}

TEST_F(Setup, SdpForRtpOutputs) {
  AddInputs({fxWav});
  Job->SetExtOption("f", "rtp");
  ASSERT_EQ(Job->add_output_file("rtp://127.0.0.1:45678", false), 1) << Job->LastErrMsg();
  // The rtp muxer frees its packet buffer in the trailer, which the wind-down writes.
  J().AfterSetup = [this](TTranscodeState&) { FF.av_write_trailer(Job->OutputContext(0)); };
  EXPECT_EQ(Run(), "");
  EXPECT_TRUE(WasLogged(llInfo, "SDP:\r\nv=0"));
}

struct TAliasCase {
  const char* Encoder;
  const char* File;
  int Rate;
  int Channels;
};

TEST_F(Setup, AliasEncodersOpen) {
  const TAliasCase cases[] = {{"libfaac", "alias.mp4", 44100, 2},
                              {"libopencore_amrnb", "alias.3gp", 8000, 1}};
  for (const TAliasCase& c : cases) {
    SCOPED_TRACE(c.Encoder);
    TearDown();
    SetUp();
    AddInputs({fxAviMpeg4Mp3});
    Job->SetExtOption("vn", "");
    Job->SetExtOption("acodec", c.Encoder);
    Job->SetExtOption("ar", std::to_string(c.Rate));
    Job->SetExtOption("ac", std::to_string(c.Channels));
    AddOutput(c.File);
    std::string opened;
    J().AfterSetup = [&](TTranscodeState& AState) {
      const AVCodecContext* a = AState.ost_table[0]->enc_ctx.get();
      opened = a->codec->name;
      EXPECT_EQ(a->sample_rate, c.Rate);
      EXPECT_EQ(a->ch_layout.nb_channels, c.Channels);
    };
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(opened, FF.avcodec_find_encoder_by_name(c.Encoder) ? c.Encoder : "aac");
  }
}

TEST_F(Setup, JoinMapsEachBlockToItsFile) {
  AddInputs({fxAviMpeg4Mp3, fxAviMpeg4Mp3, fxMp4H264Aac});
  AddOutput("join.avi", true);
  J().AfterSetup = [](TTranscodeState& AState) {
    ASSERT_EQ(AState.ost_table.size(), 6u);
    EXPECT_EQ(AState.block_size, 2);
    for (int o = 0; o < 6; ++o) EXPECT_EQ(AState.ost_table[o]->source_index, o);
  };
  EXPECT_EQ(Run(), "");
  EXPECT_EQ(Report(),
            (std::vector<std::string>{
                "Stream mapping:", "  Stream #0.0 -> #0.0 (Video)", "  Stream #0.1 -> #0.1 (Audio)",
                "  Stream #1.0 -> #0.0 (Video)", "  Stream #1.1 -> #0.1 (Audio)",
                "  Stream #2.0 -> #0.0 (Video)", "  Stream #2.1 -> #0.1 (Audio)"}));
}

TEST_F(Setup, MetadataAndChapters) {
  AddInputs({fxAviMpeg4Mp3});
  AddOutput("meta.mkv");
  J().AfterSetup = [this](TTranscodeState&) {
    const AVDictionaryEntry* title =
        FF.av_dict_get(Job->OutputContext(0)->metadata, "title", nullptr, 0);
    ASSERT_NE(title, nullptr);  // the fixture's tags are copied
  };
  EXPECT_EQ(Run(), "");

  TearDown();
  SetUp();
  AddInputs({fxAviMpeg4Mp3});
  Job->SetExtOption("map_metadata", "0,s5:0");
  AddOutput("meta2.mkv");
  EXPECT_EQ(Run(), "Invalid stream index 5 while processing metadata maps");
  TearDown();
  SetUp();
  AddInputs({fxAviMpeg4Mp3});
  Job->SetExtOption("map_chapters", "0:3");
  AddOutput("meta3.mkv");
  EXPECT_EQ(Run(), "Invalid input file index 3 in chapter mapping.");
}

}  // namespace
