// The arguments of "vorandel-cli convert --preset": the preset, the overwrite choice, the output
// folder and the inputs.
#include "PresetConvertArgs.h"

#include <algorithm>

namespace {

constexpr const char* cPresetOption = "--preset";

}  // namespace

bool NamesPreset(const std::vector<std::string>& AArgs) {
  const auto end = std::find(AArgs.begin(), AArgs.end(), "--");
  return std::find(AArgs.begin(), end, cPresetOption) != end;
}

std::optional<TPresetConvertArgs> ParsePresetConvertArgs(const std::vector<std::string>& AArgs,
                                                         std::string& AError) {
  TPresetConvertArgs result;
  bool inputsOnly = false;
  for (std::size_t i = 0; i < AArgs.size(); ++i) {
    const std::string& a = AArgs[i];
    if (inputsOnly || a.empty() || a[0] != '-' || a == "-") {
      result.Inputs.push_back(a);
      continue;
    }
    const bool valued = a == cPresetOption || a == "-o";
    if (valued && i + 1 >= AArgs.size()) {
      AError = "Missing value of " + a;
      return std::nullopt;
    }
    if (a == "--") {
      inputsOnly = true;
    } else if (a == "--overwrite") {
      result.Overwrite = true;
    } else if (a == "-o") {
      result.OutputFolder = AArgs[++i];
    } else if (a == cPresetOption) {
      const std::string& text = AArgs[++i];
      result.Preset = FindAVCodec(text);
      if (!result.Preset) {
        AError = "Unknown preset: " + text + " (vorandel-cli presets lists them)";
        return std::nullopt;
      }
    } else {
      AError = "Unknown argument: " + a;
      return std::nullopt;
    }
  }
  if (result.OutputFolder.empty())
    AError = "The output folder is missing (-o OUTPUT_FOLDER)";
  else if (result.Inputs.empty())
    AError = "At least one input file must be given";
  if (!AError.empty()) return std::nullopt;
  return result;
}
