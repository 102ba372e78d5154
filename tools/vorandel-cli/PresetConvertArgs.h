// The arguments of "vorandel-cli convert --preset": the preset, the overwrite choice, the output
// folder and the inputs.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "AVCodecs.h"

struct TPresetConvertArgs {
  const TheAVCodec* Preset = nullptr;
  bool Overwrite = false;
  std::string OutputFolder;
  std::vector<std::string> Inputs;
};

// True when the arguments of "convert" name a preset, so that they take this form.
bool NamesPreset(const std::vector<std::string>& AArgs);

// Parses "--preset TEXT [--overwrite] -o OUTPUT_FOLDER INPUT..." (options in any order before
// the inputs; after "--" every argument is an input); nothing with AError set when the
// arguments do not fit or the preset is not a catalogue text.
std::optional<TPresetConvertArgs> ParsePresetConvertArgs(const std::vector<std::string>& AArgs,
                                                         std::string& AError);
