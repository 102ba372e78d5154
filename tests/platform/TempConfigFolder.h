// A fresh configuration folder for one test: XDG_CONFIG_HOME points into it while it lives.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

class TTempConfigFolder {
 public:
  TTempConfigFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vorandel-config-XXXXXX");
    FRoot = ::mkdtemp(pattern.data()) ? pattern : std::string();
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) FOldConfig = old;
    ::setenv("XDG_CONFIG_HOME", FRoot.c_str(), 1);
  }
  ~TTempConfigFolder() {
    if (FOldConfig) {
      ::setenv("XDG_CONFIG_HOME", FOldConfig->c_str(), 1);
    } else {
      ::unsetenv("XDG_CONFIG_HOME");
    }
    std::error_code ignored;
    if (!FRoot.empty()) std::filesystem::remove_all(FRoot, ignored);
  }
  TTempConfigFolder(const TTempConfigFolder&) = delete;
  TTempConfigFolder& operator=(const TTempConfigFolder&) = delete;

  const std::string& Root() const { return FRoot; }
  // The file of the key "Software\Ombrix\Vorandel" in this folder.
  std::string VorandelFile() const { return FRoot + "/Ombrix/Vorandel.conf"; }

 private:
  std::string FRoot;
  std::optional<std::string> FOldConfig;
};
