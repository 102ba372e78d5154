// Library URLs of file names.
#include "FFmpegURL.h"

#include <cctype>

#include "FFLoad.h"
#include "UnicodeProtocol.h"

bool IsAbsoluteLocalPath(const std::string& AName) {
#ifdef _WIN32
  if (AName.size() >= 3 && std::isalpha(static_cast<unsigned char>(AName[0])) && AName[1] == ':' &&
      (AName[2] == '\\' || AName[2] == '/'))
    return true;
  return AName.size() >= 2 && AName[0] == '\\' && AName[1] == '\\';
#else
  return !AName.empty() && AName[0] == '/';
#endif
}

std::string LibraryURL(const TPathFileName& AName) {
  const std::string url = FileNameToUTF8(AName);
  if (IsUnicodeURL(url)) return url;
  if (IsAbsoluteLocalPath(url) || FileExists(AName)) return "file:" + url;
  return url;
}
