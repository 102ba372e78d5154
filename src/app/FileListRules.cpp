// The file list's columns and the texts the add flow writes into its cells.
#include "FileListRules.h"

#include <cctype>
#include <charconv>

#include "TextFormat.h"

const TListColumnDef ListColumns[ListColumnCount] = {
    {"Video File Name", 300, caLeft}, {"Video Size", 90, caCentre}, {"Framerate", 90, caCentre},
    {"Duration", 85, caCentre},       {"Output", 65, caCentre},     {"Status", 57, caCentre},
    {"Frames", 60, caCentre},
};

std::string FormatDurationHMS(std::int64_t ADuration) {
  const std::int64_t seconds = ADuration / 1000000;
  return Format("%.2lld:%.2lld:%.2lld", static_cast<long long>(seconds / 60 / 60),
                static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
}

std::string DurationCellText(std::int64_t ADuration) {
  return ADuration == -1 ? std::string() : FormatDurationHMS(ADuration);
}

std::string FormatVideoSize(int AWidth, int AHeight) {
  return Format("%dx%d", AWidth, AHeight);
}

std::string FormatFrameRate(int ANum, int ADen, const std::string& ADecimalSeparator) {
  if (ADen == 0) return {};
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, static_cast<double>(ANum) / ADen,
                                    std::chars_format::general, 15);
  std::string rate(text, result.ptr);
  if (const std::size_t point = rate.find('.'); point != std::string::npos)
    rate.replace(point, 1, ADecimalSeparator);
  return rate;
}

std::string OutputFormatCode(const std::string& AFormatText) {
  // The text is trimmed of blanks and control characters first, as a list text may carry them.
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  std::size_t first = 0, last = AFormatText.size();
  while (first < last && blank(AFormatText[first])) ++first;
  while (last > first && blank(AFormatText[last - 1])) --last;
  const std::string text = AFormatText.substr(first, last - first);
  const std::size_t asterisk = text.find('*');
  if (asterisk == std::string::npos || asterisk + 2 > text.size()) return {};
  std::string code = text.substr(asterisk + 2, 3);
  for (char& c : code) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return code;
}
