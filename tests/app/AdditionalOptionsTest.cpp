// The Additional Options dialog and the five settings the window keeps between runs, on the
// real window; and the Segoe UI rule on a form.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <filesystem>

#include "RegiMain.h"
#include "SettingsStore.h"
#include "UIFont.h"
#include "Unit4.h"
#include "WindowFixture.h"

void PrintTo(const TRegiSettings& A, std::ostream* AOut) {
  *AOut << '{' << A.OutputFolder << ", " << A.ComboOutputFormat << ", " << A.Overwrite << ", "
        << A.DropDownItems << ", " << A.LetterBox << '}';
}

namespace {

// The five values as the store holds them; a value missing or of the other type reads as
// "?" or -99.
TRegiSettings Stored() {
  const TSettingsStore store(cRegiKey);
  const auto number = [&](const char* AName) { return store.ReadInteger(AName).value_or(-99); };
  return {store.ReadString("Output Folder").value_or("?"), number("ComboOutputFormat"),
          number("Overwrite") == 1, number("DropDownItems"), number("LetterBox")};
}

class TAdditionalOptionsTest : public TWindowFixture {
 protected:
  TForm4& Options() { return *Form().Form4; }
  // The five settings as the controls of both forms show them.
  TRegiSettings Shown() {
    return {Form().EditOutputFolder->text().toStdString(), Form().ComboOutputFormat->currentIndex(),
            Options().CheckBoxOverWrite->isChecked(), Options().SpinEdit1->value(),
            Form().ComboLetterBox->currentIndex()};
  }
  void ChooseFolder(const std::string& AFolder) {
    FDialogs.FolderToChoose = AFolder;
    Form().ButtonBrowseForFolder->click();
  }
};

TEST_F(TAdditionalOptionsTest, TheDialogIsModelessOnTopWithItsCheckBoxAndDone) {
  TForm4& options = Options();
  EXPECT_FALSE(options.isVisible());
  EXPECT_EQ(options.parentWidget(), &Form());
  Form().show();
  Form().SetAdditionalOptions1->trigger();
  ASSERT_TRUE(options.isVisible());
  EXPECT_FALSE(options.isModal());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(options.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(options.windowTitle(), "Additional Options");
  EXPECT_FALSE(options.windowIcon().isNull());
  EXPECT_EQ(options.size(), QSize(408, 222));
  EXPECT_EQ(options.minimumSize(), options.maximumSize());
  // Centred on the main window.
  const QPoint offset = options.geometry().center() - Form().geometry().center();
  EXPECT_LE(offset.manhattanLength(), 40) << offset.x() << ", " << offset.y();

  EXPECT_EQ(options.GroupBox1->title(), " Additional Options ");
  EXPECT_EQ(options.GroupBox1->geometry(), QRect(8, 9, 392, 114));
  QCheckBox& overwrite = *options.CheckBoxOverWrite;
  EXPECT_EQ(overwrite.text(), "Overwrite Existing File With The Same Name");
  EXPECT_EQ(overwrite.x(), 60);
  EXPECT_GE(overwrite.width(), overwrite.sizeHint().width());  // the whole text is shown
  EXPECT_TRUE(options.GroupBox1->rect().contains(overwrite.geometry()));
  EXPECT_FALSE(overwrite.isChecked());
  EXPECT_EQ(options.Button1->text(), "Done");
  EXPECT_EQ(options.Button1->geometry(), QRect(282, 162, 118, 43));
  // The drop-down count lies below the group's edge: kept, not seen.
  EXPECT_EQ(options.SpinEdit1->minimum(), 26);
  EXPECT_EQ(options.SpinEdit1->maximum(), 47);
  EXPECT_EQ(options.SpinEdit1->value(), 27);
  EXPECT_FALSE(options.GroupBox1->rect().intersects(options.SpinEdit1->geometry()));

  // The main window goes on working while the dialog is open; the box changes at once.
  overwrite.click();
  EXPECT_TRUE(overwrite.isChecked());
  Choose(*Form().ComboOutputFormat, "VCD (*.mpg)");
  EXPECT_EQ(Form().CurrentOutputFormat, "MPG");
  EXPECT_TRUE(options.isVisible());
  options.Button1->click();
  EXPECT_FALSE(options.isVisible());
  EXPECT_TRUE(overwrite.isChecked());
  Form().SetAdditionalOptions1->trigger();  // the same dialog comes back
  EXPECT_TRUE(options.isVisible());
  EXPECT_TRUE(overwrite.isChecked());
}

TEST_F(TAdditionalOptionsTest, TheFirstRunWritesTheDefaults) {
  ASSERT_TRUE(std::filesystem::exists(FConfig.VorandelFile()));
  EXPECT_EQ(Stored(), (TRegiSettings{"", 0, false, 27, 0}));
  EXPECT_EQ(Shown(), (TRegiSettings{"", 0, false, 27, 0}));
  EXPECT_EQ(TSettingsStore(cRegiKey).TypeOf("Output Folder"), stString);
  // Nothing is written again until the window closes.
  ChooseFolder("/tmp/not yet");
  EXPECT_EQ(Stored().OutputFolder, "");
}

TEST_F(TAdditionalOptionsTest, ClosingSavesTheSettingsAndTheNextStartShowsThem) {
  Form().show();
  ChooseFolder("/tmp/vorandel out");
  Choose(*Form().ComboOutputFormat, "iPod (*.mp4)");
  Form().SetAdditionalOptions1->trigger();
  Options().CheckBoxOverWrite->click();
  Options().SpinEdit1->setValue(40);
  Options().Button1->click();
  Form().ComboLetterBox->setCurrentIndex(1);
  EXPECT_TRUE(Form().close());
  const TRegiSettings saved{"/tmp/vorandel out", 25, true, 40, 1};
  EXPECT_EQ(Stored(), saved);

  Start();
  EXPECT_EQ(Shown(), saved);
  EXPECT_EQ(Form().ComboOutputFormat->maxVisibleItems(), 40);  // the stored count took effect
  EXPECT_EQ(Form().ComboLetterBox->currentText(), "LetterBox");
  EXPECT_EQ(Form().CurrentOutputFormat, "");
  Form().show();  // the stored format fills the lists
  EXPECT_EQ(Form().CurrentOutputFormat, "MP4");
  EXPECT_EQ(Form().ComboAudioCodec->currentText(), "ac3");
  EXPECT_EQ(Form().ComboVideoSize->currentText(), "320 x 240");
  EXPECT_EQ(Form().LastFormatIndex, 25);
  EXPECT_EQ(Form().ComboOutputFormat->maxVisibleItems(), 28);
  EXPECT_FALSE(Options().isVisible());
}

TEST_F(TAdditionalOptionsTest, ExitKeepsThePreviouslyStoredSettings) {
  Form().show();
  ChooseFolder("/tmp/first");
  Form().close();
  Start();
  Form().show();
  ChooseFolder("/tmp/second");
  Options().CheckBoxOverWrite->setChecked(true);
  Form().Exit1->trigger();
  EXPECT_EQ(Stored(), (TRegiSettings{"/tmp/first", 0, false, 27, 0}));
  Start();
  EXPECT_EQ(Form().EditOutputFolder->text(), "/tmp/first");
  EXPECT_FALSE(Options().CheckBoxOverWrite->isChecked());
}

TEST_F(TAdditionalOptionsTest, StoredValuesBeyondTheirRangesAreTakenAsTheControlsTakeThem) {
  {
    TSettingsStore store(cRegiKey);
    store.WriteString("Output Folder", "/media/out");
    store.WriteInteger("ComboOutputFormat", 40);  // beyond the 32 rows: no selection
    store.WriteInteger("Overwrite", 7);
    store.WriteInteger("DropDownItems", 100);
    store.WriteInteger("LetterBox", 2);
    ASSERT_TRUE(store.Flush());
  }
  Start();
  EXPECT_EQ(Shown(), (TRegiSettings{"/media/out", -1, true, 47, -1}));
  EXPECT_EQ(Form().ComboOutputFormat->maxVisibleItems(), 47);
  Form().show();  // no entry selected: nothing is filled
  EXPECT_EQ(Form().CurrentOutputFormat, "");
  EXPECT_EQ(Form().ComboVideoCodec->count(), 0);
  EXPECT_EQ(Form().LastFormatIndex, -1);
  Form().close();
  EXPECT_EQ(Stored(), (TRegiSettings{"/media/out", -1, true, 47, -1}));
}

TEST_F(TAdditionalOptionsTest, ADamagedKeyIsRewrittenWithTheStatesReached) {
  {
    TSettingsStore store(cRegiKey);
    store.WriteString("Output Folder", "/in/store");
    store.WriteInteger("ComboOutputFormat", 5);
    store.WriteString("Overwrite", "1");
    store.WriteInteger("DropDownItems", 40);
    store.WriteInteger("LetterBox", 1);
    ASSERT_TRUE(store.Flush());
  }
  Start();
  const TRegiSettings reached{"/in/store", 5, false, 27, 0};
  EXPECT_EQ(Shown(), reached);
  EXPECT_EQ(Stored(), reached);
  EXPECT_EQ(TSettingsStore(cRegiKey).TypeOf("Overwrite"), stInteger);
  EXPECT_EQ(Form().ComboOutputFormat->maxVisibleItems(), 26);  // the count was not reached
}

TEST(FormFont, SegoeUIRuleOnAForm) {
  TestApplication();
  QWidget form;
  form.setFont(QFont("MS Sans Serif", 8));
  auto* follows = new QLabel("follows the form", &form);
  auto* own = new QLabel("has its own font", &form);
  own->setFont(QFont("Tahoma", 10));

  ApplySegoeUIFont(form, {"DejaVu Sans"});
  EXPECT_EQ(form.font().family(), "MS Sans Serif");
  EXPECT_EQ(form.font().pointSize(), 8);

  ApplySegoeUIFont(form, {"DejaVu Sans", "segoe ui"});
  EXPECT_EQ(form.font().family(), "Segoe UI");
  EXPECT_EQ(form.font().pointSize(), 9);
  EXPECT_EQ(follows->font().family(), "Segoe UI");
  EXPECT_EQ(own->font().family(), "Tahoma");
  EXPECT_EQ(own->font().pointSize(), 10);

  ApplySegoeUIFont(form, {"Segoe UI"});  // already Segoe UI: unchanged
  EXPECT_EQ(form.font().pointSize(), 9);
}

}  // namespace
