// TForm1: the main window with its file list, output settings, menus and the add-files flow.
#include "Unit1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <exception>

#include "AboutBox.h"
#include "AppTexts.h"
#include "ComboRows.h"
#include "Dialogs.h"
#include "DropDownComboBox.h"
#include "Glyphs.h"
#include "OpenDialogFilter.h"
#include "ProbeText.h"
#include "UIFont.h"
#include "Unit4.h"
#include "VolumeSteps.h"
#include "uVista.h"

bool ConversionRunning = false;
bool StopRequested = false;

namespace {

constexpr int ClientWidth = 789;
constexpr int ClientHeight = 553;
constexpr int HintHidePause = 30000;  // ms
constexpr int OutputFormatDropDownCount = 26;
constexpr int StatusPanelWidths[3] = {150, 300, 50};

QString ToQ(const std::string& AText) {
  return QString::fromStdString(AText);
}

// Sets a flag for its lifetime, so that it is cleared on every way out.
class TFlagScope {
 public:
  explicit TFlagScope(bool& AFlag) : FFlag(AFlag) { FFlag = true; }
  ~TFlagScope() { FFlag = false; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& FFlag;
};

QToolButton* MakeSpeedButton(QWidget* AParent, const QString& AText, const QString& AHint,
                             TGlyph AGlyph, QRect AGeometry, bool AFlat) {
  auto* button = new QToolButton(AParent);
  button->setText(AText);
  button->setIcon(MakeGlyph(AGlyph));
  button->setIconSize(QSize(24, 24));
  button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  button->setAutoRaise(AFlat);
  button->setGeometry(AGeometry);
  if (!AHint.isEmpty()) {
    button->setToolTip(AHint);
    button->setToolTipDuration(HintHidePause);
  }
  return button;
}

QLabel* MakeLabel(QWidget* AParent, const QString& AText, QPoint APlace) {
  auto* label = new QLabel(AText, AParent);
  label->move(APlace);
  label->adjustSize();
  return label;
}

QComboBox* MakeCombo(QWidget* AParent, const char* AName) {
  auto* combo = new QComboBox(AParent);
  combo->setObjectName(QString::fromUtf8(AName));
  return combo;
}

}  // namespace

TForm1::TForm1(TLibraryLoad ALoadLibraries, QWidget* AParent)
    : QMainWindow(AParent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                               Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      FFDecoder(nullptr),
      Vextor(nullptr),
      FBrowseFolderName(BrowseInitialFolder) {
  CreateControls();
  FormCreate(ALoadLibraries);
  // The Additional Options dialog follows the window's start-up and loads the settings into
  // both; without the libraries the program ends at once and loads nothing.
  if (FLibrariesLoaded) Form4 = new TForm4(*this);
}

TForm1::~TForm1() = default;

void TForm1::CreateControls() {
  auto* client = new QWidget(this);
  client->setFixedSize(ClientWidth, ClientHeight);
  client->setFont(ControlFont());
  setCentralWidget(client);

  ButtonAddFile = MakeSpeedButton(client, "Add Files", "Add Files to Convert", glAddFiles,
                                  QRect(8, 8, 107, 52), true);
  ButtonRemove = MakeSpeedButton(client, "Remove", "Remove A Single File From List", glRemove,
                                 QRect(117, 8, 108, 52), true);
  ButtonConvert = MakeSpeedButton(client, "Convert Now !", "Start Conversion", glConvert,
                                  QRect(227, 8, 130, 52), true);
  Panel1 = new QFrame(client);
  Panel1->setFrameShape(QFrame::VLine);
  Panel1->setFrameShadow(QFrame::Sunken);
  Panel1->setGeometry(364, 8, 2, 52);

  Label1 = MakeLabel(client, "Output Directory : ", QPoint(473, 12));
  EditOutputFolder = new QLineEdit(client);
  EditOutputFolder->setReadOnly(true);
  EditOutputFolder->setGeometry(473, 30, 240, 24);
  ButtonBrowseForFolder = MakeSpeedButton(client, QString(), "Browse For Folder", glBrowse,
                                          QRect(719, 27, 40, 28), false);
  ButtonBrowseForFolder->setToolButtonStyle(Qt::ToolButtonIconOnly);
  ButtonBrowseForFolder->setIconSize(QSize(20, 20));

  CreateFileList(client);

  Label2 = MakeLabel(client, "Output Format : ", QPoint(154, 273));
  auto* outputFormat = new TDropDownComboBox(client);
  outputFormat->setObjectName("ComboOutputFormat");
  outputFormat->OnDropDown = [this] { ComboOutputFormatDropDown(); };
  ComboOutputFormat = outputFormat;
  ComboOutputFormat->setGeometry(261, 270, 300, 24);

  CreateSettingGroups(client);

  ProgressBar1 = new QProgressBar(client);
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);
  ProgressBar1->setGeometry(14, 488, 631, 25);
  ButtonStopSmall =
      MakeSpeedButton(client, "Stop", QString(), glStop, QRect(667, 472, 110, 49), false);

  StatusBar1 = new QStatusBar(client);
  StatusBar1->setSizeGripEnabled(false);
  for (int i = 0; i < 3; ++i) {
    FStatusPanels[i] = new QLabel(StatusBar1);
    FStatusPanels[i]->setFixedWidth(StatusPanelWidths[i]);
    StatusBar1->addWidget(FStatusPanels[i]);
  }
  FStatusPanels[0]->setText("Ready");
  const int statusHeight = StatusBar1->sizeHint().height();
  StatusBar1->setGeometry(0, ClientHeight - statusHeight, ClientWidth, statusHeight);

  ButtonStopConvert = MakeSpeedButton(client, "Stop Convert", "Stop Conversion", glStop,
                                      QRect(819, 66, 110, 52), true);
  ButtonClear = MakeSpeedButton(client, "Clear All ", "Clear All Files Listed", glClear,
                                QRect(819, 129, 110, 52), true);

  TimerConvertAgain = new QTimer(this);
  TimerConvertAgain->setInterval(100);
  AboutBox = new TAboutBox(this);

  CreateMenus();
  ConnectOutputSettings();
  ConnectBatchController();
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TForm1::CreateFileList(QWidget* AClient) {
  ListView1 = new QTableWidget(0, ListColumnCount, AClient);
  ListView1->setGeometry(8, 66, 772, 189);
  ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
  ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListView1->setShowGrid(true);
  ListView1->setWordWrap(false);
  ListView1->verticalHeader()->hide();
  ListView1->verticalHeader()->setMinimumSectionSize(1);
  ListView1->verticalHeader()->setDefaultSectionSize(ListView1->fontMetrics().height() + 4);
  QHeaderView* header = ListView1->horizontalHeader();
  header->setHighlightSections(false);
  header->setStretchLastSection(false);
  for (int column = 0; column < ListColumnCount; ++column) {
    const TListColumnDef& def = ListColumns[column];
    auto* item = new QTableWidgetItem(QString::fromUtf8(def.Caption));
    item->setTextAlignment(def.Alignment == caLeft ? Qt::AlignLeft | Qt::AlignVCenter
                                                   : Qt::AlignCenter);
    ListView1->setHorizontalHeaderItem(column, item);
    ListView1->setColumnWidth(column, def.Width);
  }
}

void TForm1::CreateSettingGroups(QWidget* AClient) {
  GroupBox1 = new QGroupBox(" Video Settings ", AClient);
  GroupBox1->setGeometry(14, 310, 763, 85);
  auto* video = new QGridLayout(GroupBox1);
  video->setContentsMargins(10, 4, 10, 6);
  video->setVerticalSpacing(2);
  ComboVideoCodec = MakeCombo(GroupBox1, "ComboVideoCodec");
  ComboVideoSize = MakeCombo(GroupBox1, "ComboVideoSize");
  ComboVideoBitrate = MakeCombo(GroupBox1, "ComboVideoBitrate");
  ComboVideoFramerate = MakeCombo(GroupBox1, "ComboVideoFramerate");
  const std::pair<const char*, QComboBox*> videoPairs[] = {{"Video Codec :", ComboVideoCodec},
                                                           {"Video Size :", ComboVideoSize},
                                                           {"Video Bitrate :", ComboVideoBitrate},
                                                           {"Frame Rate :", ComboVideoFramerate}};
  for (int i = 0; i < 4; ++i) {
    video->addWidget(new QLabel(videoPairs[i].first, GroupBox1), 0, i);
    video->addWidget(videoPairs[i].second, 1, i);
    video->setColumnStretch(i, 1);
  }

  GroupBox2 = new QGroupBox(" Audio Settings ", AClient);
  GroupBox2->setGeometry(14, 407, 763, 52);
  auto* audio = new QGridLayout(GroupBox2);
  audio->setContentsMargins(10, 2, 10, 4);
  ComboAudioCodec = MakeCombo(GroupBox2, "ComboAudioCodec");
  ComboAudioBitrate = MakeCombo(GroupBox2, "ComboAudioBitrate");
  ComboSamplingRate = MakeCombo(GroupBox2, "ComboSamplingRate");
  ComboAudioChannels = MakeCombo(GroupBox2, "ComboAudioChannels");
  const std::pair<const char*, QComboBox*> audioPairs[] = {{"Codec :", ComboAudioCodec},
                                                           {"Bitrate :", ComboAudioBitrate},
                                                           {"Sampling :", ComboSamplingRate},
                                                           {"Channels :", ComboAudioChannels}};
  for (int i = 0; i < 4; ++i) {
    audio->addWidget(new QLabel(audioPairs[i].first, GroupBox2), 0, 2 * i);
    audio->addWidget(audioPairs[i].second, 0, 2 * i + 1);
    audio->setColumnStretch(2 * i + 1, 1);
  }
  // The lists the window starts with; an output format replaces them when it is chosen.
  SetComboRows(*ComboAudioBitrate, InitialAudioBitrateRows, -1);
  SetComboRows(*ComboSamplingRate, InitialSamplingRateRows, -1);
  SetComboRows(*ComboAudioChannels, AudioChannelRows, -1);

  GroupBox3 = new QGroupBox(" General Settings ", AClient);
  GroupBox3->setGeometry(882, 262, 250, 140);
  MakeLabel(GroupBox3, "Video Zoom : ", QPoint(10, 26));
  ComboLetterBox = MakeCombo(GroupBox3, "ComboLetterBox");
  ComboLetterBox->setGeometry(110, 22, 130, 24);
  ComboLetterBox->setToolTip("Add a letterbox to keep video aspect ratio");
  ComboLetterBox->setToolTipDuration(HintHidePause);
  MakeLabel(GroupBox3, "Aspect Ratio : ", QPoint(10, 60));
  ComboAspectRatio = MakeCombo(GroupBox3, "ComboAspectRatio");
  ComboAspectRatio->setGeometry(110, 56, 130, 24);
  MakeLabel(GroupBox3, "Volume : ", QPoint(10, 96));
  TrackBar1 = new QSlider(Qt::Horizontal, GroupBox3);
  TrackBar1->setRange(0, 10);
  TrackBar1->setGeometry(80, 92, 110, 24);
  TrackBar1->setToolTip("100% is the original video volume");
  TrackBar1->setToolTipDuration(HintHidePause);
  LabelVolume = MakeLabel(GroupBox3, "100%", QPoint(200, 96));
}

void TForm1::CreateMenus() {
  File1 = menuBar()->addMenu("File");
  AddFiles1 = File1->addAction("Add Files", this, &TForm1::ButtonAddFileClick);
  File1->addSeparator();
  Convert1 = File1->addAction("Convert");
  File1->addSeparator();
  Exit1 = File1->addAction("Exit", this, &TForm1::Exit1Click);
  Options1 = menuBar()->addMenu("Options");
  SetAdditionalOptions1 = Options1->addAction("Set Additional Options");
  Help1 = menuBar()->addMenu("Help");
  OpenHelpFile1 = Help1->addAction("Open Help File", this, &TForm1::OpenHelpFile1Click);
  Help1->addSeparator();
  VisitOmbrixWebsite1 =
      Help1->addAction("Visit Ombrix Website", this, &TForm1::VisitOmbrixWebsite1Click);
  About1 = Help1->addAction("About", this, &TForm1::About1Click);

  PopupListView1 = new QMenu(this);
  CheckAllItems1 = PopupListView1->addAction("Check All Items", this, &TForm1::CheckAllItems1Click);
  UncheckAllItems1 =
      PopupListView1->addAction("Uncheck All Items", this, &TForm1::UncheckAllItems1Click);
  PopupListView1->addSeparator();
  DeleteSelectedItem1 =
      PopupListView1->addAction("Remove Selected Item", this, &TForm1::DeleteSelectedItem1Click);
  ClearAllItems1 = PopupListView1->addAction("Clear All Items", this, &TForm1::ClearAllItems1Click);
  ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& APlace) {
    PopupListView1->popup(ListView1->viewport()->mapToGlobal(APlace));
  });

