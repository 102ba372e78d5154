// Loading of the FFmpeg libraries at start-up, from the program's own folder.
#include "AppLibraries.h"

#include "FFEncode.h"

bool LoadAVLib(TFFEncoder& AEncoder) {
  return AEncoder.LoadAVLib(ProgramFolder());
}
