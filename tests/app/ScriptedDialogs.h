// TScriptedDialogs: a TDialogs that answers from a script and records every request.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Dialogs.h"

class TScriptedDialogs : public TDialogs {
 public:
  TScriptedDialogs() { SetDialogs(this); }
  ~TScriptedDialogs() override { SetDialogs(nullptr); }
  TScriptedDialogs(const TScriptedDialogs&) = delete;
  TScriptedDialogs& operator=(const TScriptedDialogs&) = delete;

  void ShowInformation(const std::string& AText) override;
  bool AskConfirmation(const std::string& AText) override;
  bool OpenFiles(const TOpenDialogRequest& ARequest, std::vector<TPathFileName>& AFiles) override;
  bool BrowseForFolder(const TBrowseFolderRequest& ARequest, TPathFileName& AFolder) override;
  bool ShellOpen(const std::string& AFileOrURL) override;

  // Script: the answers. OpenFiles chooses FilesToOpen (cancelled when empty) after running
  // OnOpenFiles; BrowseForFolder chooses FolderToChoose (cancelled when empty).
  std::vector<TPathFileName> FilesToOpen;
  std::function<void()> OnOpenFiles;
  TPathFileName FolderToChoose;
  bool ConfirmAnswer = false;

  // Record.
  std::vector<std::string> Informations;
  std::vector<std::string> Confirmations;
  std::vector<TOpenDialogRequest> OpenRequests;
  std::vector<TBrowseFolderRequest> BrowseRequests;
  std::vector<std::string> ShellOpened;
};
