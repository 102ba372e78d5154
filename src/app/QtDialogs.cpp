// TQtDialogs: the desktop's dialogs and shell on Qt Widgets and xdg-open.
#include "QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QStringList>

#include "AppTexts.h"
#include "OpenDialogFilter.h"

namespace {

QString ToQ(const std::string& AText) {
  return QString::fromStdString(AText);
}

}  // namespace

std::string QtNameFilter(const TFileFilter& AFilter) {
  std::string filter = AFilter.Description + " (";
  const std::vector<std::string> patterns = SplitFilterPatterns(AFilter.Patterns);
  for (std::size_t i = 0; i < patterns.size(); ++i) filter += (i ? " " : "") + patterns[i];
  return filter + ")";
}

void TQtDialogs::ShowInformation(const std::string& AText) {
  QMessageBox box(QMessageBox::Information, CaptionInformation, ToQ(AText), QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
}

bool TQtDialogs::AskConfirmation(const std::string& AText) {
  QMessageBox box(QMessageBox::Question, CaptionConfirmation, ToQ(AText),
                  QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
  return box.exec() == QMessageBox::Yes;
}

bool TQtDialogs::OpenFiles(const TOpenDialogRequest& ARequest, std::vector<TPathFileName>& AFiles) {
  QFileDialog dialog(QApplication::activeWindow());
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (!ARequest.FileMustExist)
    dialog.setFileMode(QFileDialog::AnyFile);
  else
    dialog.setFileMode(ARequest.AllowMultiSelect ? QFileDialog::ExistingFiles
                                                 : QFileDialog::ExistingFile);
  // The descriptions already name their patterns; the appended pattern lists stay hidden.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  QStringList filters;
  for (const TFileFilter& filter : ARequest.Filters) filters << ToQ(QtNameFilter(filter));
  dialog.setNameFilters(filters);
  if (ARequest.FilterIndex >= 0 && ARequest.FilterIndex < filters.size())
    dialog.selectNameFilter(filters[ARequest.FilterIndex]);
  if (dialog.exec() != QDialog::Accepted) return false;
  AFiles.clear();
  for (const QString& file : dialog.selectedFiles()) AFiles.push_back(file.toStdString());
  return !AFiles.empty();
}

bool TQtDialogs::BrowseForFolder(const TBrowseFolderRequest& ARequest, TPathFileName& AFolder) {
  const QString folder =
      QFileDialog::getExistingDirectory(QApplication::activeWindow(), ToQ(ARequest.Headline),
                                        ToQ(ARequest.FolderName), QFileDialog::ShowDirsOnly);
  if (folder.isEmpty()) return false;
  AFolder = folder.toStdString();
  return true;
}

bool TQtDialogs::ShellOpen(const std::string& AFileOrURL) {
  return QProcess::startDetached(QStringLiteral("xdg-open"), {ToQ(AFileOrURL)});
}
