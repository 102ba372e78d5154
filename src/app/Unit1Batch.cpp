// TForm1's batch conversion controller: Convert, the next-row timer, the encoder's progress and
// terminate events, Stop, the close query, the locking of the window, and the request of one
// list row (ConvertListRow).
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QSlider>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <exception>

#include "AVCodecs.h"
#include "BatchRules.h"
#include "Dialogs.h"
#include "OutputPath.h"
#include "RowRequest.h"
#include "Unit1.h"
#include "Unit4.h"

namespace {

std::string TextOf(const QComboBox* ACombo) {
  return ACombo->currentText().toStdString();
}

std::string Trimmed(const std::string& AText) {
  return QString::fromStdString(AText).trimmed().toStdString();
}

}  // namespace

void TForm1::ConnectBatchController() {
  connect(ButtonConvert, &QToolButton::clicked, this, &TForm1::ButtonConvertClick);
  connect(Convert1, &QAction::triggered, this, &TForm1::ButtonConvertClick);
  connect(ButtonStopSmall, &QToolButton::clicked, this, &TForm1::ButtonStopSmallClick);
  connect(ButtonStopConvert, &QToolButton::clicked, this, &TForm1::ButtonStopConvertClick);
  connect(TimerConvertAgain, &QTimer::timeout, this, &TForm1::TimerConvertAgainTimer);
  Vextor.SetTriggerEventInMainThread(true);
  Vextor.SetOnProgress(
      [this](TObject* ASender, PProgressInfo AInfo) { VextorProgress(ASender, AInfo); });
  Vextor.SetOnTerminate(
      [this](TObject* ASender, const TTerminateInfo& AInfo) { VextorTerminate(ASender, AInfo); });
}

// ---- Starting, stepping and ending the batch --------------------------------------------------

void TForm1::ButtonConvertClick() {
  if (AddFileInProgress) return;
  for (int row = 0; row < RowCount(); ++row) SetCellText(row, lcFrames, std::string());
  if (RowCount() == 0) {
    Dialogs().ShowInformation(MsgNoFilesToConvert);
    return;
  }
  const std::string folder = EditOutputFolder->text().toStdString();
  if (folder.empty()) {
    Dialogs().ShowInformation(MsgNoOutputFolder);
    ButtonBrowseForFolderClick();
    return;
  }
  // stat follows links, so a link to a folder counts as the folder.
  if (!DirectoryExists(Trimmed(folder))) {
    Dialogs().ShowInformation(MissingOutputFolderMessage(folder));
    ButtonBrowseForFolderClick();
    return;
  }
  ConversionRunning = true;
  TimerConvertAgain->start();
  StopRequested = false;
  DisableControls();
  Vextor.ClearTasks();
  ListviewItem = -1;
  ConvertListRow();
}

void TForm1::TimerConvertAgainTimer() {
  // The row's own notification clears ConversionRunning; the encoder's final one may still be on
  // its way, and until it arrives the task list cannot be cleared for the next row.
  if (ConversionRunning || (Vextor.Working() && !Vextor.Terminated())) return;
  if (NoMoreFilesToConvert) {
    TimerConvertAgain->stop();
    Vextor.Stop(true);
    Vextor.ClearTasks();
    Dialogs().ShowInformation(MsgAllConversionsCompleted);
    ProgressBar1->setValue(0);
    EnableControls();
    ConversionRunning = false;
    return;
  }
  ConversionRunning = true;
  ConvertListRow();
}

// ---- The encoder's events ---------------------------------------------------------------------

void TForm1::VextorProgress(TObject*, PProgressInfo AInfo) {
  ScrollRowVisible(ListviewItem);
  const int percent = ProgressPercent(AInfo->CurrentDuration, AInfo->TotalDuration);
  SetCellText(ListviewItem, lcStatus, ProgressStatusText(percent));
  SetStatusPanelText(1, FileSizePanelText(AInfo->CurrentSize));
  SetCellText(ListviewItem, lcFrames, FramesCellText(AInfo->FrameNumber));
  ProgressBar1->setValue(percent);
}

void TForm1::VextorTerminate(TObject*, const TTerminateInfo& AInfo) {
  ConversionRunning = false;
  if (AInfo.TaskIndex >= 0) {
    const TRowEnd end = RowEndOf(AInfo.Exception, StopRequested);
    SetCellText(ListviewItem, lcStatus, RowEndStatus(end));
    if (end == reFail)
      SetStatusReason(ListviewItem,
                      AInfo.ExceptionMsg.empty() ? Vextor.LastErrMsg() : AInfo.ExceptionMsg);
  }
  if (NoMoreFilesToConvert && AInfo.TaskIndex < 0) ProgressBar1->setValue(0);
}

// ---- Stop and close ---------------------------------------------------------------------------

void TForm1::ButtonStopSmallClick() {
  ButtonStopConvertClick();
}

void TForm1::ButtonStopConvertClick() {
  if (ConversionRunning) {
    // The conversion waits while the question is open.
    Vextor.Pause();
    if (!Dialogs().AskConfirmation(MsgStopAllConversions)) {
      Vextor.Resume();
      return;
    }
    StopRequested = true;
  }
  NoMoreFilesToConvert = true;
  TimerConvertAgain->stop();
  // The stopped row's terminate notification arrives while this waits and marks it "Abort".
  Vextor.Stop(true);
  ProgressBar1->setValue(0);
  EnableControls();
  ConversionRunning = false;
}

bool TForm1::FormCloseQuery() const {
  return !ConversionRunning;
}

// ---- Locking the window during a batch --------------------------------------------------------

void TForm1::DisableControls() {
  SetControlsEnabled(false);
}

