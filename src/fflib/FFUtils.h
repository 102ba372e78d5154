// Library utilities of the engine: texts of FFmpeg error codes and the generic option store.
#pragma once

#include <span>
#include <string>

// One row of the error-text table.
struct TErrorText {
  int Code;
  const char* Text;
};
// A code that shares the row (and text) of another code.
struct TErrorAlias {
  int Code;
  int SharedCode;
};

std::span<const TErrorText> ErrorTextTable();
std::span<const TErrorAlias> ErrorAliasTable();

// The text of an FFmpeg error code; a code not in the table gives "Error number %d occurred".
std::string ErrorCodeText(int ACode);
// AName, ": " and the text of the code.
std::string ffmpeg_error_text(const std::string& AName, int ACode);
