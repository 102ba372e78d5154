// Tests of option text: line splitting, the line appliers and the per-stream option queue.
#include <gtest/gtest.h>

#include "FFmpegOptionText.h"

namespace {

using TLines = std::vector<std::pair<std::string, std::string>>;

TLines Lines(const std::string& AText) {
  TLines result;
  for (const TOptionLine& l : ParseOptionText(AText)) result.emplace_back(l.Name, l.Value);
  return result;
}

// Records the calls a line applier makes.
struct TRecorder {
  TLines Calls;
  TSetOption Set() {
    return [this](const std::string& n, const std::string& v) { Calls.emplace_back(n, v); };
  }
};

TEST(OptionText, Lines) {
  const TLines three = {{"vcodec", "mpeg4"}, {"b", "800000"}, {"r", "25"}};
  struct TCase {
    const char* Text;
    TLines Expected;
  } cases[] = {
      {"vcodec=mpeg4<CRLF>b=800000<CRLF>r=25", three},
      {"vcodec=mpeg4\r\nb=800000\r\nr=25", three},
      {"vcodec=mpeg4\rb=800000\nr=25", three},
      {" \r\n\tvcodec=mpeg4<CRLF>b=800000<CRLF>r=25<CRLF>\r\n ", three},
      {"vcodec=mpeg4<CRLF>b=800000<CRLF>r=25<CRLF>", three},
      {"metadata=title=a=b", {{"metadata", "title=a=b"}}},
      {"vn", {{"vn", ""}}},
      {"vn=", {{"vn", ""}}},
      {"=5", {{"", "5"}}},
      {"-vcodec=mpeg4", {{"-vcodec", "mpeg4"}}},
      {"VCodec = mpeg4 ", {{"VCodec ", " mpeg4"}}},
      {"<CRLF>a=1", {{"", ""}, {"a", "1"}}},
      {"a=1<CRLF><CRLF>", {{"a", "1"}, {"", ""}}},
      {"a=1\n\nb=2", {{"a", "1"}, {"", ""}, {"b", "2"}}},
      {"<crlf>", {{"<crlf>", ""}}},
      {"", {}},
      {" \r\n ", {}},
      {"vf=scale=320:240,hflip", {{"vf", "scale=320:240,hflip"}}},
  };
  for (const auto& c : cases) EXPECT_EQ(Lines(c.Text), c.Expected) << c.Text;
}

TEST(OptionText, ApplyOptionLines) {
  const char* text =
      "VCodec=mpeg4<CRLF>newaudio=1<CRLF>vf=hflip<CRLF>vfilters=vflip<CRLF>s=640x480<CRLF>"
      "acodec=mp2<CRLF>B=800000<CRLF>=x<CRLF>NEWVIDEO";
  TRecorder input;
  ApplyOptionLines(text, true, input.Set());
  EXPECT_EQ(
      input.Calls,
      (TLines{
          {"vcodec", "mpeg4"}, {"s", "640x480"}, {"acodec", "mp2"}, {"b", "800000"}, {"", "x"}}));
  TRecorder output;
  ApplyOptionLines(text, false, output.Set());
  EXPECT_EQ(output.Calls, (TLines{{"b", "800000"}, {"", "x"}}));
}

TEST(OptionText, StreamQueueGivesEachMarkerItsOptions) {
  const std::string text = "acodec=aac<CRLF>newaudio=1<CRLF>acodec=mp2<CRLF>newaudio=1";
  struct TCase {
    const char* AudioCodec;
    std::vector<std::string> Streams;  // first stream from the default, then one per marker
  } cases[] = {{"ac3", {"ac3", "aac", "mp2"}}, {"", {"aac", "aac", "mp2"}}};
  for (const auto& c : cases) {
    TStreamOptionQueue queue;
    TStreamDefaults defaults;
    defaults.AudioCodec = c.AudioCodec;
    queue.Collect(defaults, text);
    std::vector<std::string> streams = {queue.Default("acodec")};
    std::string pending;
    queue.ApplyMarkers(text, [&](const std::string& n, const std::string& v) {
      if (n == "acodec") pending = v;
      if (n == "newaudio") streams.push_back(pending);
    });
    EXPECT_EQ(streams, c.Streams) << c.AudioCodec;
    EXPECT_TRUE(queue.Queue().empty());
  }
}

TEST(OptionText, StreamQueueFallsBackToDefaults) {
  const std::string text =
      "vfilters=hflip<CRLF>s=320x240<CRLF>newvideo<CRLF>newvideo<CRLF>vcodec=<CRLF>newsubtitle"
      "<CRLF>newdata=1";
  TStreamOptionQueue queue;
  TStreamDefaults defaults;
  defaults.VideoCodec = "mpeg4";
  defaults.FrameSize = "640x480";
  defaults.FilePreset = "my.ffpreset";
  queue.Collect(defaults, text);
  EXPECT_EQ(queue.Default("vcodec"), "mpeg4");
  EXPECT_EQ(queue.Default("s"), "640x480");  // the record field wins over the text
  EXPECT_EQ(queue.Default("vf"), "hflip");   // "vfilters" is queued as "vf"
  EXPECT_EQ(queue.Default("fpre"), "my.ffpreset");
  EXPECT_EQ(queue.Default("acodec"), "");
  TRecorder r;
  queue.ApplyMarkers(text, r.Set());
  EXPECT_EQ(r.Calls, (TLines{{"vcodec", "mpeg4"},
                             {"s", "320x240"},
                             {"vf", "hflip"},
                             {"newvideo", ""},
                             {"vcodec", "mpeg4"},
                             {"s", "640x480"},
                             {"vf", "hflip"},
                             {"newvideo", ""},
                             {"scodec", ""},
                             {"newsubtitle", ""},
                             {"dcodec", ""},
                             {"newdata", "1"}}));
}

}  // namespace