  connect(ButtonAddFile, &QToolButton::clicked, this, &TForm1::ButtonAddFileClick);
  connect(ButtonRemove, &QToolButton::clicked, this, &TForm1::DeleteSelectedItem1Click);
  connect(ButtonClear, &QToolButton::clicked, this, &TForm1::ClearAllItems1Click);
  connect(ButtonBrowseForFolder, &QToolButton::clicked, this, &TForm1::ButtonBrowseForFolderClick);
}

void TForm1::FormCreate(const TLibraryLoad& ALoadLibraries) {
  const QFont menuFont = ControlFont();
  QApplication::setFont(menuFont, "QMenuBar");
  QApplication::setFont(menuFont, "QMenu");
  menuBar()->setFont(menuFont);
  if (IsWindowsVistaOrLater()) ApplySegoeUIFont(*this, QFontDatabase::families());
  if (!ALoadLibraries(Vextor)) {
    Dialogs().ShowInformation(MsgLibrariesMissing);
    // Ends the event loop as soon as it runs; the caller does not show the window.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(EXIT_FAILURE); });
    return;
  }
  FLibrariesLoaded = true;
  setWindowTitle(ApplicationTitle);
  FHelpFile = ProgramFolder() + HelpFileName;
  TrackBar1->setValue(cVolumeStartPosition);
  TrackBar1Change();
  FillOutputFormatList();
  ComboOutputFormat->setMaxVisibleItems(OutputFormatDropDownCount);
  SetComboRows(*ComboAspectRatio, AspectRatioRows, 0);
  SetComboRows(*ComboLetterBox, LetterBoxRows, 0);
  TimerConvertAgain->stop();
}

