// The names handed to the libraries for files: local files always through the file protocol.
#pragma once

#include <string>

#include "FileSystem.h"

// A "unicode:" name unchanged; a local file (an absolute path, or an existing file) as a
// "file:" URL, so that a name like "concat:x" or "http:y" chosen for a file is never taken for
// another protocol; any other name (a device or network address) unchanged. All in UTF-8.
std::string LibraryURL(const TPathFileName& AName);

// Whether the name is an absolute local path ("/..." on Linux; "X:\", "X:/" or "\\" on Windows).
bool IsAbsoluteLocalPath(const std::string& AName);
