// The main window on real widgets offscreen, with scripted dialogs and generated media.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <QProgressBar>
#include <QSlider>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <memory>

#include "../platform/TempConfigFolder.h"
#include "AboutBox.h"
#include "AppTexts.h"
#include "Fixtures.h"
#include "ScriptedDialogs.h"
#include "TestApplication.h"
#include "Unit1.h"

namespace {

const char* const MP4Format = "MP4 - MPEG4 Video (*.mp4)";

// Runs the action on the GUI thread at the next event processing (inside the add flow, between
// two files).
void Later(std::function<void()> AAction) {
  QMetaObject::invokeMethod(&TestApplication(), std::move(AAction), Qt::QueuedConnection);
}

class TMainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    SetMainThread();
    ConversionRunning = false;
    StopRequested = false;
    FForm = std::make_unique<TForm1>();
    ASSERT_TRUE(FForm->LibrariesLoaded());
  }
  void TearDown() override {
    FForm.reset();
    ConversionRunning = false;
  }

  TForm1& Form() { return *FForm; }

  // Adds the files through the add flow; the dialog chooses them.
  void AddFiles(const std::vector<TPathFileName>& AFiles) {
    FDialogs.FilesToOpen = AFiles;
    Form().ButtonAddFileClick();
  }
  std::vector<std::string> Row(int ARow) {
    std::vector<std::string> cells;
    for (int column = 0; column < ListColumnCount; ++column)
      cells.push_back(Form().CellText(ARow, static_cast<TListColumn>(column)));
    return cells;
  }

  TTempConfigFolder FConfig;  // the settings the window loads and saves stay in the test
  TScriptedDialogs FDialogs;
  std::unique_ptr<TForm1> FForm;
};

using TCells = std::vector<std::string>;

