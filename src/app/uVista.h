// The Windows version test and the Segoe UI font rule applied to forms on newer Windows.
#pragma once

#include <string>

// True on Windows 6 (Vista) or later; always false on Linux, which has no Windows version.
bool IsWindowsVistaOrLater();

struct TFormFont {
  std::string Name;
  int Size;  // points
};

// The form font after the Segoe UI rule: unchanged when it is already "Segoe UI" (in any case)
// or no font of that name is installed; otherwise "Segoe UI" one point larger.
TFormFont SegoeUIFontFor(const TFormFont& AFont, bool ASegoeUIInstalled);
