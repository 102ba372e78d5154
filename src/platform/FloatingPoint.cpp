// Floating-point environment of the program: all exceptions masked, round to nearest.
#include "FloatingPoint.h"

#if defined(__GLIBC__)
#include <fenv.h>
#endif

TFloatingPointScope::TFloatingPointScope() {
  std::fegetenv(&FSaved);
#if defined(__GLIBC__)
  fedisableexcept(FE_ALL_EXCEPT);  // masks them in both the SSE and the x87 control words
#endif
  std::fesetround(FE_TONEAREST);
}

TFloatingPointScope::~TFloatingPointScope() { std::fesetenv(&FSaved); }
