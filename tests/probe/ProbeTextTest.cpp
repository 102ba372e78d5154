// The probe report's pure text helpers, case by case.
#include <gtest/gtest.h>

#include <cstdint>

#include "ProbeReport.h"
#include "ProbeText.h"

TEST(ProbeText, FormatFileSize) {
  const struct {
    std::int64_t Size;
    const char* Text;
  } cases[] = {
      {-1, "-1 Byte"},
      {0, "0 Byte"},
      {1024, "1024 Byte"},
      {1025, "1.00 KB"},
      {1048576, "1024.00 KB"},
      {1048577, "1.00 MB"},
      {1073741824, "1024.00 MB"},
      {1073741825, "1.00 GB"},
      {5368709120, "5.00 GB"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatFileSize(c.Size), c.Text) << c.Size;
}

TEST(ProbeText, FormatTimeText) {
  const struct {
    std::int64_t Time;
    const char* Text;
  } cases[] = {
      {INT64_MIN, "N/A"},        {0, "00:00:00.000"},          {2000000, "00:00:02.000"},
      {2023219, "00:00:02.023"}, {3723456789, "01:02:03.456"}, {360000000000, "100:00:00.000"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatTimeText(c.Time), c.Text) << c.Time;
}

TEST(ProbeText, FormatRateSuffix) {
  const struct {
    double Rate;
    const char* Unit;
    const char* Text;
  } cases[] = {
      {30000.0 / 1001, "fps", ", 29.97 fps"},
      {29.97, "tbr", ", 29.97 tbr"},
      {25, "fps", ", 25 fps"},
      {23.976, "fps", ", 23.98 fps"},
      {90000, "tbn", ", 90k tbn"},
      {1000, "tbn", ", 1k tbn"},
      {44100, "tbn", ", 44100 tbn"},
      {0.5, "fps", ", 0.50 fps"},
      {0.125, "fps", ", 0.12 fps"},  // 12.5 hundredths go to the even neighbour
  };
  for (const auto& c : cases) EXPECT_EQ(FormatRateSuffix(c.Rate, c.Unit), c.Text) << c.Rate;
}

TEST(ProbeText, FormatSecondsText) {
  EXPECT_EQ(FormatSecondsText(0), "0.000000");
  EXPECT_EQ(FormatSecondsText(1500000), "1.500000");
  EXPECT_EQ(FormatSecondsText(-23220), "-0.023220");
  EXPECT_EQ(FormatSecondsText(INT64_MIN + 1), "-9223372036854.775807");
}

TEST(ProbeText, FormatDateTimeText) {
  EXPECT_EQ(FormatDateTimeText(1304251200, 0), "2011-05-01 12:00:00");
  EXPECT_EQ(FormatDateTimeText(1304251200, 3600), "2011-05-01 13:00:00");
  EXPECT_EQ(FormatDateTimeText(0, -3600), "1969-12-31 23:00:00");
}

TEST(ProbeText, MetadataKeyAliases) {
  const struct {
    const char* Key;
    const char* Generic;
  } cases[] = {
      {"WM/AlbumTitle", "album"},
      {"TALB", "album"},
      {"Author", "artist"},
      {"TPE1", "artist"},
      {"ICRD", "date"},
      {"TRCK", "track"},
      {"WM/Track", "track"},
      {"X-UsesFont", "usesfont"},
      {"TDEN", "creation_time"},
      {"TSOT", "title-sort"},
      {"INAM", "title"},
      {"strn", "title"},
      {"WM/MediaStationName", "service_name"},
      {"author", "author"},  // keys match case-sensitively
      {"title", "title"},
      {"encoder", "encoder"},
  };
  for (const auto& c : cases) EXPECT_EQ(MetadataKeyAliases(c.Key), c.Generic) << c.Key;
}

TEST(ProbeText, TagToInt) {
  const struct {
    const char* Text;
    int Value;
  } cases[] = {
      {"7", 7},    {" 2011", 2011}, {"-3", -3}, {"+4", 4},          {"", 0},
      {"3/12", 0}, {"20x", 0},      {"-", 0},   {"99999999999", 0}, {"2147483647", 2147483647}};
  for (const auto& c : cases) EXPECT_EQ(TagToInt(c.Text), c.Value) << c.Text;
}

TEST(ProbeText, CodecTagText) {
  EXPECT_EQ(CodecTagText(0x44495658), "XVID / 0x44495658");
  EXPECT_EQ(CodecTagText(0), "0x0000");
  EXPECT_EQ(CodecTagText(0x1F000041), "0x1f000041");
  EXPECT_EQ(CodecTagText(0x30315652), "RV10 / 0x30315652");
}
