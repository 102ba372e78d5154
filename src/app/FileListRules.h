// The file list's columns and the texts the add flow writes into its cells.
#pragma once

#include <cstdint>
#include <string>

enum TListColumn { lcFileName, lcVideoSize, lcFramerate, lcDuration, lcOutput, lcStatus, lcFrames };
constexpr int ListColumnCount = lcFrames + 1;

enum TColumnAlignment { caLeft, caCentre };

struct TListColumnDef {
  const char* Caption;
  int Width;
  TColumnAlignment Alignment;
};

// Caption, width and alignment of every column, in column order.
extern const TListColumnDef ListColumns[ListColumnCount];

// The Status text of a row whose file the probe could not open.
constexpr const char* StatusError = "Error";

// hh:mm:ss of a duration in microseconds; each part truncated, hours with two or more digits.
std::string FormatDurationHMS(std::int64_t ADuration);
// The Duration cell: empty when the probe knows no duration (-1).
std::string DurationCellText(std::int64_t ADuration);
// The Video Size cell: width, "x", height.
std::string FormatVideoSize(int AWidth, int AHeight);
// The Framerate cell: num / den with up to 15 significant digits, no trailing zeros, the given
// decimal separator; empty when the denominator is 0 (no rate known).
std::string FormatFrameRate(int ANum, int ADen, const std::string& ADecimalSeparator);
// The Output cell: the upper-case three characters after "*." of an output-format text
// ("iPod (*.mp4)" gives MP4); empty when the text names no file type.
std::string OutputFormatCode(const std::string& AFormatText);
