// "vorandel-cli probe FILE...": the probe's report of each file on standard output.
#include <iostream>
#include <string>

#include "CliLibraries.h"
#include "Commands.h"
#include "FFDecode.h"
#include "FileSystem.h"

namespace {

// The report with Unix line ends.
std::string WithoutCarriageReturns(std::string AText) {
  std::erase(AText, '\r');
  return AText;
}

}  // namespace

int RunProbeCommand(const TCommandArgs& AArgs) {
  if (AArgs.empty()) {
    std::cerr << "Usage: vorandel-cli probe FILE...\n";
    return ExitUsage;
  }
  TFFDecoder probe;
  if (!LoadProgramLibraries(probe)) return ExitFailure;
  int status = ExitOK;
  for (std::size_t i = 0; i < AArgs.size(); ++i) {
    if (i > 0) std::cout << "\n";
    if (probe.LoadFile(AArgs[i])) {
      std::cout << WithoutCarriageReturns(probe.FileInfoText()) << std::flush;
    } else {
      std::cerr << probe.LastErrMsg() << "\n";
      status = ExitFailure;
    }
  }
  return status;
}
