// One row's request from the probe's findings and its paths, and the walk over the rows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "AVCodecs.h"
#include "OutputPath.h"
#include "RowCursor.h"
#include "RowRequest.h"

namespace {

TPresetSelections Defaults(std::string_view AComboText) {
  return DefaultSelectionsOf(*FindAVCodec(AComboText));
}

const TProbeFacts cClip{true, 640, 360, true};
const char* cAvi = "AVI - Audio Video Interleave (*.avi)";

TEST(BuildRowRequest, ProbeFindings) {
  struct TCase {
    const char* What;
    const char* ComboText;
    TProbeFacts Probe;
    std::optional<TRowFailure> Failure;
    const char* FrameSize;
  };
  const TCase cases[] = {
      {"video and audio", cAvi, cClip, std::nullopt, "640x360"},
      {"no audio, video entry", cAvi, {true, 640, 360, false}, rfNoAudio, ""},
      {"no audio, audio entry",
       "MP3 - Mpeg Layer3 Audio (*.mp3)",
       {true, 640, 360, false},
       rfNoAudio,
       ""},
      {"no video stream", cAvi, {true, -1, -1, true}, std::nullopt, "-1x-1"},
      {"not opened", cAvi, {false, -1, -1, false}, std::nullopt, "640x480"},
      {"not opened, sized entry", "iPod (*.mp4)", {false, -1, -1, false}, std::nullopt, "640x480"},
  };
  for (const TCase& c : cases) {
    const TRowRequest request =
        BuildRowRequest(Defaults(c.ComboText), c.Probe, "/in/clip.rm", "/out/clip.avi");
    EXPECT_EQ(request.Failure, c.Failure) << c.What;
    if (!request.Failure) {
      EXPECT_EQ(request.Options.FrameSize, c.FrameSize) << c.What;
    }
  }
  const TRowRequest noAudio =
      BuildRowRequest(Defaults(cAvi), {true, 640, 360, false}, "/in/clip.rm", "/out/clip.avi");
  EXPECT_EQ(RowFailureStatus(*noAudio.Failure), "Fail-This file has no audio");
}

TEST(BuildRowRequest, UnreadableNumberFailsWithItsReason) {
  TPresetSelections s = Defaults(cAvi);
  s.SamplingRate = "";
  const TRowRequest request = BuildRowRequest(s, cClip, "/in/clip.rm", "/out/clip.avi");
  EXPECT_EQ(request.Failure, rfBadNumber);
  EXPECT_EQ(request.FailureReason, "'' is not a valid integer value");
  EXPECT_EQ(RowFailureStatus(*request.Failure), "Fail");
  // A file without audio is reported as such before the numbers are read.
  EXPECT_EQ(BuildRowRequest(s, {true, 1, 1, false}, "/in/clip.rm", "/out/clip.avi").Failure,
            rfNoAudio);
}

// Converting clip.mp4 with an MP4 preset into its own folder with overwrite on would truncate
// the file being read; the row fails and the input keeps its content.
TEST(BuildRowRequest, OutputThatIsTheInputFails) {
  namespace fs = std::filesystem;
  std::string folder = (fs::temp_directory_path() / "vorandel-rowreq-XXXXXX").string();
  ASSERT_NE(::mkdtemp(folder.data()), nullptr);
  const std::string input = folder + "/clip.mp4";
  std::ofstream(input) << "source";
  const TPresetSelections s = Defaults("MP4 - MPEG4 Video (*.mp4)");

  const std::string overwriting = OutputPathOf(folder, input, ".mp4", true);
  const TRowRequest request = BuildRowRequest(s, cClip, input, overwriting);
  EXPECT_EQ(request.Failure, rfOutputIsInput);
  EXPECT_EQ(RowFailureStatus(*request.Failure), "Fail");
  EXPECT_FALSE(request.FailureReason.empty());

  const std::string unique = OutputPathOf(folder, input, ".mp4", false);
  EXPECT_EQ(unique, folder + "/clip-1.mp4");
  EXPECT_EQ(BuildRowRequest(s, cClip, input, unique).Failure, std::nullopt);
  EXPECT_EQ(fs::file_size(input), 6u);
  fs::remove_all(folder);
}

enum TOutcome { oSkip, oFail, oStart, oStartRaises };

struct TAfterRow {
  int Index;
  bool Running;
  bool NoMore;
  bool operator==(const TAfterRow&) const = default;
};

std::vector<TAfterRow> Walk(const std::vector<TOutcome>& ARows) {
  TBatchRowState state;
  std::vector<TAfterRow> after;
  for (TOutcome outcome : ARows) {
    const int index = AdvanceRow(state, static_cast<int>(ARows.size()));
    if (outcome == oStart || outcome == oStartRaises) RowStarting(state);
    if (outcome != oStart) RowHandedBack(state);
    after.push_back({index, state.ConversionRunning, state.NoMoreFilesToConvert});
    state.ConversionRunning = false;  // the row's termination, delivered before the next tick
  }
  return after;
}

TEST(RowCursor, EveryRowAdvancesOnceAndTheLastEndsTheBatch) {
  struct TCase {
    std::vector<TOutcome> Rows;
    std::vector<TAfterRow> Expected;
  };
  const TCase cases[] = {
      {{oStart, oSkip, oStart}, {{0, true, false}, {1, false, false}, {2, true, true}}},
      {{oSkip}, {{0, false, true}}},
      {{oStart, oSkip}, {{0, true, false}, {1, false, true}}},
      {{oFail, oStartRaises}, {{0, false, false}, {1, false, true}}},
  };
  for (const TCase& c : cases) EXPECT_EQ(Walk(c.Rows), c.Expected);
}

}  // namespace
