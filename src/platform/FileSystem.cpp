// File and folder helpers on UTF-8 path texts (TPathFileName).
#include "FileSystem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

bool FileExists(const TPathFileName& AFileName) {
  struct stat st {};
  return ::stat(AFileName.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const TPathFileName& AFolder) {
  struct stat st {};
  return ::stat(AFolder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::int64_t FileSizeOf(const TPathFileName& AFileName) {
  struct stat st {};
  if (::stat(AFileName.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
  return st.st_size;
}

TPathFileName ExtractFilePath(const TPathFileName& AFileName) {
  auto pos = AFileName.rfind('/');
  return pos == TPathFileName::npos ? TPathFileName() : AFileName.substr(0, pos + 1);
}

TPathFileName ExtractFileName(const TPathFileName& AFileName) {
  auto pos = AFileName.rfind('/');
  return pos == TPathFileName::npos ? AFileName : AFileName.substr(pos + 1);
}

TPathFileName IncludeTrailingPathDelimiter(const TPathFileName& AFolder) {
  if (!AFolder.empty() && AFolder.back() == '/') return AFolder;
  return AFolder + '/';
}

TPathFileName ProgramFolder() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return TPathFileName();
  return ExtractFilePath(TPathFileName(buf, static_cast<size_t>(n)));
}
