// "vorandel-cli presets": the texts of the Output Format list, one per line, without separators.
#include <iostream>

#include "AVCodecs.h"
#include "Commands.h"

int RunPresetsCommand(const TCommandArgs& AArgs) {
  if (!AArgs.empty()) {
    std::cerr << "Usage: vorandel-cli presets\n";
    return ExitUsage;
  }
  for (const TheAVCodec& entry : AVCodecs)
    if (!IsSeparatorText(entry.ComboText)) std::cout << entry.ComboText << "\n";
  return ExitOK;
}
