// Typed settings of the current user under a registry-style key, kept in a text file.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "FileSystem.h"

enum TSettingType { stMissing, stString, stInteger };

// The values of one key, read when the store is made and written back as a whole by Flush.
// String and 32-bit integer values keep their type, so reading a value as the other type is
// told apart from a missing value.
class TSettingsStore {
 public:
  // Opens the key of the current user (see SettingsFileName). A missing or unreadable file gives
  // a key without values; a malformed line of it is ignored.
  explicit TSettingsStore(std::string_view AKey);

  TSettingType TypeOf(std::string_view AName) const;
  // nullopt when the value is missing or of the other type.
  std::optional<std::string> ReadString(std::string_view AName) const;
  std::optional<std::int32_t> ReadInteger(std::string_view AName) const;

  void WriteString(std::string_view AName, std::string_view AValue);
  void WriteInteger(std::string_view AName, std::int32_t AValue);

  // Writes every value into a temporary file next to the store's file and renames it over the
  // old one, so a failed write leaves the old file as it was. False when the folder or the file
  // cannot be written or the user has no configuration folder.
  bool Flush() const;

  const TPathFileName& FileName() const { return FFileName; }

 private:
  using TValue = std::variant<std::string, std::int32_t>;
  TPathFileName FFileName;
  std::map<std::string, TValue, std::less<>> FValues;
};

// The file of a key: the key's parts after a leading "Software" become folders below the user's
// configuration folder ($XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config), the
// last part the file name with ".conf" ("Software\Ombrix\Vorandel" gives
// <config>/Ombrix/Vorandel.conf). Empty when there is no configuration folder or the key has
// no usable name.
TPathFileName SettingsFileName(std::string_view AKey);