void TForm1::showEvent(QShowEvent* AEvent) {
  QMainWindow::showEvent(AEvent);
  if (FShown) return;
  FShown = true;
  if (const QScreen* screen = this->screen())
    move(screen->availableGeometry().center() - frameGeometry().center() + pos());
  FormShow();
}

void TForm1::closeEvent(QCloseEvent* AEvent) {
  if (!FormCloseQuery()) {
    AEvent->ignore();
    return;
  }
  QMainWindow::closeEvent(AEvent);
  if (AEvent->isAccepted()) FormClose();
}

// ---- Commands --------------------------------------------------------------------------------

void TForm1::ButtonAddFileClick() {
  if (ConversionRunning || AddFileInProgress) return;
  for (int row = 0; row < RowCount(); ++row) {
    SetCellText(row, lcStatus, std::string());
    SetCellText(row, lcFrames, std::string());
  }
  TFlagScope inProgress(AddFileInProgress);
  AddFilesToList();
}

void TForm1::AddFilesToList() {
  TOpenDialogRequest request;
  request.Filters = AddFilesFilters();
  request.FilterIndex = 0;
  request.AllowMultiSelect = true;
  request.FileMustExist = true;
  std::vector<TPathFileName> files;
  if (!Dialogs().OpenFiles(request, files)) return;
  try {
    for (const TPathFileName& file : files) {
      if (FExitRequested) break;
      AppendProbedRow(file);
      ScrollRowVisible(RowCount() - 1);
      // The window stays usable between files; the guarded commands check AddFileInProgress.
      QCoreApplication::processEvents();
    }
  } catch (const std::exception&) {
    // A probe error ends the flow quietly; the rows appended so far stay.
  }
}

