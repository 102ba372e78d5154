// Loading of the FFmpeg libraries at start-up, from the program's own folder.
#pragma once

#include <functional>

class TFFEncoder;

// How the window loads the libraries through its encoder component; true when every one is
// loaded.
using TLibraryLoad = std::function<bool(TFFEncoder&)>;

// The encoder component loads its libraries with the program folder as library path.
bool LoadAVLib(TFFEncoder& AEncoder);
