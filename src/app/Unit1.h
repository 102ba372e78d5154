// TForm1: the main window with its file list, output settings, menus and the add-files flow.
#pragma once

#include <QMainWindow>
#include <cstdint>
#include <string>

#include "AppLibraries.h"
#include "FFDecode.h"
#include "FFEncode.h"
#include "FileListRules.h"
#include "PresetRequest.h"
#include "RowCursor.h"
#include "RowStatus.h"
#include "SettingChoices.h"

class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QSlider;
class QStatusBar;
class QTableWidget;
class QTimer;
class QToolButton;
class TAboutBox;
class TForm4;

// Batch state shared by the window and the batch controller.
extern bool ConversionRunning;  // a list row's conversion is being started or is running
extern bool StopRequested;      // the user confirmed stopping the batch

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  // Builds the window and runs its start-up; ALoadLibraries loads the FFmpeg libraries.
  explicit TForm1(TLibraryLoad ALoadLibraries = LoadAVLib, QWidget* AParent = nullptr);
  ~TForm1() override;

  // False when the libraries could not be loaded: the message was shown, the application was
  // asked to end and the window must not be shown.
  bool LibrariesLoaded() const { return FLibrariesLoaded; }

  // Commands of the window.
  void ButtonAddFileClick();
  // Shows the open dialog and appends one probed row per chosen file.
  void AddFilesToList();
  void DeleteSelectedItem1Click();
  void ClearAllItems1Click();
  void CheckAllItems1Click();
  void UncheckAllItems1Click();
  void ButtonBrowseForFolderClick();
  void OpenHelpFile1Click();
  void VisitOmbrixWebsite1Click();
  void About1Click();
  void Exit1Click();

  // The file list in plain texts; rows from 0.
  int RowCount() const;
  std::string CellText(int ARow, TListColumn AColumn) const;
  void SetCellText(int ARow, TListColumn AColumn, const std::string& AText);
  bool RowChecked(int ARow) const;
  void SetRowChecked(int ARow, bool AChecked);
  // Scrolls the list so that the row is at least partly visible.
  void ScrollRowVisible(int ARow);
  // The status bar's panels, from 0.
  std::string StatusPanelText(int APanel) const;
  void SetStatusPanelText(int APanel, const std::string& AText);

  // Window-level state.
  bool AddFileInProgress = false;
  int ListviewItem = -1;
  bool ThisIsTheLastItem = false;
  bool NoMoreFilesToConvert = false;
  std::string CurrentOutputFormat;

  TFFDecoder FFDecoder;

  // ---- Batch conversion controller (Unit1Batch.cpp) ----
  // "Convert Now !" and File > Convert: checks the list and the output folder, locks the window
  // and starts the first row.
  void ButtonConvertClick();
  // Each tick: the next row, or the end of the batch once the last row was handled.
  void TimerConvertAgainTimer();
  // The encoder's events, on the GUI thread, for the row at ListviewItem.
  void VextorProgress(TObject* Sender, PProgressInfo AInfo);
  void VextorTerminate(TObject* Sender, const TTerminateInfo& AInfo);
  // "Stop": during a conversion asks first; ends the batch.
  void ButtonStopSmallClick();
  void ButtonStopConvertClick();
  // Moves to the next row and starts its conversion, or skips it, or marks it failed.
  void ConvertListRow();
  // The window may close only while no row converts.
  bool FormCloseQuery() const;
  void DisableControls();
  void EnableControls();
  // The Status cell's tooltip: why the row failed (empty: none).
  void SetStatusReason(int ARow, const std::string& AReason);
  std::string StatusReason(int ARow) const;

  // The encoder component; it loads the libraries at start-up.
  TFFEncoder Vextor;
  // ---- end of the batch conversion controller ----

  // ---- Output settings (Unit1Settings.cpp) ----
  // Fills the Output Format list with the catalogue, separators included, and selects its
  // first row.
  void FillOutputFormatList();
  // The user chose a row of the Output Format list (also run once at the first showing): a
  // separator is refused, a preset fills the setting lists and every row's Output cell.
  void ComboOutputFormatChange();
  // The Output Format list is about to open.
  void ComboOutputFormatDropDown();
  // Applies a preset's lists to the setting lists; kept lists stay as they are.
  void FillSettingChoices(const TSettingChoices& AChoices);
  // The user picked a video codec, a frame rate, or moved the volume track bar.
  void ComboVideoCodecChange();
  void ComboVideoFramerateChange();
  void TrackBar1Change();
  // Options > Set Additional Options: shows the dialog without waiting for it.
  void SetAdditionalOptions1Click();

  std::int32_t LastFormatIndex = 0;  // list position of the output format last accepted
  std::int32_t VolumeLevel = 255;    // the engine's audio volume chosen with the track bar
  // The Additional Options dialog; created after the window's own start-up, none when the
  // libraries could not be loaded.
  TForm4* Form4 = nullptr;

  // Controls.
  QToolButton* ButtonAddFile;
  QToolButton* ButtonRemove;
  QToolButton* ButtonConvert;
  QFrame* Panel1;
  QLabel* Label1;
  QLineEdit* EditOutputFolder;
  QToolButton* ButtonBrowseForFolder;
  QTableWidget* ListView1;
  QLabel* Label2;
  QComboBox* ComboOutputFormat;
  QGroupBox* GroupBox1;
  QComboBox* ComboVideoCodec;
  QComboBox* ComboVideoSize;
  QComboBox* ComboVideoBitrate;
  QComboBox* ComboVideoFramerate;
  QGroupBox* GroupBox2;
  QComboBox* ComboAudioCodec;
  QComboBox* ComboAudioBitrate;
  QComboBox* ComboSamplingRate;
  QComboBox* ComboAudioChannels;
  QProgressBar* ProgressBar1;
  QToolButton* ButtonStopSmall;
  QStatusBar* StatusBar1;
  // Placed outside the client area: never seen, still enabled and disabled with the others.
  QToolButton* ButtonStopConvert;
  QToolButton* ButtonClear;
  QGroupBox* GroupBox3;
  QComboBox* ComboLetterBox;
  QComboBox* ComboAspectRatio;
  QSlider* TrackBar1;
  QLabel* LabelVolume;

  // Menus: the main menu's three entries and their items, and the list's context menu.
  QMenu* File1;
  QAction* AddFiles1;
  QAction* Convert1;
  QAction* Exit1;
  QMenu* Options1;
  QAction* SetAdditionalOptions1;
  QMenu* Help1;
  QAction* OpenHelpFile1;
  QAction* VisitOmbrixWebsite1;
  QAction* About1;
  QMenu* PopupListView1;
  QAction* CheckAllItems1;
  QAction* UncheckAllItems1;
  QAction* DeleteSelectedItem1;
  QAction* ClearAllItems1;

  QTimer* TimerConvertAgain;  // 100 ms, drives the batch from row to row
  TAboutBox* AboutBox;

 protected:
  void showEvent(QShowEvent* AEvent) override;
  void closeEvent(QCloseEvent* AEvent) override;

 private:
  void CreateControls();
  void CreateSettingGroups(QWidget* AClient);
  void CreateFileList(QWidget* AClient);
  void CreateMenus();
  void FormCreate(const TLibraryLoad& ALoadLibraries);
  // Probes the file and appends its checked row.
  void AppendProbedRow(const TPathFileName& AFileName);
  int AppendRow(const TPathFileName& AFileName);
  // Output settings (Unit1Settings.cpp).
  void ConnectOutputSettings();
  // First showing: the selected output format takes effect.
  void FormShow();
  // The window closes: the settings are saved.
  void FormClose();
  // ---- Batch conversion controller, its internals (Unit1Batch.cpp) ----
  void ConnectBatchController();
  void SetControlsEnabled(bool AEnabled);
  // The selections of the setting lists for the row.
  TPresetSelections CurrentSelections(int ARow) const;
  // A row that is skipped or failed hands the batch back to the timer.
  void ContinueWithNextRow();
  // The batch fields as the row walk reads and writes them.
  TBatchRowState RowState() const;
  void SetRowState(const TBatchRowState& AState);
  void FailRow(int ARow, TRowFailure AFailure, const std::string& AReason);
  // ---- end of the batch conversion controller ----

  bool FLibrariesLoaded = false;
  bool FShown = false;
  bool FExitRequested = false;
  TPathFileName FHelpFile;
  TPathFileName FBrowseFolderName;
  QLabel* FStatusPanels[3];
};