void TForm1::EnableControls() {
  SetControlsEnabled(true);
}

void TForm1::SetControlsEnabled(bool AEnabled) {
  QWidget* const controls[] = {
      ButtonAddFile,     ButtonClear,        ButtonRemove,      ButtonConvert,
      ComboOutputFormat, ComboVideoSize,     ComboVideoBitrate, ComboVideoFramerate,
      ComboAudioBitrate, ComboAudioChannels, ComboVideoCodec,   ComboSamplingRate,
      ComboAudioCodec,   ComboAspectRatio,   ComboLetterBox,    TrackBar1};
  for (QWidget* control : controls) control->setEnabled(AEnabled);
  ListView1->setContextMenuPolicy(AEnabled ? Qt::CustomContextMenu : Qt::NoContextMenu);
  // The menu bar keeps its entries' look; a disabled menu cannot be used.
  for (QMenu* menu : {File1, Options1, Help1}) menu->setEnabled(AEnabled);
}

// ---- The Status cell's reason -----------------------------------------------------------------

void TForm1::SetStatusReason(int ARow, const std::string& AReason) {
  if (QTableWidgetItem* item = ListView1->item(ARow, lcStatus))
    item->setToolTip(QString::fromStdString(AReason));
}

std::string TForm1::StatusReason(int ARow) const {
  const QTableWidgetItem* item = ListView1->item(ARow, lcStatus);
  return item ? item->toolTip().toStdString() : std::string();
}

// ---- The request of one list row --------------------------------------------------------------

TPresetSelections TForm1::CurrentSelections(int ARow) const {
  TPresetSelections selections;
  selections.ComboText = TextOf(ComboOutputFormat);
  selections.OutputCell = CellText(ARow, lcOutput);
  selections.VideoCodec = TextOf(ComboVideoCodec);
  selections.VideoSize = TextOf(ComboVideoSize);
  selections.VideoBitrate = TextOf(ComboVideoBitrate);
  selections.VideoFramerate = TextOf(ComboVideoFramerate);
  selections.VideoFramerateRow = ComboVideoFramerate->currentIndex();
  selections.AudioCodec = TextOf(ComboAudioCodec);
  selections.AudioBitrate = TextOf(ComboAudioBitrate);
  selections.SamplingRate = TextOf(ComboSamplingRate);
  selections.AudioChannels = TextOf(ComboAudioChannels);
  selections.AspectRatioRow = ComboAspectRatio->currentIndex();
  selections.VolumePosition = TrackBar1->value();
  return selections;
}

TBatchRowState TForm1::RowState() const {
  return {ListviewItem, ThisIsTheLastItem, NoMoreFilesToConvert, ConversionRunning};
}

void TForm1::SetRowState(const TBatchRowState& AState) {
  ListviewItem = AState.ListviewItem;
  ThisIsTheLastItem = AState.ThisIsTheLastItem;
  NoMoreFilesToConvert = AState.NoMoreFilesToConvert;
  ConversionRunning = AState.ConversionRunning;
}

void TForm1::ContinueWithNextRow() {
  ProgressBar1->setValue(0);
  TBatchRowState state = RowState();
  RowHandedBack(state);
  SetRowState(state);
  TimerConvertAgain->start();
}

void TForm1::FailRow(int ARow, TRowFailure AFailure, const std::string& AReason) {
  SetCellText(ARow, lcStatus, std::string(RowFailureStatus(AFailure)));
  SetStatusReason(ARow, AReason);
  ContinueWithNextRow();
}

void TForm1::ConvertListRow() {
  ProgressBar1->setValue(0);
  const std::string extension = OutputExtension(CurrentOutputFormat);
  TimerConvertAgain->stop();
  TBatchRowState state = RowState();
  const int row = AdvanceRow(state, RowCount());
  SetRowState(state);
  if (!RowChecked(row)) {
    ContinueWithNextRow();
    return;
  }
  SetStatusReason(row, std::string());

  const TPathFileName input = Trimmed(CellText(row, lcFileName));
  const bool overwrite = Form4 != nullptr && Form4->CheckBoxOverWrite->isChecked();
  const TPathFileName output =
      OutputPathOf(EditOutputFolder->text().toStdString(), input, extension, overwrite);

  Vextor.ClearTasks();
  TInputOptions inputOptions;
  inputOptions.FileName = input;
  const int task = Vextor.AddTask(input, &inputOptions);
  if (task < 0) {
    FailRow(row, rfAddTask, Vextor.LastErrMsg());
    return;
  }
  if (!FFDecoder.AVLibLoaded() && !FFDecoder.LoadAVLib(ProgramFolder())) {
    // The batch waits, with the window locked, until the user presses Stop.
    Dialogs().ShowInformation(std::string(cLibrariesMissingMessage));
    return;
  }
  TRowRequest request =
      BuildRowRequest(CurrentSelections(row), ProbeFactsOf(FFDecoder, input), input, output);
  if (request.Failure) {
    // The unused task goes now, so that no later Stop reports it as this row's end.
    Vextor.RemoveTask(task);
    FailRow(row, *request.Failure, request.FailureReason);
    return;
  }
  if (!Vextor.SetOutputFile(task, output, &request.Options)) {
    const std::string reason = Vextor.LastErrMsg();
    Vextor.RemoveTask(task);
    FailRow(row, rfSetOutputFile, reason);
    return;
  }
  state = RowState();
  RowStarting(state);
  SetRowState(state);
  TimerConvertAgain->start();
  try {
    Vextor.Start(1);
  } catch (const std::exception& e) {
    Vextor.Stop(true);
    SetStatusReason(row, e.what());
    ContinueWithNextRow();
  }
}
