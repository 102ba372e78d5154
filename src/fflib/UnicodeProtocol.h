// The "unicode" protocol: names "unicode:<file>" served by our own I/O context on a file.
#pragma once

#include <memory>
#include <string>

#include "FFHeaders.h"

constexpr const char UnicodeProtocolPrefix[] = "unicode:";

// Whether the libraries would be handed this name through the "unicode" protocol.
bool IsUnicodeURL(const std::string& AURL);

// The file named by a "unicode:" URL: the text up to and including the first ":" goes, then once
// more the text up to and including the next ":", if there is one.
std::string UnicodeFileName(const std::string& AURL);

// Closes the file and frees the context (flushing what was written).
struct TUnicodeIODeleter {
  void operator()(AVIOContext* AContext) const;
};
using TUnicodeIOPtr = std::unique_ptr<AVIOContext, TUnicodeIODeleter>;

// Opens the file of the URL as an I/O context for AVFormatContext.pb. AFlags: AVIO_FLAG_READ (1),
// AVIO_FLAG_WRITE (2) or both (read and write, created or emptied). Returns 0, or -2 when the
// file cannot be opened. Reads and writes ask the calling thread's interrupt procedure first, so a
// stop or time-out ends them with AVERROR_EXIT.
int OpenUnicodeIO(const std::string& AURL, int AFlags, TUnicodeIOPtr& AContext);
