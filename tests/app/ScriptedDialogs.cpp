// TScriptedDialogs: a TDialogs that answers from a script and records every request.
#include "ScriptedDialogs.h"

void TScriptedDialogs::ShowInformation(const std::string& AText) {
  Informations.push_back(AText);
}

bool TScriptedDialogs::AskConfirmation(const std::string& AText) {
  Confirmations.push_back(AText);
  return ConfirmAnswer;
}

bool TScriptedDialogs::OpenFiles(const TOpenDialogRequest& ARequest,
                                 std::vector<TPathFileName>& AFiles) {
  OpenRequests.push_back(ARequest);
  if (OnOpenFiles) OnOpenFiles();
  if (FilesToOpen.empty()) return false;
  AFiles = FilesToOpen;
  return true;
}

bool TScriptedDialogs::BrowseForFolder(const TBrowseFolderRequest& ARequest,
                                       TPathFileName& AFolder) {
  BrowseRequests.push_back(ARequest);
  if (FolderToChoose.empty()) return false;
  AFolder = FolderToChoose;
  return true;
}

bool TScriptedDialogs::ShellOpen(const std::string& AFileOrURL) {
  ShellOpened.push_back(AFileOrURL);
  return true;
}
