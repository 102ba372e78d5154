// TForm4: the Additional Options dialog, which also loads and saves the five user settings.
#include "Unit4.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>
#include <exception>

#include "Glyphs.h"
#include "UIFont.h"
#include "Unit1.h"
#include "uVista.h"

namespace {

constexpr int ClientWidth = 408;
constexpr int ClientHeight = 222;
constexpr int InitialDropDownItems = 27;

// The place of a control, grown to the size its text needs in the desktop's font, keeping
// its left edge and its vertical centre.
QRect GrownToHint(const QRect& APlace, const QSize& AHint) {
  QRect place = APlace;
  place.setWidth(std::max(APlace.width(), AHint.width()));
  place.setHeight(std::max(APlace.height(), AHint.height()));
  place.moveTop(APlace.center().y() - (place.height() - 1) / 2);
  return place;
}

}  // namespace

TForm4::TForm4(TForm1& AMainForm)
    : QDialog(&AMainForm, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint |
                              Qt::WindowStaysOnTopHint),
      FMainForm(AMainForm) {
  CreateControls();
  FormCreate();
}

void TForm4::CreateControls() {
  setWindowTitle("Additional Options");
  setWindowIcon(MakeGlyph(glOptions));
  setModal(false);
  setFont(FormFont());
  setFixedSize(ClientWidth, ClientHeight);

  GroupBox1 = new QGroupBox(" Additional Options ", this);
  GroupBox1->setFont(ControlFont());
  GroupBox1->setGeometry(8, 9, 392, 114);
  CheckBoxOverWrite = new QCheckBox("Overwrite Existing File With The Same Name", GroupBox1);
  CheckBoxOverWrite->setGeometry(
      GrownToHint(QRect(60, 55, 309, 13), CheckBoxOverWrite->sizeHint()));
  SpinEdit1 = new QSpinBox(GroupBox1);
  SpinEdit1->setRange(cDropDownItemsMin, cDropDownItemsMax);
  SpinEdit1->setValue(InitialDropDownItems);
  SpinEdit1->setGeometry(12, 150, 40, 26);
  Label1 = new QLabel(" Drop Down Items in Output Format List", GroupBox1);
  Label1->move(72, 153);
  Label1->adjustSize();

  Button1 = new QPushButton("Done", this);
  Button1->setGeometry(282, 162, 118, 43);

  connect(SpinEdit1, &QSpinBox::valueChanged, this, &TForm4::SpinEdit1Change);
  connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
}

void TForm4::FormCreate() {
  if (IsWindowsVistaOrLater()) ApplySegoeUIFont(*this, QFontDatabase::families());
  try {
    LoadSettings();
  } catch (const std::exception&) {
    // The controls keep the states reached; the program starts all the same.
  }
}

void TForm4::LoadSettings() {
  TRegiSettings settings = ControlSettings();
  ::LoadSettings(settings);
  ApplySettings(settings);
}

void TForm4::SaveSettings() const {
  ::SaveSettings(ControlSettings());
}

TRegiSettings TForm4::ControlSettings() const {
  return {FMainForm.EditOutputFolder->text().toStdString(),
          FMainForm.ComboOutputFormat->currentIndex(), CheckBoxOverWrite->isChecked(),
          SpinEdit1->value(), FMainForm.ComboLetterBox->currentIndex()};
}

void TForm4::ApplySettings(const TRegiSettings& ASettings) {
  FMainForm.EditOutputFolder->setText(QString::fromStdString(ASettings.OutputFolder));
  FMainForm.ComboOutputFormat->setCurrentIndex(ASettings.ComboOutputFormat);
  CheckBoxOverWrite->setChecked(ASettings.Overwrite);
  // A new value runs SpinEdit1Change, which sets the Output Format list's drop-down count.
  SpinEdit1->setValue(ASettings.DropDownItems);
  FMainForm.ComboLetterBox->setCurrentIndex(ASettings.LetterBox);
}

void TForm4::SpinEdit1Change() {
  FMainForm.ComboOutputFormat->setMaxVisibleItems(SpinEdit1->value());
}

void TForm4::Button1Click() {
  close();  // hides the dialog; it lives on until the program ends
}
