// vorandel-cli: dispatches the command line to one of the commands.
#include <iostream>
#include <iterator>
#include <string>

#include "Commands.h"
#include "Exceptions.h"
#include "MainThread.h"
#include "PresetConvertArgs.h"

namespace {

const TCliCommand Commands[] = {
    {"probe", "probe FILE...    print the streams and tags of each media file", RunProbeCommand},
    {"convert",
     "convert [--input-options TEXT] -i INPUT [-i INPUT2 ...] [--options TEXT] [--log-level "
     "LEVEL] OUTPUT    convert the inputs into OUTPUT\n"
     "  convert --preset PRESET [--overwrite] -o OUTPUT_FOLDER INPUT...    convert each input "
     "with the preset's default settings",
     [](const TCommandArgs& AArgs) {
       return NamesPreset(AArgs) ? RunPresetConvertCommand(AArgs) : RunConvertCommand(AArgs);
     }},
    {"presets", "presets    list the presets, one per line", RunPresetsCommand},
};

int Usage() {
  std::cerr << "Usage: vorandel-cli COMMAND [ARGUMENTS]\nCommands:\n";
  for (const TCliCommand& c : Commands) std::cerr << "  " << c.Usage << "\n";
  return ExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  SetMainThread();
  if (argc < 2) return Usage();
  const std::string name = argv[1];
  for (const TCliCommand& c : Commands) {
    if (name != c.Name) continue;
    try {
      return c.Run(TCommandArgs(argv + 2, argv + argc));
    } catch (const std::exception& e) {
      std::cerr << e.what() << "\n";
      return ExitFailure;
    }
  }
  std::cerr << "Unknown command: " << name << "\n";
  return Usage();
}
