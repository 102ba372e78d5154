// The typed settings store: file place, round trip, types, damaged files and failed writes.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <climits>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "SettingsStore.h"
#include "TempConfigFolder.h"

namespace {

constexpr const char* cKey = "Software\\Ombrix\\Vorandel";

std::string ReadFile(const std::string& AName) {
  std::ifstream file(AName, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void WriteFile(const std::string& AName, const std::string& AText) {
  std::filesystem::create_directories(std::filesystem::path(AName).parent_path());
  std::ofstream(AName, std::ios::binary) << AText;
}

std::vector<std::string> FolderEntries(const std::string& AFolder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(AFolder))
    names.push_back(entry.path().filename());
  return names;
}

TEST(SettingsFileName, MapsTheKeyBelowTheConfigFolder) {
  TTempConfigFolder config;
  const std::string root = config.Root();
  const std::pair<const char*, std::string> cases[] = {
      {"Software\\Ombrix\\Vorandel", root + "/Ombrix/Vorandel.conf"},
      {"\\Software\\Ombrix\\Vorandel\\", root + "/Ombrix/Vorandel.conf"},
      {"software\\Ombrix", root + "/Ombrix.conf"},
      {"Ombrix\\\\Vorandel", root + "/Ombrix/Vorandel.conf"},
      {"Software", ""},
      {"", ""},
      {"Ombrix\\..\\Vorandel", ""},
      {"Ombrix\\a/b", ""},
  };
  for (const auto& [key, file] : cases) EXPECT_EQ(SettingsFileName(key), file) << key;
}

TEST(SettingsFileName, FallsBackToHomeConfig) {
  TTempConfigFolder config;
  const char* oldHome = std::getenv("HOME");
  const std::string savedHome = oldHome ? oldHome : "";
  ::setenv("HOME", "/home/someone", 1);
  ::setenv("XDG_CONFIG_HOME", "relative/config", 1);  // not absolute: ignored
  EXPECT_EQ(SettingsFileName(cKey), "/home/someone/.config/Ombrix/Vorandel.conf");
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(SettingsFileName(cKey), "/home/someone/.config/Ombrix/Vorandel.conf");
  ::unsetenv("HOME");
  EXPECT_EQ(SettingsFileName(cKey), "");
  TSettingsStore store(cKey);
  store.WriteInteger("A", 1);
  EXPECT_FALSE(store.Flush());
  if (oldHome) ::setenv("HOME", savedHome.c_str(), 1);
}

TEST(SettingsStore, ValuesSurviveARoundTrip) {
  TTempConfigFolder config;
  const std::pair<std::string, std::string> texts[] = {
      {"Output Folder", "/home/u/My \"Videos\"\\out"},
      {"Empty", ""},
      {"Lines", "one\ntwo\r\nthree\\n"},
      {"Unicode", "Vid\xC3\xA9os/\xE7\x9B\xAE\xE5\xBD\x95"},
      {"Odd \"name\" = ; [x]", "= ; \"int:5\""},
  };
  const std::pair<std::string, std::int32_t> numbers[] = {
      {"Zero", 0}, {"Min", INT32_MIN}, {"Max", INT32_MAX}, {"DropDownItems", 27}};
  {
    TSettingsStore store(cKey);
    for (const auto& [name, value] : texts) store.WriteString(name, value);
    for (const auto& [name, value] : numbers) store.WriteInteger(name, value);
    ASSERT_TRUE(store.Flush());
    EXPECT_EQ(store.FileName(), config.VorandelFile());
  }
  TSettingsStore store(cKey);
  for (const auto& [name, value] : texts) {
    EXPECT_EQ(store.TypeOf(name), stString) << name;
    EXPECT_EQ(store.ReadString(name), value) << name;
  }
  for (const auto& [name, value] : numbers) {
    EXPECT_EQ(store.TypeOf(name), stInteger) << name;
    EXPECT_EQ(store.ReadInteger(name), value) << name;
  }
  EXPECT_EQ(FolderEntries(config.Root() + "/Ombrix"), std::vector<std::string>{"Vorandel.conf"});
}

TEST(SettingsStore, StringAndIntegerStayApart) {
  TTempConfigFolder config;
  {
    TSettingsStore store(cKey);
    store.WriteString("Overwrite", "1");
    store.WriteInteger("LetterBox", 1);
    store.WriteInteger("Changed", 4);
    store.WriteString("Changed", "4");  // a later write replaces value and type
    ASSERT_TRUE(store.Flush());
  }
  TSettingsStore store(cKey);
  EXPECT_EQ(store.TypeOf("Overwrite"), stString);
  EXPECT_EQ(store.ReadInteger("Overwrite"), std::nullopt);
  EXPECT_EQ(store.TypeOf("LetterBox"), stInteger);
  EXPECT_EQ(store.ReadString("LetterBox"), std::nullopt);
  EXPECT_EQ(store.ReadString("Changed"), "4");
  EXPECT_EQ(store.ReadInteger("Changed"), std::nullopt);
  EXPECT_EQ(store.TypeOf("Missing"), stMissing);
  EXPECT_EQ(store.TypeOf("overwrite"), stMissing);  // names are exact
}

TEST(SettingsStore, DamagedLinesReadAsMissing) {
  TTempConfigFolder config;
  WriteFile(config.VorandelFile(),
            "; comment\n"
            "\"Good\"=int:7\r\n"
            "\"Text\"=\"fine\"\n"
            "\"Open\"=\"no end\n"
            "\"Trail\"=\"x\" y\n"
            "\"Escape\"=\"\\q\"\n"
            "\"Big\"=int:2147483648\n"
            "\"Small\"=int:-2147483649\n"
            "\"Letters\"=int:12x\n"
            "\"Blank\"=int:\n"
            "\"Spaced\" = int:3\n"
            "NoQuotes=int:1\n"
            "\"NoValue\"\n"
            "\"Binary\"=\"\x01\x02\xff\"\n" +
                std::string("\0\0\"Nul\"=int:1\n", 14) + "\"Cut\"=int:");
  TSettingsStore store(cKey);
  EXPECT_EQ(store.ReadInteger("Good"), 7);
  EXPECT_EQ(store.ReadString("Text"), "fine");
  EXPECT_EQ(store.ReadString("Binary"), "\x01\x02\xff");
  for (const char* name : {"Open", "Trail", "Escape", "Big", "Small", "Letters", "Blank", "Spaced",
                           "NoQuotes", "NoValue", "Nul", "Cut"})
    EXPECT_EQ(store.TypeOf(name), stMissing) << name;
}

TEST(SettingsStore, RandomBytesNeverCrash) {
  TTempConfigFolder config;
  std::string noise;
  std::uint32_t seed = 12345;
  for (int i = 0; i < 64 * 1024; ++i) {
    seed = seed * 1103515245u + 12345u;
    noise += static_cast<char>(seed >> 24);
  }
  WriteFile(config.VorandelFile(), noise);
  TSettingsStore store(cKey);
  EXPECT_EQ(store.TypeOf("Output Folder"), stMissing);
  store.WriteInteger("DropDownItems", 27);
  EXPECT_TRUE(store.Flush());
  EXPECT_EQ(TSettingsStore(cKey).ReadInteger("DropDownItems"), 27);
}

// Restores the file-size limit and the SIGXFSZ action on leaving the scope.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t ABytes) {
    ::getrlimit(RLIMIT_FSIZE, &FOld);
    FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = FOld;
    limit.rlim_cur = ABytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~TFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &FOld);
    std::signal(SIGXFSZ, FOldHandler);
  }

 private:
  rlimit FOld{};
  void (*FOldHandler)(int) = nullptr;
};

