// The Windows version test and the Segoe UI font rule applied to forms on newer Windows.
#include "uVista.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace {
constexpr std::string_view cSegoeUI = "Segoe UI";

bool EqualsNoCase(std::string_view A, std::string_view B) {
  return std::equal(A.begin(), A.end(), B.begin(), B.end(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  });
}
}  // namespace

bool IsWindowsVistaOrLater() {
  return false;
}

TFormFont SegoeUIFontFor(const TFormFont& AFont, bool ASegoeUIInstalled) {
  if (EqualsNoCase(AFont.Name, cSegoeUI) || !ASegoeUIInstalled) return AFont;
  return {std::string(cSegoeUI), AFont.Size + 1};
}
