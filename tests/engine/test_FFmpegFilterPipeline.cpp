// Tests of filter chain splitting and of the pipeline of libavfilter segments and native stages.
#include <cstring>

#include "EngineTestSupport.h"
#include "FFmpegFilterChain.h"
#include "FFmpegFilterPipeline.h"

namespace {

struct TSplitCase {
  const char* Text;
  std::vector<std::string> Names;
  std::vector<std::string> Args;
  bool Labels;
  bool Semicolon;
};

TEST(FilterChain, Split) {
  const TSplitCase cases[] = {
      {"hflip", {"hflip"}, {""}, false, false},
      {"scale=320:240,hflip", {"scale", "hflip"}, {"320:240", ""}, false, false},
      {"drawtext=text='a,b',vflip", {"drawtext", "vflip"}, {"text='a,b'", ""}, false, false},
      {"drawtext=text=a\\,b, vflip", {"drawtext", "vflip"}, {"text=a\\,b", ""}, false, false},
      {"eq@one=contrast=2", {"eq"}, {"contrast=2"}, false, false},
      {"[in]hflip[out]", {"hflip"}, {""}, true, false},
      {"split[a][b];[a]hflip", {"split", "hflip"}, {"", ""}, true, true},
  };
  for (const TSplitCase& c : cases) {
    SCOPED_TRACE(c.Text);
    const TChainSplit split = SplitFilterChain(c.Text);
    std::vector<std::string> names, args;
    bool labels = false;
    for (const TChainFilter& f : split.Filters) {
      names.push_back(f.Name);
      args.push_back(f.Args);
      labels = labels || f.HasLabel;
    }
    EXPECT_EQ(names, c.Names);
    EXPECT_EQ(args, c.Args);
    EXPECT_EQ(labels, c.Labels);
    EXPECT_EQ(split.HasSemicolon, c.Semicolon);
  }
}

// A native stage of the tests: inverts the gray picture and keeps its left half.
class THalfInvert : public TNativeVideoFilter {
 public:
  int Configure(const TVideoGeometry& AInput, TVideoGeometry& AOutput) override {
    AOutput = AInput;
    AOutput.Width = AInput.Width / 2;
    return 0;
  }
  int Filter(TFramePtr AFrame, std::vector<TFramePtr>& AOutput) override {
    TFramePtr out(FF.av_frame_alloc());
    out->format = AFrame->format;
    out->width = AFrame->width / 2;
    out->height = AFrame->height;
    if (FF.av_frame_get_buffer(out.get(), 0) < 0) return AVERROR(ENOMEM);
    FF.av_frame_copy_props(out.get(), AFrame.get());
    for (int y = 0; y < out->height; ++y)
      for (int x = 0; x < out->width; ++x)
        out->data[0][y * out->linesize[0] + x] = 255 - AFrame->data[0][y * AFrame->linesize[0] + x];
    AOutput.push_back(std::move(out));
    return 0;
  }
};

class Pipeline : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    AddFilterOnce("testhalfinvert", {{AV_PIX_FMT_GRAY8}, [](const std::string&) {
                                       return std::make_unique<THalfInvert>();
                                     }});
  }
  // A yuv420p picture with luma AValue.
  TFramePtr Picture(int AValue, std::int64_t APts) {
    TFramePtr f(FF.av_frame_alloc());
    f->format = AV_PIX_FMT_YUV420P;
    f->width = 64;
    f->height = 48;
    EXPECT_GE(FF.av_frame_get_buffer(f.get(), 0), 0);
    std::memset(f->data[0], AValue, f->linesize[0] * 48);
    std::memset(f->data[1], 128, f->linesize[1] * 24);
    std::memset(f->data[2], 128, f->linesize[2] * 24);
    f->pts = APts;
    return f;
  }
  TVideoGeometry Source() {
    TVideoGeometry g;
    g.Width = 64;
    g.Height = 48;
    g.Format = AV_PIX_FMT_YUV420P;
    g.SampleAspect = {1, 1};
    return g;
  }
};

TEST_F(Pipeline, LibrarySegmentNativeStageLibrarySegment) {
  TVideoFilterPipeline p;
  ASSERT_EQ(p.Build(nullptr, "hflip,testhalfinvert,pad=iw+8:ih", Source(), 64, 48,
                    AV_PIX_FMT_YUV420P, SWS_BICUBIC),
            0);
  EXPECT_EQ(p.SegmentCount(), 2);
  EXPECT_EQ(p.Output().Width, 40);  // half of 64, padded by 8
  EXPECT_EQ(p.Output().Height, 48);
  EXPECT_EQ(p.Output().Format, AV_PIX_FMT_YUV420P);
  for (int i = 0; i < 3; ++i) {
    TFramePtr in = Picture(40, i * 40000);
    ASSERT_EQ(p.Push(in.get()), 0);
  }
  ASSERT_EQ(p.Flush(), 0);
  std::vector<std::int64_t> pts;
  TFramePtr out;
  while (p.Pull(out) == 0) {
    EXPECT_EQ(out->width, 40);
    EXPECT_EQ(out->format, AV_PIX_FMT_YUV420P);
    // Inverted by the native stage in full-range gray, between two limited-range conversions.
    const double gray = (40 - 16) * 255.0 / 219.0;
    EXPECT_NEAR(out->data[0][0], 16 + (255 - gray) * 219.0 / 255.0, 2);
    pts.push_back(out->pts);
  }
  EXPECT_EQ(pts, (std::vector<std::int64_t>{0, 40000, 80000}));
}

TEST_F(Pipeline, LibraryOnlyChainsAreParsedWhole) {
  TVideoFilterPipeline p;
  ASSERT_EQ(p.Build(nullptr, "split[a][b];[a]hflip[c];[b][c]hstack", Source(), 64, 48,
                    AV_PIX_FMT_YUV420P, SWS_BICUBIC),
            0);
  EXPECT_EQ(p.SegmentCount(), 1);
  EXPECT_EQ(p.Output().Width, 128);
}

TEST_F(Pipeline, NativeFilterOnlyInSimpleChains) {
  for (const char* chain : {"[in]testhalfinvert[out]", "hflip;testhalfinvert"}) {
    SCOPED_TRACE(chain);
    TVideoFilterPipeline p;
    EXPECT_EQ(p.Build(nullptr, chain, Source(), 64, 48, AV_PIX_FMT_YUV420P, SWS_BICUBIC),
              AVERROR(EINVAL));
    EXPECT_TRUE(
        WasLogged(llError, "filter 'testhalfinvert' can only be used in a simple filter chain"));
  }
}

TEST_F(Pipeline, ScaleOnlyInTheFirstSegment) {
  TVideoFilterPipeline p;
  ASSERT_EQ(p.Build(nullptr, "testhalfinvert", Source(), 32, 24, AV_PIX_FMT_YUV420P, SWS_BICUBIC),
            0);
  EXPECT_EQ(p.Output().Width, 16);
  EXPECT_EQ(p.Output().Height, 24);
}

}  // namespace
