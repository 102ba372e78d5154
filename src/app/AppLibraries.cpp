// Loading of the FFmpeg libraries at start-up, from the program's own folder.
#include "AppLibraries.h"

#include "FFLoad.h"

bool LoadAVLib() {
  FFLoader().SetLibraryPath(ProgramFolder());
  return FFLoader().Load(TLibraries::All());
}
