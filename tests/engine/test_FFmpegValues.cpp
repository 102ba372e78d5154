// Tests of the option value kinds: numbers, maps, matrices, tags, targets, metadata.
#include <gtest/gtest.h>

#include <string>

#include "FFmpegValues.h"

namespace {

TEST(Values, Flag) {
  EXPECT_FALSE(ParseFlag("0"));
  for (const char* v : {"", "1", "00", " 0", "false", "yes"}) EXPECT_TRUE(ParseFlag(v)) << v;
}

TEST(Values, Integers) {
  struct TCase {
    const char* Text;
    bool Valid;
    std::int64_t Value;
  } cases[] = {
      {"0", true, 0},
      {"42", true, 42},
      {"  42", true, 42},
      {"-7", true, -7},
      {"+7", true, 7},
      {"$1F", true, 31},
      {"x1f", true, 31},
      {"0x10", true, 16},
      {"-$10", true, -16},
      {"2147483647", true, INT32_MAX},
      {"-2147483648", true, INT32_MIN},
      {"2147483648", false, 0},
      {"$80000000", false, 0},
      {"", false, 0},
      {" ", false, 0},
      {"-", false, 0},
      {"12a", false, 0},
      {"42 ", false, 0},
      {"1.5", false, 0},
      {"0x", false, 0},
      {"$", false, 0},
      {"abc", false, 0},
  };
  for (const auto& c : cases) {
    int v = 12345;
    EXPECT_EQ(TryStrToInt(c.Text, v), c.Valid) << c.Text;
    if (c.Valid) {
      EXPECT_EQ(v, c.Value) << c.Text;
    }
  }
  std::int64_t big = 0;
  EXPECT_TRUE(TryStrToInt64("9223372036854775807", big));
  EXPECT_EQ(big, INT64_MAX);
  EXPECT_TRUE(TryStrToInt64("2147483648", big));
  EXPECT_FALSE(TryStrToInt64("9223372036854775808", big));
  try {
    StrToInt("abc");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
  }
}

TEST(Values, Decimals) {
  struct TCase {
    const char* Text;
    char Separator;
    bool Valid;
    double Value;
  } cases[] = {
      {"0.5", '.', true, 0.5},  {"0,5", ',', true, 0.5}, {"0,5", '.', false, 0},
      {"0.5", ',', false, 0},   {" 12 ", '.', true, 12}, {"-1.5e2", '.', true, -150},
      {"5.", '.', true, 5},     {".5", '.', true, 0.5},  {"+3", '.', true, 3},
      {"", '.', false, 0},      {".", '.', false, 0},    {"1e", '.', false, 0},
      {"1.2.3", '.', false, 0}, {"nan", '.', false, 0},  {"inf", '.', false, 0},
      {"1e999", '.', false, 0}, {"abc", '.', false, 0},
  };
  for (const auto& c : cases) {
    double v = -1;
    EXPECT_EQ(TryStrToDecimal(c.Text, c.Separator, v), c.Valid) << c.Text;
    if (c.Valid) {
      EXPECT_DOUBLE_EQ(v, c.Value) << c.Text;
    }
  }
  EXPECT_THROW(StrToDecimal("x", '.'), EConvertError);
}

TEST(Values, StreamMaps) {
  struct TCase {
    const char* Text;
    TAVStreamMap Map;
  } cases[] = {
      {"0:1", {0, 1, 0, 1}},     {"0.1", {0, 1, 0, 1}}, {"1:0:0:0", {1, 0, 0, 0}},
      {"", {0, 0, 0, 0}},        {"0.0", {0, 0, 0, 0}}, {"0x10:3", {16, 3, 16, 3}},
      {"2:3,1:4", {2, 3, 1, 4}}, {"7", {7, 0, 7, 0}},   {"010:1", {8, 1, 8, 1}},
  };
  for (const auto& c : cases) {
    const TAVStreamMap m = ParseStreamMap(c.Text);
    EXPECT_EQ(m.file_index, c.Map.file_index) << c.Text;
    EXPECT_EQ(m.stream_index, c.Map.stream_index) << c.Text;
    EXPECT_EQ(m.sync_file_index, c.Map.sync_file_index) << c.Text;
    EXPECT_EQ(m.sync_stream_index, c.Map.sync_stream_index) << c.Text;
  }
}

TEST(Values, MetadataMaps) {
  struct TCase {
    const char* Text;
    TAVMetaDataMap Out, In;
  } cases[] = {
      {"0,s0:1", {0, 's', 0}, {1, 'g', 0}},    {"0:1", {0, 'g', 0}, {1, 'g', 0}},
      {"1,c2:0,p3", {1, 'c', 2}, {0, 'p', 3}}, {"0,g:1,s4", {0, 'g', 0}, {1, 's', 4}},
      {"", {0, 'g', 0}, {0, 'g', 0}},
  };
  for (const auto& c : cases) {
    const TAVMetaDataMapPair p = ParseMetadataMap(c.Text);
    EXPECT_EQ(p[0].file_idx, c.Out.file_idx) << c.Text;
    EXPECT_EQ(p[0].type_, c.Out.type_) << c.Text;
    EXPECT_EQ(p[0].index, c.Out.index) << c.Text;
    EXPECT_EQ(p[1].file_idx, c.In.file_idx) << c.Text;
    EXPECT_EQ(p[1].type_, c.In.type_) << c.Text;
    EXPECT_EQ(p[1].index, c.In.index) << c.Text;
  }
  struct TError {
    const char* Text;
    const char* Message;
  } errors[] = {{"0,x:1", "Invalid metadata type x."},
                {"0:1,q", "Invalid metadata type q."},
                {"0,", "Invalid metadata type ."}};
  for (const auto& e : errors) {
    try {
      ParseMetadataMap(e.Text);
      ADD_FAILURE() << e.Text;
    } catch (const FFmpegException& x) {
      EXPECT_STREQ(x.what(), e.Message);
    }
  }
}

TEST(Values, ChapterMapAndStreamScale) {
  const TAVChapterMap chapters = ParseChapterMap("1:2");
  EXPECT_EQ(chapters.out_file, 1);
  EXPECT_EQ(chapters.in_file, 2);
  const TStreamScale s = ParseStreamScale("2:0.5");
  EXPECT_EQ(s.index, 2);
  EXPECT_DOUBLE_EQ(s.scale, 0.5);
  EXPECT_DOUBLE_EQ(ParseStreamScale("1:0,5").scale, 0.0);  // always "." as decimal point
  EXPECT_EQ(ParseStreamScale("1024:1").index, 1024);
}

TEST(Values, AspectRatios) {
  struct TCase {
    const char* Text;
    float Ratio;
  } cases[] = {
      {"16:9", 16.0f / 9.0f}, {"4:3", 4.0f / 3.0f}, {"-4:3", -4.0f / 3.0f},
      {"4:0", 0.0f},          {"0", 0.0f},          {"1.5", 1.5f},
      {"a:3", 0.0f},          {"4:-3", 0.0f},       {"abc", 0.0f},
      {"2.35", 2.35f},
  };
  for (const auto& c : cases) EXPECT_FLOAT_EQ(ParseAspectRatio(c.Text, '.'), c.Ratio) << c.Text;
  EXPECT_FLOAT_EQ(ParseAspectRatio("16:9", '.'), 1.7777778f);
  EXPECT_FLOAT_EQ(ParseAspectRatio("1,5", ','), 1.5f);
}

std::string Numbers(int ACount, const char* ASeparator = ",") {
  std::string text;
  for (int i = 1; i <= ACount; ++i) text += (i > 1 ? ASeparator : "") + std::to_string(i);
  return text;
}

TEST(Values, Matrices) {
  const auto m = ParseMatrix(Numbers(64));
  ASSERT_EQ(m.size(), 64u);
  EXPECT_EQ(m[0], 1);
  EXPECT_EQ(m[63], 64);
  EXPECT_EQ(ParseMatrix(Numbers(64) + ",99,junk")[63], 64);  // text after coefficient 63 ignored
  EXPECT_EQ(ParseMatrix(",,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,")[5], 0);
  try {
    ParseMatrix(Numbers(63));
    FAIL();
  } catch (const FFmpegException& e) {
    EXPECT_EQ(std::string(e.what()), "Syntax error in matrix \"" + Numbers(63) + "\" at coeff 62");
  }
  try {
    ParseMatrix("8");
    FAIL();
  } catch (const FFmpegException& e) {
    EXPECT_STREQ(e.what(), "Syntax error in matrix \"8\" at coeff 0");
  }
}

TEST(Values, CodecTags) {
  EXPECT_EQ(ParseCodecTag("XVID"), 0x44495658u);
  EXPECT_EQ(ParseCodecTag("0x44495658"), 0x44495658u);
  EXPECT_EQ(ParseCodecTag("$44495658"), 0x44495658u);
  EXPECT_EQ(ParseCodecTag("1234"), 1234u);     // reads as a number first
  EXPECT_EQ(ParseCodecTag("4294967297"), 1u);  // the low 32 bits
  for (const char* bad : {"DIVX5", "DIV", "", "abcde"})
    EXPECT_THROW(
        {
          try {
            ParseCodecTag(bad);
          } catch (const FFmpegException& e) {
            EXPECT_STREQ(e.what(), "tag parameter must be 4 chars or int value");
            throw;
          }
        },
        FFmpegException)
        << bad;
}

TEST(Values, TargetPrefixes) {
  struct TCase {
    const char* Text;
    const char* Type;
    const char* Norm;
  } cases[] = {
      {"pal-dvd", "dvd", "pal"}, {"ntsc-vcd", "vcd", "ntsc"},    {"film-dvd", "dvd", "film"},
      {"dvd", "dvd", "auto"},    {"PAL-dvd", "PAL-dvd", "auto"}, {" pal-svcd\n", "svcd", "pal"},
      {"pal-", "", "pal"},       {"pal", "pal", "auto"},
  };
  for (const auto& c : cases) {
    const TTargetChoice t = SplitTarget(c.Text);
    EXPECT_EQ(t.Type, c.Type) << c.Text;
    EXPECT_EQ(t.Norm, c.Norm) << c.Text;
  }
}

TEST(Values, MetadataPairs) {
  EXPECT_EQ(SplitMetadata("title=a=b"), (std::pair<std::string, std::string>{"title", "a=b"}));
  EXPECT_EQ(SplitMetadata("k="), (std::pair<std::string, std::string>{"k", ""}));
  struct TError {
    const char* Text;
    const char* Message;
  } errors[] = {{"title", "Missing ="}, {"", "Missing ="}, {"=x", "wrong parameter of metadata"}};
  for (const auto& e : errors) {
    try {
      SplitMetadata(e.Text);
      ADD_FAILURE() << e.Text;
    } catch (const FFmpegException& x) {
      EXPECT_STREQ(x.what(), e.Message);
    }
  }
}

TEST(Values, StreamIds) {
  int index = -1;
  int id = -1;
  EXPECT_TRUE(ParseStreamId("1:0x1e0", index, id));
  EXPECT_EQ(index, 1);
  EXPECT_EQ(id, 0x1e0);
  for (const char* bad : {"1", ":", "a:1", "1:b", "-1:5", "1024:1", ""})
    EXPECT_FALSE(ParseStreamId(bad, index, id)) << bad;
}

TEST(Values, GrowTable) {
  std::vector<int> table;
  int count = 0;
  grow_table(table, count, 3);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(table, (std::vector<int>{0, 0, 0}));
  table[1] = 5;
  grow_table(table, count, 2);  // never shrinks
  EXPECT_EQ(count, 3);
  EXPECT_EQ(table, (std::vector<int>{0, 5, 0}));
  struct TBig {
    char Bytes[1 << 20];
  };
  std::vector<TBig> big;
  int bigCount = 0;
  try {
    grow_table(big, bigCount, 2047);  // 2147483647 / 1 MiB
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Array too big.");
  }
  EXPECT_EQ(bigCount, 0);
}

TEST(Values, TrimAndLowerCase) {
  EXPECT_EQ(TrimText("\t\r\n a b \x01"), "a b");
  EXPECT_EQ(TrimText("\xc3\xa9"), "\xc3\xa9");  // UTF-8 bytes are not blanks
  EXPECT_EQ(LowerCase("VCodec-\xc3\x89"), "vcodec-\xc3\x89");
}

}  // namespace
