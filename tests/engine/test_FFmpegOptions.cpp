// Tests of SetExtOption: every kind of option value, its field and its failure message.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>

#include "FFLog.h"
#include "FFmpegJob.h"

namespace {

class ExtOption : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FFLoader().Load(TLibraries::All())) << FFLoader().LastErrMsg();
    Job = std::make_unique<TCustomFFmpeg>(4);
    GetLogger().SetOnLog([this](TObject*, TThreadID, TLogLevel ALevel, const std::string& AMsg) {
      Logged.push_back({ALevel, AMsg});
    });
  }
  void TearDown() override { GetLogger().SetOnLog(nullptr); }

  // The message of the exception SetExtOption raises, or "<none>".
  std::string Failure(const std::string& AName, const std::string& AValue) {
    try {
      Job->SetExtOption(AName, AValue);
    } catch (const std::exception& e) {
      return e.what();
    }
    return "<none>";
  }
  bool WasLogged(TLogLevel ALevel, const std::string& AText) const {
    for (const auto& l : Logged)
      if (l.first == ALevel && l.second.find(AText) != std::string::npos) return true;
    return false;
  }
  std::string VideoOption(const char* AName) {
    std::uint8_t* text = nullptr;
    if (FF.av_opt_get(Job->FOptions.avcodec_opts[AVMEDIA_TYPE_VIDEO].get(), AName, 0, &text) < 0)
      return "<none>";
    std::string value = reinterpret_cast<char*>(text);
    FF.av_free(text);
    return value;
  }

  std::unique_ptr<TCustomFFmpeg> Job;
  std::vector<std::pair<TLogLevel, std::string>> Logged;
};

TEST_F(ExtOption, DefaultsOfANewJob) {
  EXPECT_EQ(Job->Fframe_pix_fmt, AV_PIX_FMT_NONE);
  EXPECT_EQ(Job->Faudio_sample_fmt, AV_SAMPLE_FMT_NONE);
  EXPECT_FLOAT_EQ(Job->Faudio_qscale, -99999.0f);
  EXPECT_EQ(Job->Ftop_field_first, -1);
  EXPECT_EQ(Job->Fintra_dc_precision, 8);
  EXPECT_EQ(Job->Floop_output, -1);
  EXPECT_EQ(Job->Fmax_frames[mfSubtitle], INT32_MAX);
  EXPECT_FLOAT_EQ(Job->Fmux_preload, 0.5f);
  EXPECT_FLOAT_EQ(Job->Fmux_max_delay, 0.7f);
  EXPECT_EQ(Job->Frecording_time, INT64_MAX);
  EXPECT_EQ(Job->Fvideo_sync_method, -1);
  EXPECT_FLOAT_EQ(Job->Faudio_drift_threshold, 0.1f);
  EXPECT_FLOAT_EQ(Job->Fdts_delta_threshold, 10.0f);
  EXPECT_EQ(Job->Faudio_volume, 256);
  EXPECT_EQ(Job->Fverbose, 1);
  EXPECT_EQ(Job->Fthread_count, 0);  // automatic
  EXPECT_EQ(Job->Fbit_buffer_size, 262144);
  EXPECT_EQ(Job->Fmetadata_global_autocopy, 1);
  EXPECT_EQ(Job->TotalOutputDuration(), -1);
  EXPECT_EQ(Job->ReadTimeout(), 10000);
  EXPECT_TRUE(Job->HaltOnInvalidOption);
  EXPECT_EQ(Job->ReportInterval, 500000);
  EXPECT_EQ(Job->PreviewInterval, 100000);
  EXPECT_EQ(Job->Finput_files_ts_scale.size(), 4u);
  EXPECT_TRUE(Job->FOptions.Initialized());
}

TEST_F(ExtOption, OptionTableHasNoDuplicates) {
  const auto names = OptionNames();
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
  EXPECT_EQ(names.size(), 120u);
}

