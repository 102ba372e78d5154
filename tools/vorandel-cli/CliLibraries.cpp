// The start-up check every command shares: the FFmpeg libraries of the program's folder.
#include "CliLibraries.h"

#include <iostream>

#include "RowStatus.h"

void ReportMissingLibraries(const std::string& ALoaderMsg) {
  std::cerr << ALoaderMsg << "\n" << cLibrariesMissingMessage << "\n";
}