void TForm1::AppendProbedRow(const TPathFileName& AFileName) {
  if (!FFDecoder.LoadFile(AFileName)) {
    SetCellText(AppendRow(AFileName), lcStatus, StatusError);
    return;
  }
  int stream = 0;
  while (stream < FFDecoder.StreamCount() && !FFDecoder.IsVideoStream(stream)) ++stream;
  // Without a video stream the index is past the last stream and the record stays unset.
  TVideoStreamInfo video;
  FFDecoder.GetVideoStreamInfo(stream, video);
  const std::int64_t duration = FFDecoder.FileStreamInfo().Duration;
  FFDecoder.CloseFile();

  const int row = AppendRow(AFileName);
  SetCellText(row, lcVideoSize, FormatVideoSize(video.Width, video.Height));
  SetCellText(row, lcFramerate,
              FormatFrameRate(video.FrameRate.num, video.FrameRate.den, UserDecimalSeparator()));
  SetCellText(row, lcDuration, DurationCellText(duration));
  SetCellText(row, lcOutput, OutputFormatCode(ComboOutputFormat->currentText().toStdString()));
}

int TForm1::AppendRow(const TPathFileName& AFileName) {
  const int row = ListView1->rowCount();
  ListView1->insertRow(row);
  for (int column = 0; column < ListColumnCount; ++column) {
    auto* item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable |
                   (column == lcFileName ? Qt::ItemIsUserCheckable : Qt::NoItemFlags));
    item->setTextAlignment(ListColumns[column].Alignment == caLeft
                               ? Qt::AlignLeft | Qt::AlignVCenter
                               : Qt::AlignCenter);
    ListView1->setItem(row, column, item);
  }
  SetCellText(row, lcFileName, AFileName);
  SetRowChecked(row, true);
  return row;
}