TEST_F(ExtOption, ValueKinds) {
  Job->SetExtOption("vn", "");
  EXPECT_TRUE(Job->Fvideo_disable);
  Job->SetExtOption("vn", "0");
  EXPECT_FALSE(Job->Fvideo_disable);
  Job->SetExtOption("v", " $10");
  EXPECT_EQ(Job->Fverbose, 16);
  Job->SetExtOption("fs", "0x100000000");
  EXPECT_EQ(Job->Flimit_filesize, 0x100000000LL);
  Job->SetExtOption("muxdelay", "1.5");
  EXPECT_FLOAT_EQ(Job->Fmux_max_delay, 1.5f);
  Job->SetExtOption("t", "00:00:10.5");
  EXPECT_EQ(Job->Frecording_time, 10500000);
  EXPECT_EQ(Job->TotalOutputDuration(), 10500000);
  Job->SetExtOption("ss", "-5");
  EXPECT_EQ(Job->Fstart_time, -5000000);
  Job->SetExtOption("timestamp", "2011-05-01 12:00:00");
  EXPECT_EQ(Job->Frecording_timestamp, 1304251200);
  Job->SetExtOption("vlang", "eng");
  EXPECT_EQ(Job->Fvideo_language, "eng");
  Job->SetExtOption("ar", "0");
  Job->SetExtOption("ac", "-1");
  EXPECT_EQ(Job->Faudio_sample_rate, 0);
  EXPECT_EQ(Job->Faudio_channels, 0);
  Job->SetExtOption("ar", "22050");
  EXPECT_EQ(Job->Faudio_sample_rate, 22050);
  Job->SetExtOption("f", "");
  Job->SetExtOption("f", "avi");
  Job->SetExtOption("f", "");
  EXPECT_EQ(Job->Flast_asked_format, "avi");
  Job->SetExtOption("vstats", "1");
  const std::string stats = Job->Fvstats_filename;
  ASSERT_EQ(stats.size(), ProgramFolder().size() + std::string("vstats_hhnnss.log").size());
  EXPECT_EQ(stats.substr(0, ProgramFolder().size() + 7), ProgramFolder() + "vstats_");
  EXPECT_EQ(stats.find_first_not_of("0123456789", ProgramFolder().size() + 7), stats.size() - 4);
  Job->SetExtOption("vstats", "0");
  EXPECT_EQ(Job->Fvstats_filename, "");
  EXPECT_EQ(Failure("ar", "abc"), "'abc' is not a valid integer value");
  EXPECT_EQ(Failure("fs", ""), "'' is not a valid integer value");
  EXPECT_EQ(Failure("aq", "1x"), "'1x' is not a valid floating point value");
  EXPECT_EQ(Failure("t", "abc"), "Invalid duration specification for t: abc");
  EXPECT_EQ(Failure("timestamp", "2011-05-01"),
            "Invalid date specification for timestamp: 2011-05-01");
}

