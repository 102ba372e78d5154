// Floating-point environment of the program: all exceptions masked, round to nearest.
#pragma once

#include <cfenv>

// Saves the floating-point environment, masks every exception and rounds to nearest;
// the destructor restores what was saved.
class TFloatingPointScope {
 public:
  TFloatingPointScope();
  ~TFloatingPointScope();
  TFloatingPointScope(const TFloatingPointScope&) = delete;
  TFloatingPointScope& operator=(const TFloatingPointScope&) = delete;

 private:
  std::fenv_t FSaved;
};
