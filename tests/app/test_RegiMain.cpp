// The five stored settings: first run, reading rules, repair of a damaged key, and the font rule.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../platform/TempConfigFolder.h"
#include "RegiMain.h"
#include "SettingsStore.h"
#include "uVista.h"

// Shows a settings record in failure messages.
void PrintTo(const TRegiSettings& A, std::ostream* AOut) {
  *AOut << '{' << A.OutputFolder << ", " << A.ComboOutputFormat << ", " << A.Overwrite << ", "
        << A.DropDownItems << ", " << A.LetterBox << '}';
}

namespace {

// One stored value: a string, an integer, or absent.
struct TStored {
  enum { None, Text, Number } Kind = None;
  std::string String;
  std::int32_t Integer = 0;
};
TStored S(std::string AText) {
  return {TStored::Text, std::move(AText), 0};
}
TStored I(std::int32_t AValue) {
  return {TStored::Number, {}, AValue};
}

struct TStoredKey {
  TStored OutputFolder, ComboOutputFormat, Overwrite, DropDownItems, LetterBox;
};

void Store(const TStoredKey& AKey) {
  TSettingsStore store(cRegiKey);
  const std::pair<const char*, const TStored*> values[] = {
      {"Output Folder", &AKey.OutputFolder},
      {"ComboOutputFormat", &AKey.ComboOutputFormat},
      {"Overwrite", &AKey.Overwrite},
      {"DropDownItems", &AKey.DropDownItems},
      {"LetterBox", &AKey.LetterBox}};
  for (const auto& [name, value] : values) {
    if (value->Kind == TStored::Text) store.WriteString(name, value->String);
    if (value->Kind == TStored::Number) store.WriteInteger(name, value->Integer);
  }
  ASSERT_TRUE(store.Flush());
}

// The key holds exactly the values of ASettings, each with its type.
void ExpectStored(const TRegiSettings& ASettings) {
  TSettingsStore store(cRegiKey);
  EXPECT_EQ(store.ReadString("Output Folder"), ASettings.OutputFolder);
  EXPECT_EQ(store.ReadInteger("ComboOutputFormat"), ASettings.ComboOutputFormat);
  EXPECT_EQ(store.ReadInteger("Overwrite"), ASettings.Overwrite ? 1 : 0);
  EXPECT_EQ(store.ReadInteger("DropDownItems"), ASettings.DropDownItems);
  EXPECT_EQ(store.ReadInteger("LetterBox"), ASettings.LetterBox);
}

TEST(RegiMain, FirstRunWritesTheDefaults) {
  TTempConfigFolder config;
  TRegiSettings settings;
  LoadSettings(settings);
  EXPECT_EQ(settings, TRegiSettings());
  ASSERT_TRUE(std::filesystem::exists(config.VorandelFile()));
  ExpectStored({"", 0, false, 27, 0});
  TSettingsStore store(cRegiKey);
  EXPECT_EQ(store.TypeOf("Output Folder"), stString);
  EXPECT_EQ(store.TypeOf("Overwrite"), stInteger);
}

TEST(RegiMain, CompleteKeyIsAppliedAsTheControlsTakeIt) {
  struct TCase {
    TStoredKey Key;
    TRegiSettings Applied;
  };
  // The controls start from {"", 4, false, 27, 1} so that "not applied" shows.
  const TCase cases[] = {
      {{S("/videos"), I(0), I(0), I(27), I(0)}, {"/videos", 0, false, 27, 0}},
      {{S(""), I(31), I(1), I(100), I(1)}, {"", 31, true, 47, 1}},
      {{S("/a"), I(32), I(-7), I(5), I(2)}, {"/a", -1, true, 26, -1}},  // beyond the lists
      {{S("/b"), I(-1), I(0), I(-3), I(-5)}, {"/b", 4, false, 27, 1}},  // negatives not applied
      {{S("/c"), I(12), I(0), I(26), I(0)}, {"/c", 12, false, 26, 0}},
      {{S("/d"), I(2), I(0), I(47), I(0)}, {"/d", 2, false, 47, 0}},
      {{S("/e"), I(2), I(0), I(0), I(0)}, {"/e", 2, false, 26, 0}},
  };
  for (const TCase& c : cases) {
    TTempConfigFolder config;
    Store(c.Key);
    const std::string before = [&] {
      std::ifstream file(config.VorandelFile());
      return std::string(std::istreambuf_iterator<char>(file), {});
    }();
    TRegiSettings settings{"", 4, false, 27, 1};
    LoadSettings(settings);
    EXPECT_EQ(settings, c.Applied);
    std::ifstream file(config.VorandelFile());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), before) << "key rewritten";
  }
}

