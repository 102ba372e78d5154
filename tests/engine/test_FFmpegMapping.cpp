// Tests of the stream mapping: frame-count bisection, automatic and explicit choices, join mode.
#include <gtest/gtest.h>

#include "FFmpegMapping.h"

namespace {

constexpr AVMediaType V = AVMEDIA_TYPE_VIDEO;
constexpr AVMediaType A = AVMEDIA_TYPE_AUDIO;

TMapInputStream In(AVMediaType AKind, int AFile, int ACount, bool ADiscardAll = false,
                   bool AInProgram = true) {
  TMapInputStream s;
  s.Kind = AKind;
  s.FileIndex = AFile;
  s.FrameCount = ACount;
  s.DiscardAll = ADiscardAll;
  s.InProgram = AInProgram;
  return s;
}

// Input files from the file index of each stream (streams are given file by file).
void AddFiles(TStreamMapping& AMapping) {
  for (int i = 0; i < static_cast<int>(AMapping.Inputs.size()); ++i) {
    const int f = AMapping.Inputs[i].FileIndex;
    if (f >= static_cast<int>(AMapping.Files.size())) AMapping.Files.push_back({i, 0});
    ++AMapping.Files[f].nb_streams;
  }
}

struct TMappingCase {
  const char* Name;
  std::vector<TMapInputStream> Inputs;
  std::vector<TMapOutputStream> Outputs;
  bool Join;
  bool Program;
  std::vector<int> Sources;  // expected source per output stream
  const char* Error;         // expected message, or empty
};

class MappingTable : public ::testing::TestWithParam<TMappingCase> {};

TEST_P(MappingTable, ChoosesSources) {
  const TMappingCase& c = GetParam();
  TStreamMapping mapping;
  mapping.Inputs = c.Inputs;
  mapping.Outputs = c.Outputs;
  mapping.JoinMode = c.Join;
  mapping.ProgramSelected = c.Program;
  AddFiles(mapping);
  const TMappingResult result = MapStreams(mapping);
  EXPECT_EQ(result.Error, c.Error);
  std::vector<int> sources;
  for (const TMappedStream& m : result.Streams) sources.push_back(m.Source);
  EXPECT_EQ(sources, c.Sources);
  for (int s : sources) EXPECT_EQ(mapping.Inputs[s].discard, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MappingTable,
    ::testing::Values(
        // The stream that probed more frames wins when one is wanted.
        TMappingCase{"MoreFramesPreferred",
                     {In(A, 0, 10), In(A, 0, 100)},
                     {{0, 0, A}},
                     false,
                     false,
                     {1},
                     ""},
        // Two wanted: the threshold falls to 10 and both are taken in order.
        TMappingCase{"TwoOutputsTakeBoth",
                     {In(A, 0, 10), In(A, 0, 100)},
                     {{0, 0, A}, {1, 0, A}},
                     false,
                     false,
                     {0, 1},
                     ""},
        // Complete parameters (count 1) beat incomplete ones (count 0).
        TMappingCase{"CompleteParametersPreferred",
                     {In(V, 0, 0), In(V, 0, 1), In(A, 0, 1)},
                     {{0, 0, V}, {0, 1, A}},
                     false,
                     false,
                     {1, 2},
                     ""},
        // A stream that probed nothing still feeds the only output of its kind.
        TMappingCase{"ZeroFramesStillMapped", {In(A, 0, 0)}, {{0, 0, A}}, false, false, {0}, ""},
        // A second output of a kind maps the last stream of that kind again.
        TMappingCase{"SecondPassRemaps",
                     {In(V, 0, 1), In(V, 0, 1), In(A, 0, 1)},
                     {{0, 0, V}, {0, 1, V}, {0, 2, V}},
                     false,
                     false,
                     {0, 1, 1},
                     ""},
        // Disabled streams are never mapped, not even by the second pass.
        TMappingCase{"DisabledNotMapped",
                     {In(V, 0, 1, true), In(A, 0, 1)},
                     {{0, 0, V}},
                     false,
                     false,
                     {},
                     "Could not find input stream matching output stream #0.0 (Video)"},
        // With a program selected only its streams count, and there is no second pass.
        TMappingCase{"ProgramOnly",
                     {In(A, 0, 1, false, false), In(A, 0, 1, false, true)},
                     {{0, 0, A}, {0, 1, A}},
                     false,
                     true,
                     {1},
                     "Could not find input stream matching output stream #0.1 (Audio)"},
        // Streams of undetermined kind are ignored.
        TMappingCase{"UnknownKindIgnored",
                     {In(AVMEDIA_TYPE_UNKNOWN, 0, 1), In(A, 0, 1)},
                     {{0, 0, A}},
                     false,
                     false,
                     {1},
                     ""},
        // Join: each slot takes the streams of its own input file.
        TMappingCase{"JoinBlocks",
                     {In(V, 0, 1), In(A, 0, 1), In(V, 1, 1), In(A, 1, 1), In(V, 2, 1), In(A, 2, 0)},
                     {{0, 0, V}, {0, 1, A}, {1, 0, V}, {1, 1, A}, {2, 0, V}, {2, 1, A}},
                     true,
                     false,
                     {0, 1, 2, 3, 4, 5},
                     ""},
        // Join: a file without the kind leaves its block unmatched.
        TMappingCase{"JoinMissingKind",
                     {In(A, 0, 1), In(V, 1, 1)},
                     {{0, 0, A}, {1, 0, A}},
                     true,
                     false,
                     {0},
                     "Could not find input stream matching output stream #1.0 (Audio)"}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(MappingThresholds, BisectionFindsLargestSufficientCount) {
  TStreamMapping mapping;
  mapping.Inputs = {In(A, 0, 10), In(A, 0, 100), In(V, 0, 7)};
  mapping.Outputs = {{0, 0, A}, {0, 1, V}};
  EXPECT_EQ(MappingThresholds(mapping)[A], 100);
  EXPECT_EQ(MappingThresholds(mapping)[V], 7);
  mapping.Outputs.push_back({1, 0, A});
  EXPECT_EQ(MappingThresholds(mapping)[A], 10);
  mapping.Outputs.push_back({2, 0, A});
  EXPECT_EQ(MappingThresholds(mapping)[A], 0);
}

struct TExplicitCase {
  const char* Name;
  std::vector<TAVStreamMap> Maps;
  std::vector<TMappedStream> Expected;
  const char* Error;
  int DumpSlot;
};

class ExplicitMaps : public ::testing::TestWithParam<TExplicitCase> {};

TEST_P(ExplicitMaps, CheckAndMap) {
  const TExplicitCase& c = GetParam();
  TStreamMapping mapping;
  mapping.Inputs = {In(V, 0, 1), In(A, 0, 1), In(A, 1, 1)};
  mapping.Outputs = {{0, 0, A}, {0, 1, V}};
  mapping.Maps = c.Maps;
  AddFiles(mapping);
  const TMappingResult result = MapStreams(mapping);
  EXPECT_EQ(result.Error, c.Error);
  EXPECT_EQ(result.DumpSlot, c.DumpSlot);
  ASSERT_EQ(result.Streams.size(), c.Expected.size());
  for (std::size_t i = 0; i < c.Expected.size(); ++i) {
    EXPECT_EQ(result.Streams[i].Source, c.Expected[i].Source);
    EXPECT_EQ(result.Streams[i].Sync, c.Expected[i].Sync);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExplicitMaps,
    ::testing::Values(
        TExplicitCase{"WithSync", {{1, 0, 0, 1}, {0, 0, 0, 0}}, {{2, 1}, {0, 0}}, "", -1},
        TExplicitCase{"CountMismatch",
                      {{1, 0, 1, 0}},
                      {},
                      "Number of stream maps must match number of output streams",
                      -1},
        TExplicitCase{"NoSuchStream",
                      {{1, 1, 1, 1}, {0, 0, 0, 0}},
                      {},
                      "Could not find input stream #1.1",
                      -1},
        TExplicitCase{"NoSuchSyncStream",
                      {{1, 0, 2, 0}, {0, 0, 0, 0}},
                      {},
                      "Could not find sync stream #2.0",
                      -1},
        TExplicitCase{"KindMismatch",
                      {{0, 1, 0, 1}, {0, 1, 0, 1}},
                      {{1, 1}},
                      "Codec type mismatch for mapping #0.1 (Audio) -> #0.1 (Video)",
                      0}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(ProbeFrameCount, CompleteParametersCountOne) {
  AVCodecParameters video{};
  video.codec_type = AVMEDIA_TYPE_VIDEO;
  video.codec_id = AV_CODEC_ID_MPEG4;
  video.width = 320;
  video.height = 240;
  video.format = AV_PIX_FMT_YUV420P;
  EXPECT_EQ(ProbeFrameCount(video), 1);
  video.format = AV_PIX_FMT_NONE;
  EXPECT_EQ(ProbeFrameCount(video), 0);
  video.format = AV_PIX_FMT_YUV420P;
  video.height = 0;
  EXPECT_EQ(ProbeFrameCount(video), 0);

  AVCodecParameters audio{};
  audio.codec_type = AVMEDIA_TYPE_AUDIO;
  audio.codec_id = AV_CODEC_ID_MP3;
  audio.sample_rate = 44100;
  audio.ch_layout.nb_channels = 2;
  audio.format = AV_SAMPLE_FMT_FLTP;
  EXPECT_EQ(ProbeFrameCount(audio), 1);
  audio.ch_layout.nb_channels = 0;
  EXPECT_EQ(ProbeFrameCount(audio), 0);
  audio.ch_layout.nb_channels = 2;
  audio.codec_id = AV_CODEC_ID_NONE;
  EXPECT_EQ(ProbeFrameCount(audio), 0);
}

}  // namespace
