// File and folder helpers on UTF-8 path texts (TPathFileName).
#pragma once

#include <cstdint>
#include <string>

using TPathFileName = std::string;  // UTF-8

bool FileExists(const TPathFileName& AFileName);
bool DirectoryExists(const TPathFileName& AFolder);
// Size of the file from its directory entry; -1 when it cannot be read.
std::int64_t FileSizeOf(const TPathFileName& AFileName);
// The folder part including its trailing delimiter ("" for a bare name).
TPathFileName ExtractFilePath(const TPathFileName& AFileName);
TPathFileName ExtractFileName(const TPathFileName& AFileName);
TPathFileName IncludeTrailingPathDelimiter(const TPathFileName& AFolder);
// Folder of the running program, with its trailing delimiter.
TPathFileName ProgramFolder();