TEST(RegiMain, LargeDropDownCountReadsAs47AndIsSavedSo) {
  TTempConfigFolder config;
  Store({S("/out"), I(3), I(1), I(100), I(0)});
  TRegiSettings settings;
  LoadSettings(settings);
  EXPECT_EQ(settings.DropDownItems, 47);
  SaveSettings(settings);
  ExpectStored({"/out", 3, true, 47, 0});
}

TEST(RegiMain, DamagedKeyIsRewrittenWithTheStateReached) {
  struct TCase {
    const char* What;
    TStoredKey Key;
    TRegiSettings Reached;  // applied before the damaged value, then stored
  };
  const TCase cases[] = {
      {"Overwrite stored as a string",
       {S("/in/store"), I(5), S("1"), I(40), I(1)},
       {"/in/store", 5, false, 27, 0}},
      {"folder stored as an integer", {I(3), I(5), I(1), I(40), I(1)}, {"", 0, false, 27, 0}},
      {"folder missing, format a string", {{}, S("5"), I(1), I(40), I(1)}, {"", 0, false, 27, 0}},
      {"letterbox missing", {S("/x"), I(7), I(1), I(30), {}}, {"/x", 7, true, 30, 0}},
      {"count a string", {S("/y"), I(40), I(0), S("30"), I(1)}, {"/y", -1, false, 27, 0}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TTempConfigFolder config;
    Store(c.Key);
    TRegiSettings settings;
    LoadSettings(settings);
    EXPECT_EQ(settings, c.Reached);
    ExpectStored(c.Reached);
  }
}

TEST(RegiMain, UnwritableStoreIsSkippedSilently) {
  TTempConfigFolder config;
  std::ofstream(config.Root() + "/Ombrix") << "a file where the folder belongs";
  TRegiSettings settings;
  EXPECT_NO_THROW(LoadSettings(settings));
  EXPECT_EQ(settings, TRegiSettings());
  settings.OutputFolder = "/z";
  EXPECT_NO_THROW(SaveSettings(settings));
  EXPECT_EQ(TSettingsStore(cRegiKey).TypeOf("Output Folder"), stMissing);
}

TEST(uVista, SegoeUIRule) {
  EXPECT_FALSE(IsWindowsVistaOrLater());
  struct TCase {
    TFormFont Font;
    bool Installed;
    TFormFont Result;
  };
  const TCase cases[] = {
      {{"MS Sans Serif", 8}, true, {"Segoe UI", 9}},
      {{"MS Sans Serif", 8}, false, {"MS Sans Serif", 8}},
      {{"segoe ui", 9}, true, {"segoe ui", 9}},
      {{"Segoe UI", 9}, false, {"Segoe UI", 9}},
      {{"Segoe", 9}, true, {"Segoe UI", 10}},
  };
  for (const TCase& c : cases) {
    const TFormFont font = SegoeUIFontFor(c.Font, c.Installed);
    EXPECT_EQ(font.Name, c.Result.Name) << c.Font.Name;
    EXPECT_EQ(font.Size, c.Result.Size) << c.Font.Name;
  }
}

}  // namespace
