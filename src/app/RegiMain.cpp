// The five user settings kept between runs: their names, defaults and read and write rules.
#include "RegiMain.h"

#include <algorithm>
#include <optional>

#include "AVCodecs.h"
#include "ChoiceLists.h"
#include "SettingsStore.h"

namespace {

constexpr std::string_view cOutputFolder = "Output Folder";
constexpr std::string_view cComboOutputFormat = "ComboOutputFormat";
constexpr std::string_view cOverwrite = "Overwrite";
constexpr std::string_view cDropDownItems = "DropDownItems";
constexpr std::string_view cLetterBox = "LetterBox";

// A drop-down list given a row index: rows beyond the list leave it without a selection.
std::int32_t RowWithin(std::int32_t ARow, std::size_t ARowCount) {
  return static_cast<std::size_t>(ARow) < ARowCount ? ARow : -1;
}

// Applies the stored values in order; false at the first value that is missing or of the
// wrong type (a missing folder is not an error).
bool ApplyStoredSettings(const TSettingsStore& AStore, TRegiSettings& ASettings) {
  if (AStore.TypeOf(cOutputFolder) == stInteger) return false;
  ASettings.OutputFolder = AStore.ReadString(cOutputFolder).value_or("");

  const std::optional<std::int32_t> format = AStore.ReadInteger(cComboOutputFormat);
  if (!format) return false;
  if (*format >= 0) ASettings.ComboOutputFormat = RowWithin(*format, AVCodecs.size());

  const std::optional<std::int32_t> overwrite = AStore.ReadInteger(cOverwrite);
  if (!overwrite) return false;
  ASettings.Overwrite = *overwrite != 0;

  const std::optional<std::int32_t> items = AStore.ReadInteger(cDropDownItems);
  if (!items) return false;
  if (*items >= 0)
    ASettings.DropDownItems = std::clamp(*items, cDropDownItemsMin, cDropDownItemsMax);

  const std::optional<std::int32_t> letterBox = AStore.ReadInteger(cLetterBox);
  if (!letterBox) return false;
  if (*letterBox >= 0) ASettings.LetterBox = RowWithin(*letterBox, LetterBoxRows.size());
  return true;
}

}  // namespace

void LoadSettings(TRegiSettings& ASettings) {
  if (!ApplyStoredSettings(TSettingsStore(cRegiKey), ASettings)) SaveSettings(ASettings);
}

void SaveSettings(const TRegiSettings& ASettings) {
  TSettingsStore store(cRegiKey);
  store.WriteString(cOutputFolder, ASettings.OutputFolder);
  store.WriteInteger(cComboOutputFormat, ASettings.ComboOutputFormat);
  store.WriteInteger(cOverwrite, ASettings.Overwrite ? 1 : 0);
  store.WriteInteger(cDropDownItems, ASettings.DropDownItems);
  store.WriteInteger(cLetterBox, ASettings.LetterBox);
  store.Flush();  // an unwritable store is skipped without a word
}
