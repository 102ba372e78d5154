// The process-wide installed TDialogs and the silent stand-in used while none is installed.
#include "Dialogs.h"

#include <atomic>

namespace {

// Answers every box as if the user cancelled it, so that code run without a desktop goes on.
class TNoDialogs : public TDialogs {
 public:
  void ShowInformation(const std::string&) override {}
  bool AskConfirmation(const std::string&) override { return false; }
  bool OpenFiles(const TOpenDialogRequest&, std::vector<TPathFileName>&) override { return false; }
  bool BrowseForFolder(const TBrowseFolderRequest&, TPathFileName&) override { return false; }
  bool ShellOpen(const std::string&) override { return false; }
};

std::atomic<TDialogs*> GDialogs{nullptr};

}  // namespace

void SetDialogs(TDialogs* ADialogs) {
  GDialogs = ADialogs;
}

TDialogs& Dialogs() {
  static TNoDialogs none;
  TDialogs* installed = GDialogs;
  return installed ? *installed : none;
}