TEST_F(TMainWindowTest, StartsWithItsLayoutAndTexts) {
  EXPECT_EQ(Form().windowTitle(), "Vorandel");
  EXPECT_EQ(Form().centralWidget()->size(), QSize(789, 553));
  Form().show();
  EXPECT_EQ(Form().size(), Form().minimumSize());
  EXPECT_EQ(Form().size(), Form().maximumSize());
  EXPECT_EQ(Form().StatusPanelText(0), "Ready");
  EXPECT_EQ(Form().StatusPanelText(1), "");

  QTableWidget& list = *Form().ListView1;
  ASSERT_EQ(list.columnCount(), ListColumnCount);
  for (int column = 0; column < ListColumnCount; ++column) {
    EXPECT_EQ(list.horizontalHeaderItem(column)->text().toStdString(), ListColumns[column].Caption);
    EXPECT_EQ(list.columnWidth(column), ListColumns[column].Width);
  }
  EXPECT_EQ(list.selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_EQ(list.selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(list.editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_EQ(list.geometry(), QRect(8, 66, 772, 189));

  EXPECT_EQ(Form().ComboOutputFormat->count(), 32);
  EXPECT_EQ(Form().ComboAspectRatio->currentText(), "Original");
  EXPECT_EQ(Form().ComboAspectRatio->itemText(1), "4:3 (Standard");
  EXPECT_EQ(Form().ComboAspectRatio->count(), 3);
  EXPECT_EQ(Form().ComboLetterBox->currentText(), "None");
  EXPECT_EQ(Form().ComboLetterBox->count(), 2);
  EXPECT_EQ(Form().TrackBar1->value(), 5);
  EXPECT_EQ(Form().LabelVolume->text(), "100%");
  EXPECT_EQ(Form().ProgressBar1->maximum(), 100);
  EXPECT_FALSE(Form().TimerConvertAgain->isActive());
  EXPECT_EQ(Form().TimerConvertAgain->interval(), 100);

  // The three hidden controls exist beyond the right edge of the client area.
  const QRect client = Form().centralWidget()->rect();
  for (QWidget* hidden :
       {static_cast<QWidget*>(Form().ButtonStopConvert), static_cast<QWidget*>(Form().ButtonClear),
        static_cast<QWidget*>(Form().GroupBox3)}) {
    EXPECT_FALSE(client.intersects(hidden->geometry()));
    EXPECT_TRUE(hidden->isEnabled());
  }
  // Every visible control lies inside the client area.
  for (QWidget* shown : std::initializer_list<QWidget*>{
           Form().ButtonAddFile, Form().ButtonRemove, Form().ButtonConvert, Form().EditOutputFolder,
           Form().ButtonBrowseForFolder, Form().ComboOutputFormat, Form().GroupBox1,
           Form().GroupBox2, Form().ProgressBar1, Form().ButtonStopSmall, Form().StatusBar1})
    EXPECT_TRUE(client.contains(shown->geometry())) << shown->metaObject()->className();
  EXPECT_EQ(Form().ButtonAddFile->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
  EXPECT_TRUE(Form().ButtonAddFile->autoRaise());
  EXPECT_EQ(Form().ButtonAddFile->toolTip(), "Add Files to Convert");
  EXPECT_EQ(Form().ButtonConvert->text(), "Convert Now !");
  EXPECT_TRUE(Form().EditOutputFolder->isReadOnly());
}

TEST_F(TMainWindowTest, MenusCarryTheirEntriesEnabled) {
  const auto texts = [](QMenu* AMenu) {
    std::vector<std::string> entries;
    for (QAction* action : AMenu->actions()) {
      entries.push_back(action->isSeparator() ? "-" : action->text().toStdString());
      EXPECT_TRUE(action->isEnabled());
    }
    return entries;
  };
  std::vector<std::string> top;
  for (QAction* action : Form().menuBar()->actions()) top.push_back(action->text().toStdString());
  EXPECT_EQ(top, (TCells{"File", "Options", "Help"}));
  EXPECT_EQ(texts(Form().File1), (TCells{"Add Files", "-", "Convert", "-", "Exit"}));
  EXPECT_EQ(texts(Form().Options1), (TCells{"Set Additional Options"}));
  EXPECT_EQ(texts(Form().Help1), (TCells{"Open Help File", "-", "Visit Ombrix Website", "About"}));
  EXPECT_EQ(texts(Form().PopupListView1), (TCells{"Check All Items", "Uncheck All Items", "-",
                                                  "Remove Selected Item", "Clear All Items"}));
  EXPECT_EQ(Form().ListView1->contextMenuPolicy(), Qt::CustomContextMenu);
}

TEST_F(TMainWindowTest, AddFilesProbesEveryChosenFileIntoACheckedRow) {
  Form().ComboOutputFormat->setCurrentIndex(Form().ComboOutputFormat->findText(MP4Format));
  const TPathFileName avi = FixturePath(fxAviMpeg4Mp3);
  const TPathFileName bad = FixturePath(fxTextAsRm);
  const TPathFileName mp4 = FixturePath(fxMp4H264Aac);
  Form().AddFiles1->trigger();
  EXPECT_EQ(FDialogs.OpenRequests.size(), 1u);  // cancelled: nothing added
  AddFiles({avi, bad, mp4});

  ASSERT_EQ(FDialogs.OpenRequests.size(), 2u);
  const TOpenDialogRequest& request = FDialogs.OpenRequests.back();
  EXPECT_TRUE(request.AllowMultiSelect);
  EXPECT_TRUE(request.FileMustExist);
  EXPECT_EQ(request.FilterIndex, 0);
  ASSERT_EQ(request.Filters.size(), 2u);
  EXPECT_EQ(request.Filters[1].Description, "Any video and audio files");

  ASSERT_EQ(Form().RowCount(), 3);
  EXPECT_EQ(Row(0), (TCells{avi, "160x120", "25", "00:00:02", "MP4", "", ""}));
  EXPECT_EQ(Row(1), (TCells{bad, "", "", "", "", "Error", ""}));
  EXPECT_EQ(Row(2), (TCells{mp4, "160x120", "29.97002997003", "00:00:02", "MP4", "", ""}));
  for (int row = 0; row < 3; ++row) EXPECT_TRUE(Form().RowChecked(row));
  EXPECT_FALSE(Form().AddFileInProgress);
}

TEST_F(TMainWindowTest, AudioOnlyAndUnknownDurationRows) {
  AddFiles({FixturePath(fxWav), FixturePath(fxUnknownDuration)});
  ASSERT_EQ(Form().RowCount(), 2);
  // No video stream: the unset record; the first output format is selected at start-up.
  EXPECT_EQ(Row(0), (TCells{FixturePath(fxWav), "-1x-1", "1", "00:00:01", "AVI", "", ""}));
  EXPECT_EQ(Row(1), (TCells{FixturePath(fxUnknownDuration), "160x120", "25", "", "AVI", "", ""}));
}

TEST_F(TMainWindowTest, AddFilesEmptiesStatusAndFramesFirstEvenWhenCancelled) {
  AddFiles({FixturePath(fxTextAsRm)});
  Form().SetCellText(0, lcFrames, "120");
  AddFiles({});
  EXPECT_EQ(FDialogs.OpenRequests.size(), 2u);
  EXPECT_EQ(Row(0), (TCells{FixturePath(fxTextAsRm), "", "", "", "", "", ""}));
  EXPECT_EQ(Form().RowCount(), 1);
}

TEST_F(TMainWindowTest, AddFilesDuringABatchDoesNothingAtAll) {
  AddFiles({FixturePath(fxTextAsRm)});
  ConversionRunning = true;
  AddFiles({FixturePath(fxWav)});
  EXPECT_EQ(FDialogs.OpenRequests.size(), 1u);
  EXPECT_EQ(Form().RowCount(), 1);
  EXPECT_EQ(Form().CellText(0, lcStatus), "Error");
  EXPECT_FALSE(Form().AddFileInProgress);
}

TEST_F(TMainWindowTest, CommandsBetweenProbedFilesAreGuarded) {
  AddFiles({FixturePath(fxTextAsRm)});
  Form().ListView1->selectRow(0);
  bool guardSeen = false;
  // Runs between the first and the second file of the second add.
  FDialogs.OnOpenFiles = [&] {
    FDialogs.OnOpenFiles = nullptr;
    Later([&] {
      guardSeen = Form().AddFileInProgress;
      Form().ButtonAddFile->click();
      Form().AddFiles1->trigger();
      Form().ButtonRemove->click();
      Form().DeleteSelectedItem1->trigger();
      Form().ClearAllItems1->trigger();
      Form().ButtonClear->click();
      Form().UncheckAllItems1->trigger();  // never guarded
    });
  };
  AddFiles({FixturePath(fxWav), FixturePath(fxAviMpeg4Mp3)});
  EXPECT_TRUE(guardSeen);
  EXPECT_EQ(FDialogs.OpenRequests.size(), 2u);  // no second dialog
  ASSERT_EQ(Form().RowCount(), 3);              // nothing removed, the running add completed
  EXPECT_EQ(Form().CellText(2, lcVideoSize), "160x120");
  EXPECT_FALSE(Form().RowChecked(0));
  EXPECT_FALSE(Form().RowChecked(1));
  EXPECT_TRUE(Form().RowChecked(2));  // appended after the uncheck
  EXPECT_FALSE(Form().AddFileInProgress);
}

TEST_F(TMainWindowTest, AProbeErrorEndsTheFlowQuietlyKeepingItsRows) {
  FDialogs.OnOpenFiles = [&] { Later([] { FFLoader().Unload(avCodec); }); };
  AddFiles({FixturePath(fxWav), FixturePath(fxAviMpeg4Mp3), FixturePath(fxMp3)});
  const bool reloaded = FFLoader().Load(TLibraries::All());
  EXPECT_EQ(Form().RowCount(), 1);  // the second LoadFile raised: no row for it or after it
  EXPECT_FALSE(Form().AddFileInProgress);
  EXPECT_TRUE(FDialogs.Informations.empty());
  ASSERT_TRUE(reloaded);
}

TEST_F(TMainWindowTest, ExitWhileProbingEndsTheFlowAfterTheCurrentFile) {
  FDialogs.OnOpenFiles = [&] { Later([&] { Form().Exit1->trigger(); }); };
  // The flow runs inside the event loop, as it does in the program.
  Later([&] { AddFiles({FixturePath(fxWav), FixturePath(fxAviMpeg4Mp3), FixturePath(fxMp3)}); });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_EQ(Form().RowCount(), 1);
  EXPECT_FALSE(Form().AddFileInProgress);
}

TEST_F(TMainWindowTest, RemoveClearCheckAndUncheck) {
  AddFiles({FixturePath(fxTextAsRm), FixturePath(fxEmpty), FixturePath(fxWav)});
  ASSERT_EQ(Form().RowCount(), 3);
  Form().ButtonRemove->click();  // no selection
  EXPECT_EQ(Form().RowCount(), 3);
  Form().ListView1->selectRow(1);
  Form().DeleteSelectedItem1->trigger();
  ASSERT_EQ(Form().RowCount(), 2);
  EXPECT_EQ(Form().CellText(0, lcFileName), FixturePath(fxTextAsRm));
  EXPECT_EQ(Form().CellText(1, lcFileName), FixturePath(fxWav));

  Form().UncheckAllItems1->trigger();
  EXPECT_FALSE(Form().RowChecked(0));
  EXPECT_FALSE(Form().RowChecked(1));
  Form().CheckAllItems1->trigger();
  EXPECT_TRUE(Form().RowChecked(0));
  EXPECT_TRUE(Form().RowChecked(1));

  ConversionRunning = true;
  Form().ClearAllItems1->trigger();
  EXPECT_EQ(Form().RowCount(), 2);
  ConversionRunning = false;
  Form().ClearAllItems1->trigger();
  EXPECT_EQ(Form().RowCount(), 0);
}

TEST_F(TMainWindowTest, BrowseSetsTheOutputFolderAndRemembersIt) {
  Form().ButtonBrowseForFolder->click();  // cancelled
  ASSERT_EQ(FDialogs.BrowseRequests.size(), 1u);
  EXPECT_EQ(FDialogs.BrowseRequests[0].Headline, "Choose the required output directory below :");
  EXPECT_EQ(FDialogs.BrowseRequests[0].FolderName, "Select Output Directory");
  EXPECT_EQ(Form().EditOutputFolder->text(), "");

  FDialogs.FolderToChoose = "/tmp/vorandel out";
  Form().ButtonBrowseForFolderClick();
  EXPECT_EQ(Form().EditOutputFolder->text(), "/tmp/vorandel out");
  FDialogs.FolderToChoose = "";
  Form().ButtonBrowseForFolderClick();
  ASSERT_EQ(FDialogs.BrowseRequests.size(), 3u);
  EXPECT_EQ(FDialogs.BrowseRequests[2].FolderName, "/tmp/vorandel out");
  EXPECT_EQ(Form().EditOutputFolder->text(), "/tmp/vorandel out");

  ConversionRunning = true;
  Form().ButtonBrowseForFolderClick();
  EXPECT_EQ(FDialogs.BrowseRequests.size(), 3u);
}

TEST_F(TMainWindowTest, HelpFileAndWebSiteOpenThroughTheShell) {
  Form().OpenHelpFile1->trigger();
  Form().VisitOmbrixWebsite1->trigger();
  EXPECT_EQ(FDialogs.ShellOpened, (TCells{ProgramFolder() + "help.chm", MakerWebSite}));
}

TEST_F(TMainWindowTest, AboutShowsTheProgramModally) {
  bool shown = false;
  QTimer::singleShot(0, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    shown = modal == Form().AboutBox;
    if (modal) modal->close();
  });
  Form().About1->trigger();
  EXPECT_TRUE(shown);
  EXPECT_NE(Form().AboutBox->findChild<QLabel*>("LabelProgramName")->text().indexOf("Vorandel"),
            -1);
}

TEST_F(TMainWindowTest, ExitEndsTheLoopWithoutClosingTheWindow) {
  struct TCloseCounter : QObject {
    int Closes = 0;
    bool eventFilter(QObject*, QEvent* AEvent) override {
      if (AEvent->type() == QEvent::Close) ++Closes;
      return false;
    }
  } counter;
  Form().installEventFilter(&counter);
  Form().show();
  Later([&] { Form().Exit1->trigger(); });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_EQ(counter.Closes, 0);
  EXPECT_TRUE(Form().isVisible());
  Form().removeEventFilter(&counter);
}

TEST(MainWindowStart, MissingLibrariesShowTheMessageAndEndTheProgram) {
  TestApplication();
  TScriptedDialogs dialogs;
  TForm1 form([](TFFEncoder&) { return false; });
  EXPECT_FALSE(form.LibrariesLoaded());
  EXPECT_EQ(dialogs.Informations,
            (TCells{"Some files are missing. Please re-install this software"}));
  EXPECT_NE(form.windowTitle(), "Vorandel");  // the remaining start-up steps were skipped
  // The request to end is already queued: the event loop ends at once with a failure.
  QTimer safetyNet;  // ends a loop that nothing else would end
  safetyNet.callOnTimeout([] { QCoreApplication::exit(99); });
  safetyNet.start(60000);
  EXPECT_EQ(QApplication::exec(), EXIT_FAILURE);
}

}  // namespace
