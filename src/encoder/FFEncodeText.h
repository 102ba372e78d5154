// The option records built from option text: the text forms of AddTask, AddInputFile and
// SetOutputFile.
#pragma once

#include <string>

#include "FFEncodeRecords.h"

// A "TimeStart" line (any letter case) sets TimeStart (none when its value is not an Int64);
// every other line is kept in ExtOptions as name, "=", value and LF, the name as written.
TInputOptions InputOptionsFromText(const std::string& AText);

// Lines named after the record's hook and join flags set them (false exactly for "0"),
// "VideoHookBitsPixel" sets the bit depth (24 when it is not an integer), "TimeStart" and
// "TimeLength" set the times (none when not an Int64); names match in any letter case. Every
// other line is kept in ExtOptions as name, "=", value and LF.
TOutputOptions OutputOptionsFromText(const std::string& AText);
