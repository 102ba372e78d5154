// Tests of codec lookup (messages, experimental rule, aliases), format choice against encoders,
// rate-control overrides and forced key frame times.
#include <cstring>

#include "EngineTestSupport.h"
#include "FFmpegFormatPick.h"
#include "FFmpegStreamOptions.h"
#include "FFmpegTables.h"
#include "FindCodec.h"

namespace {

class FindCodec : public LibraryTest {};

struct TLookupCase {
  const char* Name;
  AVMediaType Type;
  bool Encoder;
  int Strict;
  bool Found;
  const char* Codec;  // name of the codec found
  const char* ErrMsg;
};

TEST_F(FindCodec, LookupTable) {
  const TLookupCase cases[] = {
      {"", AVMEDIA_TYPE_VIDEO, true, 0, true, nullptr, ""},
      {"mpeg4", AVMEDIA_TYPE_VIDEO, true, 0, true, "mpeg4", ""},
      {"h264", AVMEDIA_TYPE_VIDEO, false, 0, true, "h264", ""},
      {"nosuchcodec", AVMEDIA_TYPE_VIDEO, true, 0, false, nullptr, "Unknown encoder 'nosuchcodec'"},
      {"nosuchcodec", AVMEDIA_TYPE_AUDIO, false, 0, false, nullptr,
       "Unknown decoder 'nosuchcodec'"},
      {"mp2", AVMEDIA_TYPE_VIDEO, true, 0, false, nullptr, "Invalid encoder type 'mp2'"},
      {"vorbis", AVMEDIA_TYPE_AUDIO, true, 0, false, nullptr,
       "encoder 'vorbis' is experimental and might produce bad results.\r\nAdd '-strict "
       "experimental' if you want to use it.\r\nOr use the non experimental encoder "
       "'libvorbis'."},
      {"vorbis", AVMEDIA_TYPE_AUDIO, true, FF_COMPLIANCE_EXPERIMENTAL, true, "vorbis", ""},
      // An alias replaces only a missing encoder: the decoder lookup keeps the name.
      {"libfaac", AVMEDIA_TYPE_AUDIO, false, 0, false, nullptr, "Unknown decoder 'libfaac'"},
  };
  for (const TLookupCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TFoundCodec found = find_codec(nullptr, c.Name, c.Type, c.Encoder, c.Strict);
    EXPECT_EQ(found.Found, c.Found);
    EXPECT_EQ(found.ErrMsg, c.ErrMsg);
    EXPECT_STREQ(found.Codec ? found.Codec->name : nullptr, c.Codec);
    if (found.Codec) {
      EXPECT_EQ(found.Id, found.Codec->id);
    }
  }
}

TEST_F(FindCodec, ExperimentalWithoutAlternativeHasOneHint) {
  // Find an experimental encoder whose codec has no other, non-experimental encoder.
  const AVCodec* lone = nullptr;
  void* it = nullptr;
  while (const AVCodec* c = FF.av_codec_iterate(&it)) {
    if (!FF.av_codec_is_encoder(c) || !(c->capabilities & AV_CODEC_CAP_EXPERIMENTAL)) continue;
    const AVCodec* other = FF.avcodec_find_encoder(c->id);
    if (other && (other->capabilities & AV_CODEC_CAP_EXPERIMENTAL)) {
      lone = c;
      break;
    }
  }
  if (!lone) GTEST_SKIP() << "no such encoder in this build";
  const TFoundCodec found = find_codec(nullptr, lone->name, lone->type, true, 0);
  EXPECT_FALSE(found.Found);
  EXPECT_EQ(found.ErrMsg.find("Or use"), std::string::npos);
  EXPECT_NE(found.ErrMsg.find("Add '-strict experimental'"), std::string::npos);
}

TEST_F(FindCodec, AliasesReplaceMissingEncoders) {
  for (const TEncoderAlias& alias : EncoderAliases()) {
    SCOPED_TRACE(alias.Name);
    const TFoundCodec found = find_codec(nullptr, alias.Name, AVMEDIA_TYPE_AUDIO, true, 0);
    ASSERT_TRUE(found.Found) << found.ErrMsg;
    if (FF.avcodec_find_encoder_by_name(alias.Name)) {
      // A build with the named encoder keeps it.
      EXPECT_STREQ(found.Codec->name, alias.Name);
    } else {
      EXPECT_STREQ(found.Codec->name, "aac");
      EXPECT_EQ(found.Id, AV_CODEC_ID_AAC);
      EXPECT_TRUE(WasLogged(llInfo, std::string("Encoder '") + alias.Name +
                                        "' is not available, using encoder 'aac'"));
    }
  }
}

TEST_F(FindCodec, AliasTableNamesOnlyMissingOnes) {
  for (const TEncoderAlias& alias : EncoderAliases())
    EXPECT_NE(FF.avcodec_find_encoder_by_name(alias.Replacement), nullptr) << alias.Replacement;
}

class FormatPick : public LibraryTest {
 protected:
  TCodecContextPtr Context(const AVCodec* AEncoder) {
    return TCodecContextPtr(FF.avcodec_alloc_context3(AEncoder));
  }
};

TEST_F(FormatPick, SampleRateNearestSupported) {
  const AVCodec* mp2 = FF.avcodec_find_encoder_by_name("mp2");
  ASSERT_NE(mp2, nullptr);
  TCodecContextPtr c = Context(mp2);
  const struct {
    int Wanted;
    int Chosen;
    bool Warned;
  } cases[] = {
      {44100, 44100, false}, {44000, 44100, true}, {8000, 16000, true}, {96000, 48000, true}};
  for (const auto& r : cases) {
    c->sample_rate = r.Wanted;
    pick_sample_rate(nullptr, c.get(), mp2);
    EXPECT_EQ(c->sample_rate, r.Chosen) << r.Wanted;
    EXPECT_EQ(WasLogged(llWarning,
                        "Requested sampling rate unsupported using closest "
                        "supported (" +
                            std::to_string(r.Chosen) + ")"),
              r.Warned)
        << r.Wanted;
  }
}

TEST_F(FormatPick, SampleFormatFirstSupported) {
  const AVCodec* aac = FF.avcodec_find_encoder_by_name("aac");
  ASSERT_NE(aac, nullptr);
  TCodecContextPtr c = Context(aac);
  c->sample_fmt = AV_SAMPLE_FMT_S16;
  pick_sample_format(nullptr, c.get(), aac);
  EXPECT_EQ(c->sample_fmt, AV_SAMPLE_FMT_FLTP);
  EXPECT_TRUE(WasLogged(llWarning,
                        "Incompatible sample format \"s16\" for codec \"aac\", "
                        "auto-selecting format \"fltp\""));
  EXPECT_FALSE(WasLogged(llError, "Convertion will not be lossless"));

  // No format asked for: left to the set-up, without a warning.
  TCodecContextPtr unset = Context(aac);
  unset->sample_fmt = AV_SAMPLE_FMT_NONE;
  pick_sample_format(nullptr, unset.get(), aac);
  EXPECT_EQ(unset->sample_fmt, AV_SAMPLE_FMT_NONE);
  EXPECT_FALSE(WasLogged(llWarning, "Incompatible sample format \"none\""));
}

TEST_F(FormatPick, LosslessEncoderNarrowingWarns) {
  const AVCodec* flac = FF.avcodec_find_encoder_by_name("flac");
  ASSERT_NE(flac, nullptr);
  TCodecContextPtr c = Context(flac);
  c->sample_fmt = AV_SAMPLE_FMT_DBL;
  pick_sample_format(nullptr, c.get(), flac);
  EXPECT_EQ(c->sample_fmt, flac->sample_fmts[0]);
  EXPECT_TRUE(WasLogged(llError, "Convertion will not be lossless"));
}

TEST_F(FormatPick, PixelFormat) {
  const AVCodec* mpeg4 = FF.avcodec_find_encoder_by_name("mpeg4");
  TCodecContextPtr c = Context(mpeg4);
  c->pix_fmt = AV_PIX_FMT_NONE;
  pick_pixel_format(nullptr, c.get(), mpeg4);
  EXPECT_EQ(c->pix_fmt, AV_PIX_FMT_YUV420P);
  EXPECT_FALSE(WasLogged(llWarning, "Incompatible pixel format"));
  c->pix_fmt = AV_PIX_FMT_RGB24;
  pick_pixel_format(nullptr, c.get(), mpeg4);
  EXPECT_EQ(c->pix_fmt, AV_PIX_FMT_YUV420P);
  EXPECT_TRUE(WasLogged(llWarning,
                        "Incompatible pixel format \"rgb24\" for codec \"mpeg4\", "
                        "auto-selecting format \"yuv420p\""));

  // The encoder's own list always counts, also with strictness below 0.
  const AVCodec* mjpeg = FF.avcodec_find_encoder_by_name("mjpeg");
  TCodecContextPtr m = Context(mjpeg);
  m->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;
  for (AVPixelFormat f : {AV_PIX_FMT_YUVJ444P, AV_PIX_FMT_YUV420P}) {
    m->pix_fmt = f;
    pick_pixel_format(nullptr, m.get(), mjpeg);
    EXPECT_EQ(m->pix_fmt, f);
  }
  m->pix_fmt = AV_PIX_FMT_RGB24;
  pick_pixel_format(nullptr, m.get(), mjpeg);
  EXPECT_EQ(m->pix_fmt, mjpeg->pix_fmts[0]);
}

TEST(RcOverride, EntriesAndQualityFactors) {
  const std::vector<RcOverride> o = ParseRcOverride("0,100,2/101,200,-50");
  ASSERT_EQ(o.size(), 2u);
  EXPECT_EQ(o[0].start_frame, 0);
  EXPECT_EQ(o[0].end_frame, 100);
  EXPECT_EQ(o[0].qscale, 2);
  EXPECT_FLOAT_EQ(o[0].quality_factor, 1.0f);
  EXPECT_EQ(o[1].start_frame, 101);
  EXPECT_EQ(o[1].end_frame, 200);
  EXPECT_EQ(o[1].qscale, 0);
  EXPECT_FLOAT_EQ(o[1].quality_factor, 0.5f);
}

TEST(RcOverride, IncompleteEntriesFail) {
  for (const char* text : {"0", "0,100", "0,100,2/", "0,100,2/5", "x"}) {
    try {
      ParseRcOverride(text);
      ADD_FAILURE() << text;
    } catch (const FFmpegException& e) {
      EXPECT_STREQ(e.what(), "error parsing rc_override") << text;
    }
  }
}

class KeyFrames : public LibraryTest {};

TEST_F(KeyFrames, TimesInEncoderTimeBase) {
  const std::vector<std::int64_t> times = parse_key_frame_times("0,1.5,00:00:02");
  EXPECT_EQ(times, (std::vector<std::int64_t>{0, 1500000, 2000000}));
  EXPECT_EQ(KeyFramePts(times, {1, 25}), (std::vector<std::int64_t>{0, 38, 50}));
  try {
    parse_key_frame_times("1,abc");
    ADD_FAILURE();
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "Invalid duration specification for force_key_frames: abc");
  }
}

}  // namespace
