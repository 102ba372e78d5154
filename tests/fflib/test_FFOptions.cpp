// Tests of the generic option store on the libraries' AVOptions.
#include <gtest/gtest.h>

#include "FFLog.h"
#include "FFUtils.h"

namespace {

class OptionStore : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FFLoader().Load(TLibraries::All())) << FFLoader().LastErrMsg();
    Options.init_option_sets(SWS_BICUBIC);
    ASSERT_TRUE(Options.Initialized());
    SetLastOptionError("");
  }

  static std::string Entry(const TDictionaryPtr& ADictionary, const char* AKey) {
    const AVDictionaryEntry* e = FF.av_dict_get(ADictionary.get(), AKey, nullptr, 0);
    return e ? e->value : "<none>";
  }
  std::int64_t IntOf(void* AObject, const char* AName) {
    std::int64_t v = -1;
    EXPECT_GE(FF.av_opt_get_int(AObject, AName, 0, &v), 0) << AName;
    return v;
  }

  TFFOptions Options;
};

TEST_F(OptionStore, CodecOptionReachesEveryMediaSetItApplies) {
  ASSERT_TRUE(Options.set_generic_option("b", "800000"));
  EXPECT_EQ(Options.avcodec_opts[AVMEDIA_TYPE_VIDEO]->bit_rate, 800000);
  EXPECT_EQ(Options.avcodec_opts[AVMEDIA_TYPE_AUDIO]->bit_rate, 800000);
  EXPECT_EQ(Entry(Options.video_opts, "b"), "800000");
  EXPECT_EQ(Entry(Options.audio_opts, "b"), "800000");
  EXPECT_EQ(Entry(Options.sub_opts, "b"), "<none>");
  ASSERT_EQ(Options.opt_name_count(), 1);
  EXPECT_EQ(Options.opt_names[0], "b");
  EXPECT_EQ(Options.opt_values[0], "800000");
}

// "ab" is an option of its own in the codec class; "vb" resolves through the prefix rule.
TEST_F(OptionStore, PrefixSelectsTheMediaSetAndDropsTheLetter) {
  ASSERT_TRUE(Options.set_generic_option("ab", "64000"));
  ASSERT_TRUE(Options.set_generic_option("vb", "500000"));
  EXPECT_EQ(Options.avcodec_opts[AVMEDIA_TYPE_AUDIO]->bit_rate, 64000);
  EXPECT_EQ(Options.avcodec_opts[AVMEDIA_TYPE_VIDEO]->bit_rate, 500000);
  EXPECT_EQ(Options.opt_names, (std::vector<std::string>{"ab", "b"}));
}

TEST_F(OptionStore, Rejections) {
  struct TCase {
    const char* Name;
    const char* Value;
    const char* Error;
  } cases[] = {
      {"b", "abc", "Invalid value \"abc\" for option \"b\""},
      {"vb", "abc", "Invalid value \"abc\" for option \"vb\""},
      {"flags", "+scan_offset", "Invalid value \"+scan_offset\" for option \"flags\""},
      {"nonsense", "1", "Unrecognized option \"nonsense\""},
      {"VCodec", "mpeg4", "Unrecognized option \"VCodec\""},
      {"-vcodec", "mpeg4", "Unrecognized option \"-vcodec\""},
      {"me_threshold", "5", "Unrecognized option \"me_threshold\""},
  };
  for (const auto& c : cases) {
    SetLastOptionError("");
    EXPECT_FALSE(Options.set_generic_option(c.Name, c.Value)) << c.Name;
    EXPECT_EQ(LastOptionError(), c.Error);
  }
  EXPECT_EQ(Options.opt_name_count(), 0);
}

TEST_F(OptionStore, BlankNameIsRejectedSilently) {
  SetLastOptionError("earlier");
  EXPECT_FALSE(Options.set_generic_option("", "1"));
  EXPECT_FALSE(Options.set_generic_option(" \t", "1"));
  EXPECT_EQ(LastOptionError(), "earlier");
}

TEST_F(OptionStore, FormatScalerAndPrivateOptions) {
  ASSERT_TRUE(Options.set_generic_option("packetsize", "2324"));
  EXPECT_EQ(Options.avformat_opts->packet_size, 2324u);
  EXPECT_EQ(Entry(Options.format_opts, "packetsize"), "2324");

  ASSERT_TRUE(Options.set_generic_option("sws_flags", "bilinear"));
  EXPECT_EQ(IntOf(Options.sws_opts.get(), "sws_flags"), SWS_BILINEAR);

  ASSERT_TRUE(Options.set_generic_option("scan_offset", "1"));  // an mpeg2video encoder option
  EXPECT_EQ(Entry(Options.video_opts, "scan_offset"), "1");
  ASSERT_TRUE(Options.set_generic_option("muxrate", "2000000"));  // an mpeg muxer option
  EXPECT_EQ(Entry(Options.format_opts, "muxrate"), "2000000");
}

