// The Qt dialogs: captions, icons, buttons and answers of the boxes, the open dialog's filters.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "OpenDialogFilter.h"
#include "QtDialogs.h"
#include "TestApplication.h"

namespace {

// Runs AInspect on the modal dialog once it is shown; AInspect must close it.
void WhenModal(std::function<void(QWidget*)> AInspect) {
  QTimer::singleShot(0, [AInspect] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    AInspect(modal);
  });
}

TEST(QtDialogs, InformationHasItsCaptionIconAndOk) {
  TestApplication();
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  WhenModal([&](QWidget* AModal) {
    auto* box = qobject_cast<QMessageBox*>(AModal);
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    buttons = box->standardButtons();
    box->button(QMessageBox::Ok)->click();
  });
  TQtDialogs().ShowInformation("Please Add Files To Convert!");
  EXPECT_EQ(title, "Information");
  EXPECT_EQ(text, "Please Add Files To Convert!");
  EXPECT_EQ(icon, QMessageBox::Information);
  EXPECT_EQ(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

TEST(QtDialogs, ConfirmationAsksYesOrNo) {
  TestApplication();
  for (const QMessageBox::StandardButton answer : {QMessageBox::Yes, QMessageBox::No}) {
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    WhenModal([&](QWidget* AModal) {
      auto* box = qobject_cast<QMessageBox*>(AModal);
      ASSERT_NE(box, nullptr);
      title = box->windowTitle();
      icon = box->icon();
      buttons = box->standardButtons();
      box->button(answer)->click();
    });
    EXPECT_EQ(TQtDialogs().AskConfirmation("Stop all conversions?"), answer == QMessageBox::Yes);
    EXPECT_EQ(title, "Confirmation");
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No);
  }
}

TEST(QtDialogs, OpenDialogOffersTheFiltersTheRequestedOneSelected) {
  TestApplication();
  QStringList filters;
  QString selected;
  QFileDialog::FileMode mode = QFileDialog::AnyFile;
  WhenModal([&](QWidget* AModal) {
    auto* dialog = qobject_cast<QFileDialog*>(AModal);
    ASSERT_NE(dialog, nullptr);
    filters = dialog->nameFilters();
    selected = dialog->selectedNameFilter();
    mode = dialog->fileMode();
    dialog->reject();
  });
  TOpenDialogRequest request{AddFilesFilters(), 1, true, true};
  std::vector<TPathFileName> files{"left alone"};
  EXPECT_FALSE(TQtDialogs().OpenFiles(request, files));
  ASSERT_EQ(filters.size(), 2);
  EXPECT_EQ(filters[0], "All Supported Files (*.rm;*.rmvb;*.ram) (*.rm *.rmvb *.ram)");
  EXPECT_TRUE(filters[1].startsWith("Any video and audio files (*.avi *.mov *.qt *.mpeg"));
  // Shown without the appended pattern list.
  EXPECT_EQ(selected.toStdString(), "Any video and audio files");
  EXPECT_EQ(mode, QFileDialog::ExistingFiles);
}

}  // namespace