TEST(SettingsStore, FailedWriteLeavesTheOldFileIntact) {
  TTempConfigFolder config;
  {
    TSettingsStore store(cKey);
    store.WriteString("Output Folder", "/old");
    store.WriteInteger("ComboOutputFormat", 3);
    ASSERT_TRUE(store.Flush());
  }
  const std::string before = ReadFile(config.VorandelFile());
  {
    TSettingsStore store(cKey);
    store.WriteString("Output Folder", std::string(256 * 1024, 'n'));
    TFileSizeLimit limit(16 * 1024);  // the disk "fills up" in the middle of the write
    EXPECT_FALSE(store.Flush());
  }
  EXPECT_EQ(ReadFile(config.VorandelFile()), before);
  EXPECT_EQ(FolderEntries(config.Root() + "/Ombrix"), std::vector<std::string>{"Vorandel.conf"});
  TSettingsStore store(cKey);
  EXPECT_EQ(store.ReadString("Output Folder"), "/old");
  EXPECT_EQ(store.ReadInteger("ComboOutputFormat"), 3);
}

TEST(SettingsStore, UnwritablePlacesAreSkipped) {
  TTempConfigFolder config;
  // The folder "Ombrix" is a file.
  WriteFile(config.Root() + "/Ombrix", "not a folder");
  {
    TSettingsStore store(cKey);
    EXPECT_EQ(store.TypeOf("Output Folder"), stMissing);
    store.WriteString("Output Folder", "/x");
    EXPECT_FALSE(store.Flush());
  }
  // The store's file is a folder: the temporary file cannot replace it and is removed again.
  std::filesystem::remove(config.Root() + "/Ombrix");
  std::filesystem::create_directories(config.VorandelFile());
  {
    TSettingsStore store(cKey);
    store.WriteString("Output Folder", "/x");
    EXPECT_FALSE(store.Flush());
    EXPECT_EQ(FolderEntries(config.Root() + "/Ombrix"), std::vector<std::string>{"Vorandel.conf"});
  }
  // The configuration folder lies below a file.
  ::setenv("XDG_CONFIG_HOME", (config.Root() + "/Ombrix/Vorandel.conf/x/file").c_str(), 1);
  WriteFile(config.Root() + "/Ombrix/Vorandel.conf/x/file", "");
  TSettingsStore store(cKey);
  store.WriteInteger("LetterBox", 0);
  EXPECT_FALSE(store.Flush());
}

}  // namespace