TEST_F(OptionStore, FlagOptionsAccumulate) {
  ASSERT_TRUE(Options.set_generic_option("flags", "+qscale"));
  ASSERT_TRUE(Options.set_generic_option("flags", "+global_header"));
  EXPECT_EQ(Entry(Options.video_opts, "flags"), "+qscale+global_header");
  EXPECT_EQ(Options.avcodec_opts[AVMEDIA_TYPE_VIDEO]->flags,
            AV_CODEC_FLAG_QSCALE | AV_CODEC_FLAG_GLOBAL_HEADER);
  ASSERT_TRUE(Options.set_generic_option("g", "12"));
  ASSERT_TRUE(Options.set_generic_option("g", "30"));
  EXPECT_EQ(Entry(Options.video_opts, "g"), "30");
}

TEST_F(OptionStore, AppliesToANewEncoderAndItsPrivateOptions) {
  ASSERT_TRUE(Options.set_generic_option("b", "900000"));
  ASSERT_TRUE(Options.set_generic_option("g", "30"));
  ASSERT_TRUE(Options.set_generic_option("scan_offset", "1"));
  ASSERT_TRUE(Options.set_generic_option("ar", "22050"));  // audio only: not for a video encoder
  const AVCodec* codec = FF.avcodec_find_encoder_by_name("mpeg2video");
  ASSERT_NE(codec, nullptr);
  TCodecContextPtr ctx(FF.avcodec_alloc_context3(codec));
  Options.apply_option_sets(ctx.get(), Options.avcodec_opts[AVMEDIA_TYPE_VIDEO].get(),
                            AV_OPT_FLAG_VIDEO_PARAM | AV_OPT_FLAG_ENCODING_PARAM, codec);
  EXPECT_EQ(ctx->bit_rate, 900000);
  EXPECT_EQ(ctx->gop_size, 30);
  EXPECT_EQ(ctx->sample_rate, 0);
  EXPECT_EQ(IntOf(ctx->priv_data, "scan_offset"), 1);
}

TEST_F(OptionStore, AppliesToAMuxerAndItsPrivateOptions) {
  ASSERT_TRUE(Options.set_generic_option("packetsize", "2324"));
  ASSERT_TRUE(Options.set_generic_option("muxrate", "2000000"));
  AVFormatContext* raw = nullptr;
  ASSERT_GE(FF.avformat_alloc_output_context2(&raw, nullptr, "vcd", nullptr), 0);
  TFormatContextPtr oc(raw);
  Options.apply_option_sets(oc.get(), AV_OPT_FLAG_ENCODING_PARAM);
  EXPECT_EQ(oc->packet_size, 2324u);
  EXPECT_EQ(IntOf(oc->priv_data, "muxrate"), 2000000);
}

TEST_F(OptionStore, OpenDictionaryHoldsOnlyDemuxerAndProtocolOptions) {
  ASSERT_TRUE(Options.set_generic_option("probesize", "5000000"));
  ASSERT_TRUE(Options.set_generic_option("timeout", "1000"));
  TDictionaryPtr open = Options.input_open_options();
  EXPECT_EQ(Entry(open, "timeout"), "1000");
  EXPECT_EQ(Entry(open, "probesize"), "<none>");
}

TEST_F(OptionStore, ReinitialisingForgetsRecordedOptions) {
  ASSERT_TRUE(Options.set_generic_option("b", "900000"));
  Options.init_option_sets(SWS_BICUBIC);
  EXPECT_EQ(Options.opt_name_count(), 0);
  EXPECT_EQ(Options.video_opts, nullptr);
  EXPECT_NE(Options.avcodec_opts[AVMEDIA_TYPE_VIDEO]->bit_rate, 900000);
  EXPECT_EQ(IntOf(Options.sws_opts.get(), "sws_flags"), SWS_BICUBIC);
}

TEST_F(OptionStore, DebugOptionRaisesTheLogLevel) {
  const TLogLevel before = GetLogger().LogLevel();
  ASSERT_TRUE(Options.set_generic_option("debug", "0"));
  EXPECT_EQ(GetLogger().LogLevel(), before);
  ASSERT_TRUE(Options.set_generic_option("debug", "pict"));
  EXPECT_EQ(GetLogger().LogLevel(), llDebug);
  GetLogger().SetLogLevel(before);
}

}  // namespace
