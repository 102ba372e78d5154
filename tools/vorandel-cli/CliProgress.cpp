// The progress line of a conversion: refreshed in place on a terminal, one plain line per report
// otherwise.
#include "CliProgress.h"

#include <unistd.h>

#include <iostream>

TProgressPrinter::TProgressPrinter() : FTerminal(isatty(STDOUT_FILENO)) {}

void TProgressPrinter::Show(const std::string& ALine) {
  if (FTerminal) {
    std::cout << "\r" << ALine << "\033[K" << std::flush;
    FShown = true;
  } else {
    std::cout << ALine << "\n" << std::flush;
  }
}

void TProgressPrinter::EndLine() {
  if (FShown) std::cout << "\n" << std::flush;
  FShown = false;
}
