// The output file of a list row: its folder, its name from the input's, and the free "-N" names.
#include "OutputPath.h"

#include <filesystem>
#include <string>
#include <system_error>

namespace {

// The path without the extension of its file name.
TPathFileName BaseOf(const TPathFileName& APath) {
  const std::size_t dot = APath.rfind('.');
  const std::size_t slash = APath.rfind('/');
  if (dot == TPathFileName::npos || (slash != TPathFileName::npos && dot < slash)) return APath;
  return APath.substr(0, dot);
}

}  // namespace

TPathFileName ChangeFileExt(const TPathFileName& APath, std::string_view AExtension) {
  return BaseOf(APath).append(AExtension);
}

TPathFileName MakeUniqueOutputName(const TPathFileName& APath, std::string_view AExtension) {
  const TPathFileName base = BaseOf(APath);
  TPathFileName name = base + std::string(AExtension);
  for (long long n = 1; FileExists(name); ++n)
    name = base + "-" + std::to_string(n) + std::string(AExtension);
  return name;
}

TPathFileName OutputPathOf(const TPathFileName& AOutputFolder, const TPathFileName& AInputPath,
                           std::string_view AExtension, bool AOverwrite) {
  const TPathFileName path = AOutputFolder + "/" + ExtractFileName(AInputPath);
  return AOverwrite ? ChangeFileExt(path, AExtension) : MakeUniqueOutputName(path, AExtension);
}

bool OutputNamesInput(const TPathFileName& AOutputPath, const TPathFileName& AInputPath) {
  std::error_code error;
  return std::filesystem::equivalent(AOutputPath, AInputPath, error) && !error;
}