void TForm1::DeleteSelectedItem1Click() {
  if (AddFileInProgress) return;
  const QModelIndexList selected = ListView1->selectionModel()->selectedRows();
  if (!selected.isEmpty()) ListView1->removeRow(selected.first().row());
}

void TForm1::ClearAllItems1Click() {
  if (AddFileInProgress || ConversionRunning) return;
  ListView1->setRowCount(0);
}

void TForm1::CheckAllItems1Click() {
  for (int row = 0; row < RowCount(); ++row) SetRowChecked(row, true);
}

void TForm1::UncheckAllItems1Click() {
  for (int row = 0; row < RowCount(); ++row) SetRowChecked(row, false);
}

void TForm1::ButtonBrowseForFolderClick() {
  if (ConversionRunning) return;
  TPathFileName folder;
  if (!Dialogs().BrowseForFolder({BrowseHeadline, FBrowseFolderName}, folder)) return;
  FBrowseFolderName = folder;
  EditOutputFolder->setText(ToQ(folder));
}

void TForm1::OpenHelpFile1Click() {
  Dialogs().ShellOpen(FHelpFile);
}

void TForm1::VisitOmbrixWebsite1Click() {
  Dialogs().ShellOpen(MakerWebSite);
}

void TForm1::About1Click() {
  AboutBox->exec();
}

void TForm1::Exit1Click() {
  // Ends the event loop without closing the window: no close query, no settings save.
  FExitRequested = true;
  QCoreApplication::exit(EXIT_SUCCESS);
}

// ---- The file list and the status bar in plain texts ------------------------------------------

int TForm1::RowCount() const {
  return ListView1->rowCount();
}

std::string TForm1::CellText(int ARow, TListColumn AColumn) const {
  const QTableWidgetItem* item = ListView1->item(ARow, AColumn);
  return item ? item->text().toStdString() : std::string();
}

void TForm1::SetCellText(int ARow, TListColumn AColumn, const std::string& AText) {
  if (QTableWidgetItem* item = ListView1->item(ARow, AColumn)) item->setText(ToQ(AText));
}

bool TForm1::RowChecked(int ARow) const {
  const QTableWidgetItem* item = ListView1->item(ARow, lcFileName);
  return item && item->checkState() == Qt::Checked;
}

void TForm1::SetRowChecked(int ARow, bool AChecked) {
  if (QTableWidgetItem* item = ListView1->item(ARow, lcFileName))
    item->setCheckState(AChecked ? Qt::Checked : Qt::Unchecked);
}

void TForm1::ScrollRowVisible(int ARow) {
  if (QTableWidgetItem* item = ListView1->item(ARow, lcFileName))
    ListView1->scrollToItem(item, QAbstractItemView::EnsureVisible);
}

std::string TForm1::StatusPanelText(int APanel) const {
  return FStatusPanels[APanel]->text().toStdString();
}

void TForm1::SetStatusPanelText(int APanel, const std::string& AText) {
  FStatusPanels[APanel]->setText(ToQ(AText));
}
