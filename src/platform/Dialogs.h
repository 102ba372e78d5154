// The desktop's dialogs and shell (TDialogs): message boxes, file and folder choosers, shell open.
#pragma once

#include <string>
#include <vector>

#include "FileSystem.h"

// One entry of an open dialog's filter: its description and its ";"-separated patterns.
struct TFileFilter {
  std::string Description;
  std::string Patterns;
};

struct TOpenDialogRequest {
  std::vector<TFileFilter> Filters;
  int FilterIndex = 0;  // the entry selected when the dialog opens, from 0
  bool AllowMultiSelect = false;
  bool FileMustExist = true;
};

struct TBrowseFolderRequest {
  std::string Headline;
  TPathFileName FolderName;  // preselected when it names a folder
};

// The services of the desktop the application asks for. One implementation is installed for the
// process (the window's, or a scripted one in tests).
class TDialogs {
 public:
  virtual ~TDialogs() = default;
  // A message box with the caption "Information", the information icon and an OK button.
  virtual void ShowInformation(const std::string& AText) = 0;
  // A question with the caption "Confirmation", the question icon, Yes and No; true on Yes.
  virtual bool AskConfirmation(const std::string& AText) = 0;
  // True with the chosen files in the dialog's order; false when cancelled.
  virtual bool OpenFiles(const TOpenDialogRequest& ARequest,
                         std::vector<TPathFileName>& AFiles) = 0;
  // Directories only; true with the chosen folder; false when cancelled.
  virtual bool BrowseForFolder(const TBrowseFolderRequest& ARequest, TPathFileName& AFolder) = 0;
  // Asks the desktop to open a file or a URL with its associated program; false when it refuses.
  virtual bool ShellOpen(const std::string& AFileOrURL) = 0;
};

// Installs the process's implementation (null: none); the caller keeps it alive while installed.
void SetDialogs(TDialogs* ADialogs);
// The installed implementation; without one every box is answered as cancelled or No.
TDialogs& Dialogs();
