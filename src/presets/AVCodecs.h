// The output format catalogue: the presets of the Output Format list and their lookup.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// One row of the Output Format list: its text, its format code and its preset identifier.
struct TheAVCodec {
  std::string_view ComboText;  // shown text, also the lookup key
  std::string_view OutFormat;  // format code, upper case; the extension in lower case
  std::int32_t Number;         // preset identifier; cSeparatorNumber for a separator row
};

inline constexpr std::int32_t cSeparatorNumber = -1;

// 14 blanks followed by 41 hyphen-minus characters.
inline constexpr std::string_view cSeparatorText =
    "              -----------------------------------------";

// The 32 rows of the Output Format list in display order, separators included.
extern const std::array<TheAVCodec, 32> AVCodecs;

// True when the text is a separator row (14 blanks followed by four hyphens somewhere in it).
bool IsSeparatorText(std::string_view AText);

// The preset whose ComboText equals the text exactly (case-sensitive), scanning AVCodecs in
// order; nullptr when none matches. Separator rows are never returned.
const TheAVCodec* FindAVCodec(std::string_view AComboText);

// "." followed by the format code in lower case ("MP4" gives ".mp4").
std::string OutputExtension(std::string_view AOutFormat);
