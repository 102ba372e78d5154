// The progress line of a conversion: refreshed in place on a terminal, one plain line per report
// otherwise.
#pragma once

#include <string>

class TProgressPrinter {
 public:
  // Whether standard output is a terminal.
  TProgressPrinter();

  void Show(const std::string& ALine);
  // Ends a refreshed line, so that the next text starts on a line of its own.
  void EndLine();

 private:
  bool FTerminal;
  bool FShown = false;
};
