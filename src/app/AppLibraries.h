// Loading of the FFmpeg libraries at start-up, from the program's own folder.
#pragma once

#include <functional>

// How the window loads the libraries; true when every one is loaded.
using TLibraryLoad = std::function<bool()>;

// Loads all libraries with the program folder as library path.
bool LoadAVLib();