TEST_F(ExtOption, FixedFailures) {
  struct TCase {
    const char* Name;
    const char* Value;
    const char* Message;
  } cases[] = {
      {"croptop", "1", "Removed, use the crop filter instead"},
      {"cropright", "", "Removed, use the crop filter instead"},
      {"padleft", "1", "Removed, use the pad filter instead"},
      {"padcolor", "000000", "Removed, use the pad filter instead"},
      {"qscale", "0", "qscale must be > 0.0 and <= 255"},
      {"qscale", "255.5", "qscale must be > 0.0 and <= 255"},
      {"qscale", "-1", "qscale must be > 0.0 and <= 255"},
      {"pass", "0", "pass number can be only 1 or 2"},
      {"pass", "3", "pass number can be only 1 or 2"},
      {"r", "abc", "Incorrect frame rate"},
      {"r", "0", "Incorrect frame rate"},
      {"s", "640x480x", "Incorrect frame size"},
      {"aspect", "4:0", "Incorrect aspect ratio specification."},
      {"aspect", "0", "Incorrect aspect ratio specification."},
      {"pix_fmt", "nosuch", "Unknown pixel format requested: nosuch"},
      {"sample_fmt", "nosuch", "Invalid sample format \"nosuch\""},
      {"vtag", "DIVX5", "tag parameter must be 4 chars or int value"},
      {"itsscale", "1024:1", "stream index over MAX_STREAMS(1024)"},
      {"itsscale", "-1:1", "stream index over MAX_STREAMS(1024)"},
      {"metadata", "title", "Missing ="},
      {"metadata", "=x", "wrong parameter of metadata"},
      {"map_metadata", "0,z:1", "Invalid metadata type z."},
      {"vbsf", "nosuch=1", "Unknown bitstream filter nosuch=1"},
      {"intra_matrix", "1,2,3", "Syntax error in matrix \"1,2,3\" at coeff 2"},
      {"streamid", "1",
       "Invalid value \"1\" for option \"streamid\", required syntax is \"index:value\""},
      {"vhook", "hook.so", "Failed to add video hook function: hook.so"},
      {"target", "PAL-dvd", "Unknown target type"},
      {"newaudio", "1", "At least one output file must be specified"},
      {"apre", "/nonexistent/x.ffpreset", "Preset file \"/nonexistent/x.ffpreset\" not found"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Failure(c.Name, c.Value), c.Message) << c.Name << "=" << c.Value;
}

TEST_F(ExtOption, AcceptedLimits) {
  Job->SetExtOption("qscale", "255");
  EXPECT_FLOAT_EQ(Job->Fvideo_qscale, 255.0f);
  Job->SetExtOption("pass", "2");
  EXPECT_EQ(Job->Fdo_pass, 2);
  Job->SetExtOption("s", "");
  Job->SetExtOption("r", "");
  EXPECT_EQ(Job->Fframe_width, 0);
  EXPECT_EQ(Job->Fframe_rate.den, 0);
  Job->SetExtOption("s", "cif");
  EXPECT_EQ(Job->Fframe_width, 352);
  EXPECT_EQ(Job->Fframe_height, 288);
  Job->SetExtOption("r", "ntsc");
  EXPECT_EQ(Job->Fframe_rate.num, 30000);
  EXPECT_EQ(Job->Fframe_rate.den, 1001);
}

TEST_F(ExtOption, AspectAndTags) {
  struct TCase {
    const char* Value;
    float Ratio;
  } aspects[] = {{"16:9", 1.7777778f}, {"-4:3", -1.3333334f}, {"1.5", 1.5f}};
  for (const auto& c : aspects) {
    Job->SetExtOption("aspect", c.Value);
    EXPECT_FLOAT_EQ(Job->Fframe_aspect_ratio, c.Ratio) << c.Value;
  }
  Job->SetExtOption("aspect", "");
  EXPECT_FLOAT_EQ(Job->Fframe_aspect_ratio, 1.5f);
  Job->SetExtOption("vtag", "XVID");
  EXPECT_EQ(Job->Fvideo_codec_tag, 0x44495658u);
  Job->SetExtOption("atag", "0x44495658");
  EXPECT_EQ(Job->Faudio_codec_tag, 0x44495658u);
  Job->SetExtOption("stag", "");
  EXPECT_EQ(Job->Fsubtitle_codec_tag, 0u);
}

TEST_F(ExtOption, Maps) {
  Job->SetExtOption("map", "0.0");
  Job->SetExtOption("map", "0:1:0:0");
  Job->SetExtOption("map", "");
  ASSERT_EQ(Job->Fnb_stream_maps, 3);
  EXPECT_EQ(Job->Fstream_maps[1].stream_index, 1);
  EXPECT_EQ(Job->Fstream_maps[1].sync_stream_index, 0);
  EXPECT_EQ(Job->Fstream_maps[2].file_index, 0);

  Job->SetExtOption("map_metadata", "0,s0:1");
  ASSERT_EQ(Job->Fnb_meta_data_maps, 1);
  EXPECT_EQ(Job->Fmeta_data_maps[0][0].type_, 's');
  EXPECT_EQ(Job->Fmeta_data_maps[0][1].file_idx, 1);
  EXPECT_EQ(Job->Fmetadata_global_autocopy, 0);
  EXPECT_EQ(Job->Fmetadata_streams_autocopy, 0);
  EXPECT_EQ(Job->Fmetadata_chapters_autocopy, 1);
  Job->SetExtOption("map_meta_data", "0,c1:0,c2");
  EXPECT_EQ(Job->Fnb_meta_data_maps, 2);
  EXPECT_EQ(Job->Fmetadata_chapters_autocopy, 0);
  EXPECT_TRUE(WasLogged(llWarning,
                        "-map_meta_data is deprecated and will be removed soon. Use "
                        "-map_metadata instead."));

  Job->SetExtOption("map_chapters", "0:1");
  ASSERT_EQ(Job->Fnb_chapter_maps, 1);
  EXPECT_EQ(Job->Fchapter_maps[0].in_file, 1);

  Job->SetExtOption("itsscale", "2:0.5");
  ASSERT_EQ(Job->Fnb_input_files_ts_scale[0], 3);
  EXPECT_EQ(Job->Finput_files_ts_scale[0], (std::vector<double>{0.0, 0.0, 0.5}));

  Job->SetExtOption("streamid", "2:33");
  EXPECT_EQ(Job->Fstreamid_map, (std::vector<int>{0, 0, 33}));
}

TEST_F(ExtOption, MetadataAndCodecChoices) {
  Job->SetExtOption("metadata", "title=a=b");
  Job->SetExtOption("metadata", "title=c");
  Job->SetExtOption("metadata", "comment=");
  const AVDictionaryEntry* title = FF.av_dict_get(Job->Fmetadata.get(), "title", nullptr, 0);
  ASSERT_NE(title, nullptr);
  EXPECT_STREQ(title->value, "c");
  EXPECT_NE(FF.av_dict_get(Job->Fmetadata.get(), "comment", nullptr, 0), nullptr);

  Job->SetExtOption("vcodec", "mpeg4");
  Job->SetExtOption("vcodec", "");
  EXPECT_EQ(Job->Fvideo_codec_name, "mpeg4");
  Job->SetExtOption("acodec", "copy");
  EXPECT_EQ(Job->Faudio_stream_copy, 1);
  EXPECT_EQ(Job->Faudio_codec_name, "");
  Job->SetExtOption("acodec", "mp2");  // naming a codec keeps the copy flag
  EXPECT_EQ(Job->Faudio_stream_copy, 1);
  EXPECT_EQ(Job->Faudio_codec_name, "mp2");
}

TEST_F(ExtOption, MatricesFiltersAndFormats) {
  std::string numbers;
  for (int i = 1; i <= 64; ++i) numbers += (i > 1 ? "," : "") + std::to_string(i * 2);
  Job->SetExtOption("inter_matrix", numbers);
  ASSERT_EQ(Job->Finter_matrix.size(), 64u);
  EXPECT_EQ(Job->Finter_matrix[63], 128);
  Job->SetExtOption("vbsf", "");
  Job->SetExtOption("vbsf", "=x");
  Job->SetExtOption("absf", "aac_adtstoasc");
  Job->SetExtOption("sbsf", "null=whatever");
  EXPECT_TRUE(Job->Fvideo_bitstream_filters.empty());
  EXPECT_EQ(Job->Faudio_bitstream_filters, (std::vector<std::string>{"aac_adtstoasc"}));
  EXPECT_EQ(Job->Fsubtitle_bitstream_filters, (std::vector<std::string>{"null"}));
  Job->SetExtOption("pix_fmt", "yuv420p");
  EXPECT_EQ(Job->Fframe_pix_fmt, AV_PIX_FMT_YUV420P);
  Job->SetExtOption("sample_fmt", "s16");
  EXPECT_EQ(Job->Faudio_sample_fmt, AV_SAMPLE_FMT_S16);
  Job->SetExtOption("sample_fmt", "list");
  EXPECT_TRUE(WasLogged(llInfo, "name   depth"));
  EXPECT_TRUE(WasLogged(llInfo, "dbl"));
  Job->SetExtOption("pix_fmt", "list");
  EXPECT_TRUE(WasLogged(llInfo, "name nb_components nb_bits"));
  EXPECT_TRUE(WasLogged(llInfo, "yuv420p"));
  Job->SetExtOption("top", "1");
  EXPECT_EQ(Job->Ftop_field_first, 1);
  EXPECT_FALSE(WasLogged(llError, "Unrecognized option"));
}

TEST_F(ExtOption, GenericOptionsAndBitRates) {
  Job->SetExtOption("b", "800");
  EXPECT_TRUE(WasLogged(llWarning, "WARNING: The bitrate parameter is set too low"));
  Logged.clear();
  Job->SetExtOption("b", "800000");
  Job->SetExtOption("ab", "128000");
  EXPECT_FALSE(WasLogged(llWarning, "WARNING: The bitrate parameter is set too low"));
  EXPECT_EQ(VideoOption("b"), "800000");
  Job->SetExtOption("g", "12");
  EXPECT_EQ(VideoOption("g"), "12");
  Job->SetExtOption("passlogfile", "/tmp/prefix");
  EXPECT_EQ(Job->Fpass_logfilename_prefix, "/tmp/prefix");

  EXPECT_EQ(Failure("VCodec", "mpeg4"), "Unrecognized option \"VCodec\"");
  EXPECT_EQ(Failure("-vcodec", "mpeg4"), "Unrecognized option \"-vcodec\"");
  EXPECT_EQ(Failure("b", "fast"), "Invalid value \"fast\" for option \"b\"");
  EXPECT_TRUE(WasLogged(llError, "Invalid value \"fast\" for option \"b\""));
  SetLastOptionError("");
  EXPECT_EQ(Failure("", "x"), "");  // a blank name carries no message of its own

  Job->HaltOnInvalidOption = false;
  EXPECT_EQ(Failure("VCodec", "mpeg4"), "<none>");
  EXPECT_EQ(Failure("b", "fast"), "<none>");
  EXPECT_EQ(VideoOption("b"), "800000");
}

TEST_F(ExtOption, IgnoredAndLoggingOptions) {
  for (const char* name : {"L", "h", "version", "formats", "codecs", "bsfs", "protocols", "filters",
                           "i", "y", "benchmark"}) {
    Job->SetExtOption(name, "x");
    EXPECT_TRUE(WasLogged(llInfo, std::string("Do nothing: option - ") + name)) << name;
  }
  Job->SetExtOption("timelimit", "10");
  EXPECT_TRUE(WasLogged(llWarning, "Warning: -timelimit not implemented on Windows"));
  const TLogLevel before = GetLogger().LogLevel();
  Job->SetExtOption("loglevel", "debug");
  EXPECT_EQ(GetLogger().LogLevel(), llDebug);
  Job->SetExtOption("threads", "2");
  EXPECT_EQ(Job->Fthread_count, 2);
  EXPECT_TRUE(WasLogged(llVerbose, "thread emulation"));
  GetLogger().SetLogLevel(before);
}

TEST_F(ExtOption, Targets) {
  Job->SetExtOption("target", "pal-dvd");
  EXPECT_EQ(Job->Fvideo_codec_name, "mpeg2video");
  EXPECT_EQ(Job->Faudio_codec_name, "ac3");
  EXPECT_EQ(Job->Flast_asked_format, "dvd");
  EXPECT_EQ(Job->Fframe_width, 720);
  EXPECT_EQ(Job->Fframe_height, 576);
  EXPECT_EQ(Job->Fframe_pix_fmt, AV_PIX_FMT_YUV420P);
  EXPECT_EQ(Job->Fframe_rate.num, 25);
  EXPECT_EQ(Job->Faudio_sample_rate, 48000);
  EXPECT_FLOAT_EQ(Job->Fframe_aspect_ratio, 16.0f / 9.0f);
  EXPECT_EQ(VideoOption("g"), "15");
  EXPECT_EQ(VideoOption("maxrate"), "9000000");
  EXPECT_TRUE(WasLogged(llInfo, "Assuming 16:9 for aspect ratio"));

  TCustomFFmpeg ntsc(1);
  ntsc.Faudio_channels = 1;
  ntsc.SetExtOption("target", "svcd");  // no input, no frame rate: the default norm NTSC
  EXPECT_EQ(ntsc.Fframe_height, 480);
  EXPECT_EQ(ntsc.Fframe_rate.den, 1001);
  EXPECT_EQ(ntsc.Faudio_channels, 2);
  const AVDictionaryEntry* scan =
      FF.av_dict_get(ntsc.FOptions.video_opts.get(), "scan_offset", nullptr, 0);
  ASSERT_NE(scan, nullptr);
  EXPECT_STREQ(scan->value, "1");

  TCustomFFmpeg film(1);
  film.SetExtOption("r", "24000/1001");  // 23976: NTSC rules
  film.SetExtOption("target", "dv");
  EXPECT_EQ(film.Fframe_pix_fmt, AV_PIX_FMT_YUV411P);
  EXPECT_EQ(film.Fframe_rate.num, 30000);
}

TEST_F(ExtOption, NeedsTheLibraries) {
  FFLoader().Unload(swScale);
  const std::string message = Failure("r", "25");
  ASSERT_TRUE(FFLoader().Load(swScale));
  EXPECT_EQ(message, "LibSwScale not loaded.");
}

TEST_F(ExtOption, PresetFiles) {
  const std::string name = ::testing::TempDir() + "vorandel_test.ffpreset";
  {
    std::ofstream f(name, std::ios::binary);
    f << "\r\n# comment\r\nVCODEC=mpeg4\r\n\r\n  g=25  \r\nbf=2";
  }
  Job->SetExtOption("fpre", name);
  EXPECT_EQ(Job->Fvideo_codec_name, "mpeg4");
  EXPECT_EQ(VideoOption("g"), "25");
  EXPECT_EQ(VideoOption("bf"), "2");
  {
    std::ofstream f(name, std::ios::binary);
    f << "g=25\nnosuch=1";
  }
  EXPECT_EQ(Failure("vpre", name),
            "Unrecognized option \"nosuch\"\r\n" + name +
                ": Invalid option or argument: \"nosuch=1\", parsed as \"nosuch\" = \"1\"");
  {
    std::ofstream f(name, std::ios::binary);
    f << "g=";
  }
  EXPECT_EQ(Failure("vpre", name), name + ": Invalid syntax: \"g=\"");
  std::remove(name.c_str());
}

}  // namespace
