// TQtDialogs: the desktop's dialogs and shell on Qt Widgets and xdg-open.
#pragma once

#include "Dialogs.h"

class TQtDialogs : public TDialogs {
 public:
  void ShowInformation(const std::string& AText) override;
  bool AskConfirmation(const std::string& AText) override;
  bool OpenFiles(const TOpenDialogRequest& ARequest, std::vector<TPathFileName>& AFiles) override;
  bool BrowseForFolder(const TBrowseFolderRequest& ARequest, TPathFileName& AFolder) override;
  bool ShellOpen(const std::string& AFileOrURL) override;
};

// A Qt name filter of an entry: its description, then its patterns in parentheses.
std::string QtNameFilter(const TFileFilter& AFilter);
