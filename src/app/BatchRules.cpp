// The batch controller's texts and the numbers it shows while a list row converts.
#include "BatchRules.h"

#include <array>
#include <cmath>

std::string MissingOutputFolderMessage(const std::string& AFolderText) {
  return "The output folder \"" + AFolderText +
         "\"\n\rdoes not exist or has been deleted!\n\rPlease choose a new output folder.";
}

int ProgressPercent(std::int64_t ACurrent, std::int64_t ATotal) {
  if (ATotal <= 0 || ACurrent <= 0) return 0;
  if (ACurrent >= ATotal) return 100;
  // ACurrent < ATotal, so ACurrent * 100 cannot overflow in 128 bits and the result is below 100.
  return static_cast<int>(static_cast<__int128>(ACurrent) * 100 / ATotal);
}

std::string ProgressStatusText(int APercent) {
  return std::to_string(APercent) + "%";
}

std::string FileSizePanelText(std::int64_t ABytes) {
  // nearbyint rounds in the current mode, which the program keeps at round-to-nearest-even.
  const double megabytes = std::nearbyint(static_cast<double>(ABytes) / 1000000.0);
  return "File Size : " + std::to_string(static_cast<std::int64_t>(megabytes)) + " MBytes";
}

std::string FramesCellText(int AFrameNumber) {
  return AFrameNumber == -1 ? std::string(" ") : std::to_string(AFrameNumber);
}

TRowEnd RowEndOf(bool AException, bool AStopRequested) {
  if (AException) return reFail;
  return AStopRequested ? reAbort : reDone;
}

const char* RowEndStatus(TRowEnd AEnd) {
  static constexpr std::array<const char*, 3> cStatus{"Done", "Fail", "Abort"};
  return cStatus[AEnd];
}
