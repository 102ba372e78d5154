// The commands of vorandel-cli: each takes the arguments after its name and returns the exit
// status.
#pragma once

#include <string>
#include <vector>

using TCommandArgs = std::vector<std::string>;

struct TCliCommand {
  const char* Name;
  const char* Usage;
  int (*Run)(const TCommandArgs& AArgs);
};

// "probe FILE...": prints the probe's report of each file.
int RunProbeCommand(const TCommandArgs& AArgs);
// "convert [--input-options TEXT] -i INPUT... [--options TEXT] OUTPUT": runs one conversion.
int RunConvertCommand(const TCommandArgs& AArgs);
// "convert --preset PRESET [--overwrite] -o OUTPUT_FOLDER INPUT...": converts each input with the
// preset's default selections.
int RunPresetConvertCommand(const TCommandArgs& AArgs);
// "presets": prints the texts of the presets.
int RunPresetsCommand(const TCommandArgs& AArgs);

// Exit statuses.
constexpr int ExitOK = 0;
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;
constexpr int ExitInterrupted = 130;
