// The start-up check every command shares: the FFmpeg libraries of the program's folder.
#pragma once

#include <string>

#include "FileSystem.h"

// Prints the loader's message and the re-install hint on standard error.
void ReportMissingLibraries(const std::string& ALoaderMsg);

// Loads the component's libraries from the program's folder; on failure reports them missing.
template <class TComponent>
bool LoadProgramLibraries(TComponent& AComponent) {
  if (AComponent.LoadAVLib(ProgramFolder())) return true;
  ReportMissingLibraries(AComponent.LastErrMsg());
  return false;
}
