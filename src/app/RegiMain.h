// The five user settings kept between runs: their names, defaults and read and write rules.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr std::string_view cRegiKey = "Software\\Ombrix\\Vorandel";
inline constexpr std::int32_t cDropDownItemsMin = 26;
inline constexpr std::int32_t cDropDownItemsMax = 47;

// The states of the controls the settings come from; the defaults are the start-up states.
struct TRegiSettings {
  std::string OutputFolder;            // EditOutputFolder
  std::int32_t ComboOutputFormat = 0;  // selected row of ComboOutputFormat, -1 none
  bool Overwrite = false;              // CheckBoxOverWrite
  std::int32_t DropDownItems = 27;     // SpinEdit1, cDropDownItemsMin..cDropDownItemsMax
  std::int32_t LetterBox = 0;          // selected row of ComboLetterBox, -1 none

  friend bool operator==(const TRegiSettings&, const TRegiSettings&) = default;
};

// Applies the stored values to ASettings in the order output folder, output format, overwrite,
// drop-down items, letterbox, as the controls would take them: a missing folder reads as
// empty, a negative index or count is not applied, an index beyond its list selects no row
// (-1), a count is kept within 26..47. A missing value or one of the wrong type stops the
// reading there (what was applied stays applied) and saves ASettings as they then are, which
// also writes the defaults on the first run.
void LoadSettings(TRegiSettings& ASettings);

// Writes the five values ("Overwrite" as 1 or 0). A store that cannot be written is skipped
// silently.
void SaveSettings(const TRegiSettings& ASettings);
