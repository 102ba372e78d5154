// TForm1's output settings: the Output Format list, the setting lists each preset fills, the
// volume track bar, the Additional Options command and the saving of the settings on close.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <exception>
#include <utility>

#include "AVCodecs.h"
#include "ComboRows.h"
#include "Unit1.h"
#include "Unit4.h"
#include "VolumeSteps.h"

namespace {

// Rows the open Output Format list shows, whatever count was set before it opened.
constexpr int OutputFormatOpenDropDownCount = 28;

}  // namespace

void TForm1::ConnectOutputSettings() {
  // "activated" reports only the user's choices; selections made by the program stay silent.
  connect(ComboOutputFormat, &QComboBox::activated, this, &TForm1::ComboOutputFormatChange);
  connect(ComboVideoCodec, &QComboBox::activated, this, &TForm1::ComboVideoCodecChange);
  connect(ComboVideoFramerate, &QComboBox::activated, this, &TForm1::ComboVideoFramerateChange);
  connect(TrackBar1, &QSlider::valueChanged, this, &TForm1::TrackBar1Change);
  connect(SetAdditionalOptions1, &QAction::triggered, this, &TForm1::SetAdditionalOptions1Click);
}

void TForm1::FillOutputFormatList() {
  ComboOutputFormat->clear();
  for (const TheAVCodec& entry : AVCodecs)
    ComboOutputFormat->addItem(
        QString::fromUtf8(entry.ComboText.data(), static_cast<qsizetype>(entry.ComboText.size())));
  ComboOutputFormat->setMaxVisibleItems(static_cast<int>(AVCodecs.size()));
  ComboOutputFormat->setCurrentIndex(0);
}

void TForm1::ComboOutputFormatChange() {
  TOutputFormatState state{CurrentOutputFormat, LastFormatIndex};
  const TFormatChange change = ChooseOutputFormat(state, ComboOutputFormat->currentIndex(),
                                                  ComboOutputFormat->currentText().toStdString());
  if (change.Refused) {
    const QSignalBlocker silent(ComboOutputFormat);
    ComboOutputFormat->setCurrentIndex(LastFormatIndex);
    return;
  }
  CurrentOutputFormat = std::move(state.CurrentOutputFormat);
  LastFormatIndex = state.LastFormatIndex;
  FillSettingChoices(change.Choices);
  for (int row = 0; row < RowCount(); ++row) SetCellText(row, lcOutput, CurrentOutputFormat);
  ComboOutputFormatDropDown();
}

void TForm1::ComboOutputFormatDropDown() {
  ComboOutputFormat->setMaxVisibleItems(OutputFormatOpenDropDownCount);
}

void TForm1::FillSettingChoices(const TSettingChoices& AChoices) {
  const std::pair<TSettingList, QComboBox*> lists[] = {
      {slVideoCodec, ComboVideoCodec},     {slVideoSize, ComboVideoSize},
      {slVideoBitrate, ComboVideoBitrate}, {slVideoFramerate, ComboVideoFramerate},
      {slAudioCodec, ComboAudioCodec},     {slAudioBitrate, ComboAudioBitrate},
      {slSamplingRate, ComboSamplingRate}, {slAudioChannels, ComboAudioChannels},
      {slAspectRatio, ComboAspectRatio}};
  for (const auto& [list, combo] : lists) {
    const TListChoice& choice = AChoices[list];
    if (!choice.Keep) SetComboRows(*combo, choice.Rows, choice.Selected);
  }
}

void TForm1::ComboVideoCodecChange() {
  if (const std::optional<int> row = AudioCodecRowForVideoCodec(
          ComboVideoCodec->currentText().toStdString(), ComboAudioCodec->count()))
    ComboAudioCodec->setCurrentIndex(*row);
}

void TForm1::ComboVideoFramerateChange() {
  if (const std::optional<int> row =
          VideoSizeRowForFramerate(ComboOutputFormat->currentText().toStdString(),
                                   ComboVideoFramerate->currentText().toStdString()))
    ComboVideoSize->setCurrentIndex(*row);
}

void TForm1::TrackBar1Change() {
  const TVolumeStep step = VolumeStepOf(TrackBar1->value());
  LabelVolume->setText(
      QString::fromUtf8(step.Label.data(), static_cast<qsizetype>(step.Label.size())));
  VolumeLevel = step.VolumeLevel;
}

void TForm1::SetAdditionalOptions1Click() {
  if (Form4 == nullptr) return;
  Form4->show();
  Form4->raise();
  Form4->activateWindow();
}

void TForm1::FormShow() {
  ComboOutputFormatChange();
}

void TForm1::FormClose() {
  if (Form4 == nullptr) return;
  try {
    Form4->SaveSettings();
  } catch (const std::exception&) {
    // Closing goes on without the settings saved.
  }
}
