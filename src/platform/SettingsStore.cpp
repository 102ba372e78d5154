// Typed settings of the current user under a registry-style key, kept in a text file.
//
// File format, one value a line:  "Name"="text"  or  "Name"=int:-12
// Inside quotes a backslash escapes a backslash, a quote, n (line feed) or r (carriage return).
// Lines starting with ";" and lines that do not follow the format are ignored.
#include "SettingsStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

constexpr std::string_view cIntegerPrefix = "int:";

std::vector<std::string_view> KeyParts(std::string_view AKey) {
  std::vector<std::string_view> parts;
  while (!AKey.empty()) {
    const auto end = AKey.find('\\');
    const std::string_view part = AKey.substr(0, end);
    if (!part.empty()) parts.push_back(part);
    if (end == std::string_view::npos) break;
    AKey.remove_prefix(end + 1);
  }
  return parts;
}

bool IsSafePart(std::string_view APart) {
  return APart != "." && APart != ".." && APart.find('/') == std::string_view::npos &&
         APart.find('\0') == std::string_view::npos;
}

bool EqualsNoCase(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  for (std::size_t i = 0; i < A.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(A[i])) !=
        std::tolower(static_cast<unsigned char>(B[i])))
      return false;
  }
  return true;
}

TPathFileName UserConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return IncludeTrailingPathDelimiter(home) + ".config";
  return {};
}

void AppendQuoted(std::string& AOut, std::string_view AText) {
  AOut += '"';
  for (char c : AText) {
    switch (c) {
      case '\\':
        AOut += "\\\\";
        break;
      case '"':
        AOut += "\\\"";
        break;
      case '\n':
        AOut += "\\n";
        break;
      case '\r':
        AOut += "\\r";
        break;
      default:
        AOut += c;
    }
  }
  AOut += '"';
}

// Reads a quoted text at the start of ALine and removes it from ALine; nullopt when malformed.
std::optional<std::string> TakeQuoted(std::string_view& ALine) {
  if (ALine.empty() || ALine.front() != '"') return std::nullopt;
  std::string text;
  for (std::size_t i = 1; i < ALine.size(); ++i) {
    char c = ALine[i];
    if (c == '"') {
      ALine.remove_prefix(i + 1);
      return text;
    }
    if (c == '\\') {
      if (++i == ALine.size()) return std::nullopt;
      switch (ALine[i]) {
        case '\\':
          c = '\\';
          break;
        case '"':
          c = '"';
          break;
        case 'n':
          c = '\n';
          break;
        case 'r':
          c = '\r';
          break;
        default:
          return std::nullopt;
      }
    }
    text += c;
  }
  return std::nullopt;
}

std::optional<std::int32_t> ParseInteger(std::string_view AText) {
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(AText.data(), AText.data() + AText.size(), value);
  if (AText.empty() || error != std::errc() || end != AText.data() + AText.size())
    return std::nullopt;
  return value;
}

bool WriteAll(int AFile, std::string_view AData) {
  while (!AData.empty()) {
    const ssize_t n = ::write(AFile, AData.data(), AData.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    AData.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool MakeFolders(const TPathFileName& AFolder) {
  for (std::size_t pos = 1; pos <= AFolder.size(); ++pos) {
    if (pos < AFolder.size() && AFolder[pos] != '/') continue;
    const TPathFileName part = AFolder.substr(0, pos);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return DirectoryExists(AFolder);
}

void SyncFolder(const TPathFileName& AFolder) {
  const int folder = ::open(AFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return;
  ::fsync(folder);
  ::close(folder);
}

}  // namespace

TPathFileName SettingsFileName(std::string_view AKey) {
  std::vector<std::string_view> parts = KeyParts(AKey);
  if (!parts.empty() && EqualsNoCase(parts.front(), "Software")) parts.erase(parts.begin());
  if (parts.empty()) return {};
  for (std::string_view part : parts) {
    if (!IsSafePart(part)) return {};
  }
  TPathFileName name = UserConfigFolder();
  if (name.empty()) return {};
  for (std::string_view part : parts) (name = IncludeTrailingPathDelimiter(name)) += part;
  return name + ".conf";
}

TSettingsStore::TSettingsStore(std::string_view AKey) : FFileName(SettingsFileName(AKey)) {
  if (FFileName.empty()) return;
  std::ifstream file(FFileName, std::ios::binary);
  std::string text;
  while (std::getline(file, text)) {
    std::string_view line = text;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == ';') continue;
    std::optional<std::string> name = TakeQuoted(line);
    if (!name || line.empty() || line.front() != '=') continue;
    line.remove_prefix(1);
    if (line.starts_with(cIntegerPrefix)) {
      if (auto value = ParseInteger(line.substr(cIntegerPrefix.size())))
        FValues.insert_or_assign(std::move(*name), *value);
    } else if (std::optional<std::string> value = TakeQuoted(line); value && line.empty()) {
      FValues.insert_or_assign(std::move(*name), std::move(*value));
    }
  }
}

TSettingType TSettingsStore::TypeOf(std::string_view AName) const {
  auto it = FValues.find(AName);
  if (it == FValues.end()) return stMissing;
  return std::holds_alternative<std::string>(it->second) ? stString : stInteger;
}

std::optional<std::string> TSettingsStore::ReadString(std::string_view AName) const {
  auto it = FValues.find(AName);
  if (it == FValues.end() || !std::holds_alternative<std::string>(it->second)) return std::nullopt;
  return std::get<std::string>(it->second);
}

std::optional<std::int32_t> TSettingsStore::ReadInteger(std::string_view AName) const {
  auto it = FValues.find(AName);
  if (it == FValues.end() || !std::holds_alternative<std::int32_t>(it->second)) return std::nullopt;
  return std::get<std::int32_t>(it->second);
}

void TSettingsStore::WriteString(std::string_view AName, std::string_view AValue) {
  FValues.insert_or_assign(std::string(AName), std::string(AValue));
}

void TSettingsStore::WriteInteger(std::string_view AName, std::int32_t AValue) {
  FValues.insert_or_assign(std::string(AName), AValue);
}

bool TSettingsStore::Flush() const {
  if (FFileName.empty()) return false;
  const TPathFileName folder = ExtractFilePath(FFileName);
  if (!MakeFolders(folder)) return false;

  std::string text = "; Settings of the current user, written by the program.\n";
  for (const auto& [name, value] : FValues) {
    AppendQuoted(text, name);
    text += '=';
    if (const auto* integer = std::get_if<std::int32_t>(&value)) {
      (text += cIntegerPrefix) += std::to_string(*integer);
    } else {
      AppendQuoted(text, std::get<std::string>(value));
    }
    text += '\n';
  }

  std::string temporary = FFileName + ".XXXXXX";
  const int file = ::mkstemp(temporary.data());
  if (file < 0) return false;
  bool written = WriteAll(file, text) && ::fsync(file) == 0;
  written = ::close(file) == 0 && written;
  if (!written || ::rename(temporary.c_str(), FFileName.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  SyncFolder(folder);
  return true;
}
