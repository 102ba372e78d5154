// The batch conversion controller on the real window: Convert, the rows converted one after the
// other from generated media, the row statuses, Stop with its question, the close refusal and
// the two guards of a row's request.
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "FFDecode.h"
#include "FFLoad.h"
#include "Fixtures.h"
#include "Unit4.h"
#include "WindowFixture.h"

namespace {

namespace fs = std::filesystem;
using TTexts = std::vector<std::string>;

const char* const AviFormat = "AVI - Audio Video Interleave (*.avi)";

// What an output file holds, as the probe reads it.
struct TProbedOutput {
  std::string Container;
  std::string VideoCodec;
  std::string AudioCodec;
  friend bool operator==(const TProbedOutput&, const TProbedOutput&) = default;
};

void PrintTo(const TProbedOutput& AOutput, std::ostream* AOut) {
  *AOut << AOutput.Container << " video " << AOutput.VideoCodec << " audio " << AOutput.AudioCodec;
}

// The name of the codec of the first stream of the type; empty without one.
std::string CodecOf(const AVFormatContext& AContext, AVMediaType AType) {
  for (unsigned i = 0; i < AContext.nb_streams; ++i) {
    const AVCodecParameters& parameters = *AContext.streams[i]->codecpar;
    if (parameters.codec_type != AType) continue;
    const AVCodecDescriptor* descriptor = FF.avcodec_descriptor_get(parameters.codec_id);
    return descriptor ? descriptor->name : "?";
  }
  return std::string();
}

TProbedOutput Probe(const TPathFileName& AFile) {
  TFFDecoder probe(nullptr);
  TProbedOutput output;
  if (!probe.LoadFile(AFile)) return output;
  output.Container = probe.FileHandle()->iformat->name;
  output.VideoCodec = CodecOf(*probe.FileHandle(), AVMEDIA_TYPE_VIDEO);
  output.AudioCodec = CodecOf(*probe.FileHandle(), AVMEDIA_TYPE_AUDIO);
  probe.CloseFile();
  return output;
}

std::string FileBytes(const TPathFileName& AFile) {
  std::ifstream in(AFile, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TBatchConversionTest : public TWindowFixture {
 protected:
  void SetUp() override {
    TWindowFixture::SetUp();
    StopRequested = false;
    static int counter = 0;
    FOutput = fs::temp_directory_path() /
              ("vorandel-batch-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    fs::create_directories(FOutput);
    Form().show();
    Choose(*Form().ComboOutputFormat, AviFormat);
    Form().EditOutputFolder->setText(QString::fromStdString(FOutput.string()));
  }
  void TearDown() override {
    TWindowFixture::TearDown();
    ConversionRunning = false;
    std::error_code ignored;
    fs::remove_all(FOutput, ignored);
  }

  void AddFiles(const std::vector<TPathFileName>& AFiles) {
    FDialogs.FilesToOpen = AFiles;
    Form().ButtonAddFileClick();
    ASSERT_EQ(Form().RowCount(), static_cast<int>(AFiles.size()));
  }
  // Serves the GUI thread's events and the encoder's deliveries until the condition holds; a
  // batch that never gets there fails the test instead of hanging it.
  template <class TCondition>
  void RunUntil(TCondition ACondition) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!ACondition()) {
      ASSERT_LT(std::chrono::steady_clock::now(), giveUp) << "the batch did not get there";
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      ProcessMainThreadCalls();
      QThread::msleep(2);
    }
  }
  void RunUntilCompleted() {
    RunUntil([this] { return !FDialogs.Informations.empty(); });
  }
  TTexts Statuses() {
    TTexts statuses;
    for (int row = 0; row < Form().RowCount(); ++row)
      statuses.push_back(Form().CellText(row, lcStatus));
    return statuses;
  }
  // The files the batch wrote, by name.
  TTexts OutputNames() {
    TTexts names;
    for (const fs::directory_entry& entry : fs::directory_iterator(FOutput))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  static std::string OutputName(TFixture AFixture, const char* AExtension) {
    return fs::path(FixturePath(AFixture)).replace_extension(AExtension).filename().string();
  }
  // The controls a batch locks, with the Stop button and the folder button it leaves alone.
  struct TLockState {
    bool Locked;    // every locked control disabled
    bool Unlocked;  // every locked control enabled
    bool StopAndBrowseEnabled;
  };
  TLockState LockState() {
    TForm1& f = Form();
    const QWidget* locked[] = {f.ButtonAddFile,
                               f.ButtonClear,
                               f.ButtonRemove,
                               f.ButtonConvert,
                               f.ComboOutputFormat,
                               f.ComboVideoSize,
                               f.ComboVideoBitrate,
                               f.ComboVideoFramerate,
                               f.ComboAudioBitrate,
                               f.ComboAudioChannels,
                               f.ComboVideoCodec,
                               f.ComboSamplingRate,
                               f.ComboAudioCodec,
                               f.ComboAspectRatio,
                               f.ComboLetterBox,
                               f.TrackBar1,
                               f.File1,
                               f.Options1,
                               f.Help1};
    TLockState state{true, true,
                     f.ButtonStopSmall->isEnabled() && f.ButtonBrowseForFolder->isEnabled()};
    for (const QWidget* control : locked) {
      state.Locked = state.Locked && !control->isEnabled();
      state.Unlocked = state.Unlocked && control->isEnabled();
    }
    return state;
  }

  fs::path FOutput;
};

TEST_F(TBatchConversionTest, ConvertsTheCheckedRowsOneAfterTheOtherAndSkipsTheUnchecked) {
  AddFiles({FixturePath(fxAviMpeg4Mp3), FixturePath(fxWav), FixturePath(fxMp4H264Aac)});
  Form().SetRowChecked(1, false);
  Form().SetCellText(1, lcStatus, "untouched");

  Form().ButtonConvertClick();
  EXPECT_TRUE(ConversionRunning);
  EXPECT_EQ(Form().ListviewItem, 0);
  const TLockState during = LockState();
  EXPECT_TRUE(during.Locked);
  EXPECT_TRUE(during.StopAndBrowseEnabled);
  // Closing is refused while the row converts; the window stays.
  EXPECT_FALSE(Form().close());
  EXPECT_TRUE(Form().isVisible());

  RunUntilCompleted();
  EXPECT_EQ(FDialogs.Informations, (TTexts{"All Conversions Completed"}));
  EXPECT_EQ(Statuses(), (TTexts{"Done", "untouched", "Done"}));
  EXPECT_FALSE(ConversionRunning);
  EXPECT_FALSE(Form().TimerConvertAgain->isActive());
  EXPECT_EQ(Form().ProgressBar1->value(), 0);
  EXPECT_TRUE(LockState().Unlocked);
  EXPECT_TRUE(FDialogs.Confirmations.empty());

  const std::string aviOut = OutputName(fxAviMpeg4Mp3, ".avi");
  const std::string mp4Out = OutputName(fxMp4H264Aac, ".avi");
  EXPECT_EQ(OutputNames(), (TTexts{std::min(aviOut, mp4Out), std::max(aviOut, mp4Out)}));
  const TProbedOutput expected{"avi", "mpeg4", "mp3"};
  EXPECT_EQ(Probe((FOutput / aviOut).string()), expected);
  EXPECT_EQ(Probe((FOutput / mp4Out).string()), expected);

  // Between batches the window closes.
  EXPECT_TRUE(Form().close());
}

TEST_F(TBatchConversionTest, ARealMediaRowConvertsWithAnotherPreset) {
  Choose(*Form().ComboOutputFormat, "iPod (*.mp4)");
  AddFiles({FixturePath(fxRealMediaRv10Ac3)});
  Form().ButtonConvertClick();
  RunUntilCompleted();
  EXPECT_EQ(Statuses(), (TTexts{"Done"}));
  const std::string output = OutputName(fxRealMediaRv10Ac3, ".mp4");
  ASSERT_EQ(OutputNames(), (TTexts{output}));
  EXPECT_EQ(Probe((FOutput / output).string()),
            (TProbedOutput{"mov,mp4,m4a,3gp,3g2,mj2", "mpeg4", "ac3"}));
}

TEST_F(TBatchConversionTest, FailedRowsKeepTheirStatusAndReasonAndTheBatchGoesOn) {
  // Unreadable text, a convertible file, and last a file without audio.
  AddFiles({FixturePath(fxTextAsRm), FixturePath(fxAviMpeg4Mp3), FixturePath(fxUnknownDuration)});
  Form().ButtonConvertClick();
  RunUntilCompleted();
  EXPECT_EQ(FDialogs.Informations, (TTexts{"All Conversions Completed"}));
  EXPECT_EQ(Statuses(), (TTexts{"Fail", "Done", "Fail-This file has no audio"}));
  EXPECT_NE(Form().StatusReason(0), "");
  EXPECT_EQ(Form().StatusReason(1), "");
  EXPECT_EQ(Form().StatusReason(2), "This file has no audio");
  EXPECT_EQ(OutputNames(), (TTexts{OutputName(fxAviMpeg4Mp3, ".avi")}));
  EXPECT_TRUE(LockState().Unlocked);
}

TEST_F(TBatchConversionTest, StopAnsweredNoResumesAndYesAbortsWithoutCompletion) {
  AddFiles({FixturePath(fxAviMpeg4Mp3), FixturePath(fxMp4H264Aac)});
  Form().ButtonConvertClick();
  ASSERT_TRUE(ConversionRunning);
  FDialogs.ConfirmAnswer = false;
  Form().ButtonStopSmall->click();
  EXPECT_EQ(FDialogs.Confirmations, (TTexts{"Stop all conversions?"}));
  EXPECT_TRUE(ConversionRunning);
  EXPECT_TRUE(LockState().Locked);
  RunUntilCompleted();
  EXPECT_EQ(Statuses(), (TTexts{"Done", "Done"}));
  EXPECT_EQ(OutputNames().size(), 2u);

  FDialogs.Informations.clear();
  Form().ButtonConvertClick();
  ASSERT_TRUE(ConversionRunning);
  FDialogs.ConfirmAnswer = true;
  Form().ButtonStopSmall->click();
  EXPECT_EQ(FDialogs.Confirmations.size(), 2u);
  EXPECT_FALSE(ConversionRunning);
  EXPECT_TRUE(StopRequested);
  EXPECT_TRUE(LockState().Unlocked);
  EXPECT_FALSE(Form().TimerConvertAgain->isActive());
  // Late deliveries of the stopped encoder change nothing.
  for (int i = 0; i < 50; ++i) {
    QCoreApplication::processEvents();
    ProcessMainThreadCalls();
    QThread::msleep(2);
  }
  // The stopped row is marked; the second row was never reached and no completion follows.
  EXPECT_EQ(Statuses(), (TTexts{"Abort", "Done"}));
  EXPECT_EQ(Form().ListviewItem, 0);
  EXPECT_TRUE(FDialogs.Informations.empty());
  EXPECT_TRUE(Form().close());

  // A stopped batch leaves the encoder ready for the next one.
  Form().ButtonConvertClick();
  RunUntilCompleted();
  EXPECT_EQ(Statuses(), (TTexts{"Done", "Done"}));
  EXPECT_EQ(FDialogs.Confirmations.size(), 2u);
}

TEST_F(TBatchConversionTest, AListWithoutCheckedRowsStillCompletes) {
  AddFiles({FixturePath(fxAviMpeg4Mp3), FixturePath(fxWav)});
  Form().UncheckAllItems1Click();
  Form().Convert1->trigger();
  RunUntilCompleted();
  EXPECT_EQ(FDialogs.Informations, (TTexts{"All Conversions Completed"}));
  EXPECT_EQ(Statuses(), (TTexts{"", ""}));
  EXPECT_EQ(Form().ListviewItem, 1);
  EXPECT_TRUE(OutputNames().empty());
  EXPECT_TRUE(LockState().Unlocked);
}

TEST_F(TBatchConversionTest, StopWithoutABatchAsksNothing) {
  Form().ButtonStopSmall->click();
  EXPECT_TRUE(FDialogs.Confirmations.empty());
  EXPECT_TRUE(LockState().Unlocked);
  EXPECT_FALSE(ConversionRunning);
}

TEST_F(TBatchConversionTest, ConvertChecksTheListAndTheOutputFolderFirst) {
  Form().ButtonConvertClick();
  EXPECT_EQ(FDialogs.Informations, (TTexts{"Please Add Files To Convert!"}));
  EXPECT_TRUE(FDialogs.BrowseRequests.empty());

  AddFiles({FixturePath(fxAviMpeg4Mp3)});
  Form().SetCellText(0, lcFrames, "12");
  Form().EditOutputFolder->clear();
  FDialogs.Informations.clear();
  Form().ButtonConvertClick();
  EXPECT_EQ(FDialogs.Informations, (TTexts{"Please select an output folder!"}));
  EXPECT_EQ(FDialogs.BrowseRequests.size(), 1u);
  EXPECT_EQ(Form().CellText(0, lcFrames), "");

  const std::string deleted = (FOutput / "gone").string() + " ";
  Form().EditOutputFolder->setText(QString::fromStdString(deleted));
  FDialogs.Informations.clear();
  Form().ButtonConvertClick();
  EXPECT_EQ(FDialogs.Informations,
            (TTexts{"The output folder \"" + deleted +
                    "\"\n\rdoes not exist or has been deleted!\n\rPlease choose a new output "
                    "folder."}));
  EXPECT_EQ(FDialogs.BrowseRequests.size(), 2u);
  EXPECT_FALSE(ConversionRunning);
  EXPECT_TRUE(LockState().Unlocked);
  EXPECT_EQ(Form().CellText(0, lcStatus), "");

  // Once the folder exists the batch starts.
  Form().EditOutputFolder->setText(QString::fromStdString(FOutput.string()));
  FDialogs.Informations.clear();
  Form().ButtonConvertClick();
  EXPECT_TRUE(ConversionRunning);
  RunUntilCompleted();
  EXPECT_EQ(Form().CellText(0, lcStatus), "Done");
}

TEST_F(TBatchConversionTest, AnOverwrittenOutputThatIsTheInputFailsAndLeavesTheInput) {
  const fs::path input = FOutput / "clip.avi";
  fs::copy_file(FixturePath(fxAviMpeg4Mp3), input);
  const std::string before = FileBytes(input.string());
  AddFiles({input.string(), FixturePath(fxMp4H264Aac)});
  Form().Form4->CheckBoxOverWrite->setChecked(true);
  Form().ButtonConvertClick();
  RunUntilCompleted();
  EXPECT_EQ(Statuses(), (TTexts{"Fail", "Done"}));
  EXPECT_EQ(FileBytes(input.string()), before);
  EXPECT_EQ(OutputNames(), (TTexts{"clip.avi", OutputName(fxMp4H264Aac, ".avi")}));
}

TEST_F(TBatchConversionTest, AnUnreadableNumberFailsTheRowAndTheBatchGoesOn) {
  AddFiles({FixturePath(fxAviMpeg4Mp3), FixturePath(fxMp4H264Aac)});
  Form().ComboAudioBitrate->setCurrentIndex(-1);  // no bit rate selected: not a number
  Form().ButtonConvertClick();
  RunUntilCompleted();
  EXPECT_EQ(FDialogs.Informations, (TTexts{"All Conversions Completed"}));
  EXPECT_EQ(Statuses(), (TTexts{"Fail", "Fail"}));
  EXPECT_NE(Form().StatusReason(0), "");
  EXPECT_TRUE(OutputNames().empty());
}

TEST_F(TBatchConversionTest, ProgressShowsPercentFramesAndSizeOfTheCurrentRow) {
  AddFiles({FixturePath(fxAviMpeg4Mp3), FixturePath(fxWav)});
  Form().ListviewItem = 1;
  struct TCase {
    int FrameNumber;
    std::int64_t CurrentSize, CurrentDuration, TotalDuration;
    const char *Status, *Frames, *Size;
    int Bar;
  };
  const TCase cases[] = {
      {-1, 2500000, 3000000, 2000000, "100%", " ", "File Size : 2 MBytes", 100},
      {42, 3500000, 500000, 2000000, "25%", "42", "File Size : 4 MBytes", 25},
      {0, 0, 100, 0, "0%", "0", "File Size : 0 MBytes", 0},
  };
  for (const TCase& c : cases) {
    TProgressInfo info;
    info.FrameNumber = c.FrameNumber;
    info.CurrentSize = c.CurrentSize;
    info.CurrentDuration = c.CurrentDuration;
    info.TotalDuration = c.TotalDuration;
    Form().VextorProgress(nullptr, &info);
    EXPECT_EQ(Form().CellText(1, lcStatus), c.Status);
    EXPECT_EQ(Form().CellText(1, lcFrames), c.Frames);
    EXPECT_EQ(Form().StatusPanelText(1), c.Size);
    EXPECT_EQ(Form().ProgressBar1->value(), c.Bar);
    EXPECT_EQ(Form().CellText(0, lcStatus), "");
  }
}

}  // namespace
