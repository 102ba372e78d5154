// Table tests of the output rules: video frame-rate sync, audio sync decisions, sample-format
// pair keys, the DTS guard, volume per sample format, interleaving and the deinterlacer.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "AudioSamples.h"
#include "AudioSync.h"
#include "Deinterlace.h"
#include "DtsGuard.h"
#include "VideoSync.h"

namespace {

// ---- video sync ----------------------------------------------------------------------------

struct TVideoSyncCase {
  int Method;
  bool VariableFps;
  double SyncIpts;
  std::int64_t SyncOpts;
  int Frames;
  std::int64_t NewSyncOpts;
};

TEST(VideoSync, Decisions) {
  const TVideoSyncCase cases[] = {
      {0, false, 7.4, 3, 1, 7},   // passthrough takes the picture's own time
      {0, false, 2.6, 9, 1, 3},   //   also backwards
      {1, false, 5.0, 5, 1, 5},   // on time
      {1, false, 3.8, 5, 0, 5},   // more than 1.1 frames early: dropped
      {1, false, 7.0, 5, 2, 5},   // two frames late: written twice
      {1, false, 6.05, 5, 1, 5},  // 1.05 late: within tolerance
      {1, false, 8.6, 5, 4, 5},   // 3.6 late: nearest integer
      {2, false, 5.8, 5, 1, 6},   // variable rate, 0.8 late: clock reset, written once
      {2, false, 4.3, 5, 0, 5},   // variable rate, 0.7 early: dropped
      {2, false, 4.5, 5, 1, 5},   // 0.5 early: kept
      {2, false, 9.0, 5, 1, 9},   // far late: reset, never duplicated
      {-1, true, 5.8, 5, 1, 6},   // automatic with a variable-rate muxer acts as 2
      {-1, false, 7.0, 5, 2, 5},  // automatic with a fixed-rate muxer acts as 1
      {-1, false, 3.8, 5, 0, 5},
  };
  for (const TVideoSyncCase& c : cases) {
    const TVideoSyncResult r = VideoSyncFrames(c.Method, c.VariableFps, c.SyncIpts, c.SyncOpts);
    EXPECT_EQ(r.nb_frames, c.Frames) << c.Method << " " << c.SyncIpts << " " << c.SyncOpts;
    EXPECT_EQ(r.sync_opts, c.NewSyncOpts) << c.Method << " " << c.SyncIpts;
  }
}

// Runs a picture sequence of AInRate through the sync at AOutRate; returns the frames written
// per picture.
std::vector<int> SyncRun(int AMethod, bool AVariable, double AInRate, double AOutRate,
                         int APictures) {
  std::vector<int> written;
  std::int64_t opts = 0;
  for (int i = 0; i < APictures; ++i) {
    const TVideoSyncResult r = VideoSyncFrames(AMethod, AVariable, i / AInRate * AOutRate, opts);
    written.push_back(r.nb_frames);
    opts = r.sync_opts + r.nb_frames;
  }
  return written;
}

TEST(VideoSync, RateConversions) {
  // 30 to 25 at a fixed-rate muxer: one picture in six dropped.
  const std::vector<int> down = SyncRun(-1, false, 30, 25, 60);
  int dropped = 0, total = 0;
  for (int n : down) dropped += n == 0, total += n;
  EXPECT_GE(dropped, 9);
  EXPECT_LE(dropped, 10);
  EXPECT_NEAR(total, 60 * 25 / 30, 1);
  // 25 to 50 with method 1: from the third picture on each picture is written twice.
  const std::vector<int> up = SyncRun(1, false, 25, 50, 10);
  EXPECT_EQ(up[0], 1);
  EXPECT_EQ(up[1], 1);  // one frame behind is within tolerance
  for (std::size_t i = 2; i < up.size(); ++i) EXPECT_EQ(up[i], 2) << i;
  // 30000/1001 to 25: about five pictures dropped per second, each written at most once.
  const std::vector<int> ntsc = SyncRun(1, false, 30000.0 / 1001, 25, 300);
  int frames = 0;
  for (int n : ntsc) {
    EXPECT_LE(n, 1);
    frames += n;
  }
  EXPECT_NEAR(frames, 300 * 25 / (30000.0 / 1001), 1);
}

// ---- audio sync ----------------------------------------------------------------------------

TAudioSyncInput AudioIn(int AMethod, double ADelta, bool AIsStart, int ABytes = 2,
                        int AChunk = 100000) {
  TAudioSyncInput in{};
  in.Method = AMethod;
  in.EncRate = in.DecRate = 48000;
  in.DecChannels = 2;
  in.DecBytesPerSample = ABytes;
  in.SyncOpts = 96000;
  in.FifoSamples = 0;
  in.SyncTime = (in.SyncOpts + ADelta) / in.EncRate;
  in.IsStart = AIsStart;
  in.DriftThreshold = 0.1;
  in.ChunkBytes = AChunk;
  return in;
}

TEST(AudioSync, Decisions) {
  struct TCase {
    TAudioSyncInput In;
    TAudioSyncAction Action;
    int Compensation, Drop, Silence;
  };
  const TCase cases[] = {
      {AudioIn(100, 30, false), saNone, 0, 0, 0},            // drift 30: nothing
      {AudioIn(100, 2000, false), saCompensate, 100, 0, 0},  // clipped to the method
      {AudioIn(100, -2000, false), saCompensate, -100, 0, 0},
      {AudioIn(1000, 2000, false), saCompensate, 1000, 0, 0},
      {AudioIn(3000, 2000, false), saCompensate, 2000, 0, 0},
      {AudioIn(1, 2000, false), saNone, 0, 0, 0},             // method 1 never stretches
      {AudioIn(1, 24000, true), saSilence, 0, 0, 96000},      // 0.5 s late start, s16 stereo
      {AudioIn(1, 24000, true, 4), saSilence, 0, 0, 192000},  // the same in a 4-byte format
      {AudioIn(1, 24000, false), saSilence, 0, 0, 96000},     // beyond the drift threshold
      {AudioIn(1, -1000, true), saDrop, 0, 4000, 0},
      {AudioIn(1, -1000, true, 8), saDrop, 0, 16000, 0},         // dbl
      {AudioIn(1, -100000, true, 2, 4096), saDrop, 0, 4096, 0},  // at most the whole chunk
  };
  for (const TCase& c : cases) {
    const TAudioSyncDecision d = AudioSyncDecision(c.In);
    EXPECT_EQ(d.Action, c.Action) << d.Delta;
    EXPECT_EQ(d.Compensation, c.Compensation) << d.Delta;
    EXPECT_EQ(d.DropBytes, c.Drop) << d.Delta;
    EXPECT_EQ(d.SilenceBytes, c.Silence) << d.Delta;
  }
}

TEST(AudioSync, FifoAndRatesEnterTheDelta) {
  TAudioSyncInput in = AudioIn(1, 24000, true);
  in.FifoSamples = 24000;  // what waits in the FIFO is already on its way
  EXPECT_EQ(AudioSyncDecision(in).Action, saNone);
  in = AudioIn(1, 24000, true);
  in.DecRate = 24000;  // the decoder side counts in its own rate: half the samples
  EXPECT_EQ(AudioSyncDecision(in).SilenceBytes, 48000);
  EXPECT_EQ(AudioSyncOpts(2.0, 44100, 100), 88100);
}

TEST(AudioSync, ReformatPairsAreUnique) {
  std::set<int> keys;
  for (int e = 0; e < AV_SAMPLE_FMT_NB; ++e)
    for (int d = 0; d < AV_SAMPLE_FMT_NB; ++d) keys.insert(ReformatPair(e, d));
  EXPECT_EQ(keys.size(), static_cast<std::size_t>(AV_SAMPLE_FMT_NB * AV_SAMPLE_FMT_NB));
  // The packed-only key e + 5 * d would make these two equal.
  EXPECT_NE(ReformatPair(AV_SAMPLE_FMT_FLTP, AV_SAMPLE_FMT_U8),
            ReformatPair(AV_SAMPLE_FMT_FLT, AV_SAMPLE_FMT_S16));
}

// ---- DTS guard -----------------------------------------------------------------------------

TEST(DtsGuard, OnlyNonRisingDtsMoves) {
  constexpr std::int64_t none = AV_NOPTS_VALUE;
  struct TCase {
    std::int64_t Last, Dts, Pts, NewDts, NewPts;
    bool Moved;
  } cases[] = {
      {none, 5, 5, 5, 5, false},       // first packet
      {4, 5, 7, 5, 7, false},          // rising
      {5, 5, 5, 6, 6, true},           // equal: last + 1, pts follows
      {100, 20, 40, 101, 101, true},   // backwards jump
      {100, 20, 300, 101, 300, true},  // a pts above stays
      {100, 20, none, 101, none, true},
      {100, none, 7, none, 7, false},  // left to the muxer
  };
  for (const TCase& c : cases) {
    const TGuardedTimestamps g = GuardDts(c.Last, c.Dts, c.Pts, none);
    EXPECT_EQ(g.dts, c.NewDts) << c.Last << " " << c.Dts;
    EXPECT_EQ(g.pts, c.NewPts) << c.Last << " " << c.Dts;
    EXPECT_EQ(g.moved, c.Moved) << c.Last << " " << c.Dts;
  }
}

TEST(DtsGuard, BlockShiftOfAReopenedEncoder) {
  const std::int64_t none = AV_NOPTS_VALUE;
  struct TCase {
    std::int64_t Last, FirstDts, Shift;
  } cases[] = {
      {none, -2, 0},  // the first block: nothing written before it
      {97, 98, 0},    // starts right behind: unchanged
      {97, 120, 0},   // a gap stays a gap
      {97, 97, 1},    // B-frame delay of one tick
      {97, 95, 3},    //   of three ticks
      {97, none, 0},  // no DTS: left to the guard
  };
  for (const TCase& c : cases)
    EXPECT_EQ(BlockShift(c.Last, c.FirstDts, none), c.Shift) << c.Last << " " << c.FirstDts;
}

// ---- volume and interleaving ---------------------------------------------------------------

template <typename T>
std::vector<T> Scaled(std::vector<T> ASamples, AVSampleFormat AFormat, int AVolume) {
  ApplyVolume(reinterpret_cast<std::uint8_t*>(ASamples.data()),
              static_cast<int>(ASamples.size() * sizeof(T)), AFormat, AVolume);
  return ASamples;
}

TEST(Volume, PerSampleFormat) {
  using V16 = std::vector<std::int16_t>;
  EXPECT_EQ(Scaled<std::int16_t>({20000, -20000, 1000, 0}, AV_SAMPLE_FMT_S16, 512),
            (V16{32767, -32768, 2000, 0}));
  EXPECT_EQ(Scaled<std::int16_t>({1001, -1001}, AV_SAMPLE_FMT_S16, 128), (V16{501, -500}));
  EXPECT_EQ(Scaled<std::int16_t>({1234}, AV_SAMPLE_FMT_S16, 256), (V16{1234}));
  using V8 = std::vector<std::uint8_t>;
  EXPECT_EQ(Scaled<std::uint8_t>({128, 192, 0, 255, 100}, AV_SAMPLE_FMT_U8, 512),
            (V8{128, 255, 0, 255, 72}));
  using V32 = std::vector<std::int32_t>;
  EXPECT_EQ(Scaled<std::int32_t>({2000000000, -2000000000, 1000}, AV_SAMPLE_FMT_S32, 512),
            (V32{INT32_MAX, INT32_MIN, 2000}));
  EXPECT_EQ(Scaled<float>({0.25f, -1.0f}, AV_SAMPLE_FMT_FLT, 128),
            (std::vector<float>{0.125f, -0.5f}));
  EXPECT_EQ(Scaled<double>({0.25, -1.0}, AV_SAMPLE_FMT_DBL, 768),
            (std::vector<double>{0.75, -3.0}));
}

TEST(Volume, InterleavesPlanes) {
  // Three channels of four samples for every sample size (1, 2, 4, 8 and an odd 3): byte b of
  // sample s of channel c is 100 * c + 10 * s + b, and must land at ((s * 3) + c) * size + b.
  for (const int size : {1, 2, 3, 4, 8}) {
    SCOPED_TRACE(size);
    std::vector<std::vector<std::uint8_t>> planes(3, std::vector<std::uint8_t>(4 * size));
    for (int c = 0; c < 3; ++c)
      for (int i = 0; i < 4 * size; ++i)
        planes[c][i] = static_cast<std::uint8_t>(100 * c + 10 * (i / size) + i % size);
    const std::uint8_t* pointers[] = {planes[0].data(), planes[1].data(), planes[2].data()};
    std::vector<std::uint8_t> out(12 * size);
    InterleaveSamples(pointers, 3, 4, size, out.data());
    for (int s = 0; s < 4; ++s)
      for (int c = 0; c < 3; ++c)
        for (int b = 0; b < size; ++b)
          EXPECT_EQ(out[(s * 3 + c) * size + b], 100 * c + 10 * s + b) << s << " " << c << " " << b;
  }
}

// ---- deinterlacer --------------------------------------------------------------------------

TEST(Deinterlace, FiltersOddLinesOnly) {
  // One column of 6 lines; odd lines take (-1, 4, 2, 4, -1) / 8 with repeated edges.
  const std::uint8_t src[6] = {0, 80, 16, 200, 32, 255};
  std::uint8_t dst[6] = {};
  DeinterlacePlane(src, 1, dst, 1, 1, 6);
  const auto f = [](int a, int b, int c, int d, int e) {
    return std::clamp((-a + 4 * b + 2 * c + 4 * d - e + 4) >> 3, 0, 255);
  };
  EXPECT_EQ(dst[0], 0);
  EXPECT_EQ(dst[1], f(0, 0, 80, 16, 200));
  EXPECT_EQ(dst[2], 16);
  EXPECT_EQ(dst[3], f(80, 16, 200, 32, 255));
  EXPECT_EQ(dst[4], 32);
  EXPECT_EQ(dst[5], f(200, 32, 255, 255, 255));
  // A flat picture stays flat; a field difference is smoothed away.
  std::vector<std::uint8_t> combed(8 * 8), out(8 * 8);
  for (int y = 0; y < 8; ++y) std::memset(&combed[y * 8], y % 2 ? 200 : 40, 8);
  DeinterlacePlane(combed.data(), 8, out.data(), 8, 8, 8);
  EXPECT_EQ(out[1 * 8 + 3], f(40, 40, 200, 40, 200));
  EXPECT_LT(out[3 * 8], 200);
}

TEST(Deinterlace, Formats) {
  EXPECT_NE(DeinterlaceFormat(AV_PIX_FMT_YUV420P), nullptr);
  EXPECT_NE(DeinterlaceFormat(AV_PIX_FMT_GRAY8), nullptr);
  EXPECT_EQ(DeinterlaceFormat(AV_PIX_FMT_RGB24), nullptr);
  EXPECT_EQ(DeinterlaceFormat(AV_PIX_FMT_NV12), nullptr);
  std::uint8_t y[16] = {}, dst[16] = {};
  const std::uint8_t* src[4] = {y};
  std::uint8_t* out[4] = {dst};
  const int strides[4] = {4};
  EXPECT_FALSE(DeinterlacePicture(src, strides, out, strides, AV_PIX_FMT_RGB24, 4, 4));
  EXPECT_TRUE(DeinterlacePicture(src, strides, out, strides, AV_PIX_FMT_GRAY8, 4, 4));
}

}  // namespace
