// Texts of FFmpeg error codes, looked up in the error-text table.
#include "FFUtils.h"

#include <algorithm>

#include "TextFormat.h"

std::string ErrorCodeText(int ACode) {
  const auto aliases = ErrorAliasTable();
  const auto alias = std::find_if(aliases.begin(), aliases.end(),
                                  [ACode](const TErrorAlias& a) { return a.Code == ACode; });
  const int code = alias == aliases.end() ? ACode : alias->SharedCode;
  const auto rows = ErrorTextTable();
  const auto row = std::find_if(rows.begin(), rows.end(),
                                [code](const TErrorText& r) { return r.Code == code; });
  if (row == rows.end()) return Format("Error number %d occurred", ACode);
  return row->Text;
}

std::string ffmpeg_error_text(const std::string& AName, int ACode) {
  return AName + ": " + ErrorCodeText(ACode);
}
