// printf-style formatting into std::string.
#include "TextFormat.h"

#include <cstdio>

std::string FormatV(const char* AFormat, va_list AArgs) {
  char small[512];
  va_list copy;
  va_copy(copy, AArgs);
  int n = std::vsnprintf(small, sizeof small, AFormat, copy);
  va_end(copy);
  if (n < 0) return std::string();
  if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
  std::string out(static_cast<size_t>(n) + 1, '\0');
  std::vsnprintf(out.data(), out.size(), AFormat, AArgs);
  out.resize(static_cast<size_t>(n));
  return out;
}

std::string Format(const char* AFormat, ...) {
  va_list args;
  va_start(args, AFormat);
  std::string out = FormatV(AFormat, args);
  va_end(args);
  return out;
}
