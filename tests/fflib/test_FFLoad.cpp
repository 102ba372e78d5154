// Tests of the run-time loader: file names, folder rules, failures and the interrupt registry.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "FFLoad.h"

namespace {

// A new folder holding the fake swscale of the given build under its real soname. Each call
// makes its own copy: rewriting a file the process has mapped would corrupt the mapping.
std::string FakeFolder(const char* AFakeLibrary) {
  static int calls = 0;
  std::string folder = testing::TempDir() + AFakeLibrary + "_" + std::to_string(::getpid()) +
                       "_" + std::to_string(++calls) + "/";
  ::mkdir(folder.c_str(), 0755);
  std::string target = folder + TFFLoader::LibraryFileName(swScale);
  std::ifstream in(std::string(FAKE_LIB_DIR) + "/lib" + AFakeLibrary + ".so", std::ios::binary);
  std::ofstream out(target, std::ios::binary);
  out << in.rdbuf();
  return folder;
}

}  // namespace

TEST(FFLoad, FileNamesAreTheInstalledSonames) {
  EXPECT_EQ(TFFLoader::LibraryFileName(avCodec), "libavcodec.so." + std::to_string(LIBAVCODEC_VERSION_MAJOR));
  EXPECT_EQ(TFFLoader::LibraryFileName(avUtil), "libavutil.so." + std::to_string(LIBAVUTIL_VERSION_MAJOR));
  EXPECT_EQ(TFFLoader::LibraryFileName(swResample),
            "libswresample.so." + std::to_string(LIBSWRESAMPLE_VERSION_MAJOR));
  EXPECT_EQ(TFFLoader::LibraryFileName(myUtil), "libc.so.6");
}

TEST(FFLoad, LoadsEveryLibraryByBareNameWhenTheFolderLacksThem) {
  TFFLoader& loader = FFLoader();
  for (const char* folder : {"", "/nonexistent/folder"}) {
    loader.SetLibraryPath(folder);
    ASSERT_TRUE(loader.Load(TLibraries::All())) << loader.LastErrMsg();
    EXPECT_TRUE(loader.Loaded(TLibraries::All()));
    EXPECT_NE(FF.avformat_open_input, nullptr);
    EXPECT_NE(FF.swr_convert, nullptr);
    EXPECT_NE(FF.strtol, nullptr);
    loader.Unload(TLibraries::All());
  }
}

TEST(FFLoad, LoadingAgainBindsNothingNew) {
  TFFLoader& loader = FFLoader();
  ASSERT_TRUE(loader.Load(avUtil));
  auto bound = FF.av_log_set_level;
  ASSERT_TRUE(loader.Load(avUtil));
  EXPECT_EQ(FF.av_log_set_level, bound);
}

TEST(FFLoad, UnloadClearsTheEntries) {
  TFFLoader& loader = FFLoader();
  ASSERT_TRUE(loader.Load(TLibraries{avCodec, avUtil}));
  loader.Unload(avCodec);
  EXPECT_FALSE(loader.Loaded(avCodec));
  EXPECT_EQ(FF.avcodec_open2, nullptr);
  EXPECT_TRUE(loader.Loaded(avUtil));
  EXPECT_FALSE(loader.Loaded(TLibraries{avCodec, avUtil}));
}

TEST(FFLoad, AFileThatIsNoLibraryFailsWithTheFolderAndFileName) {
  std::string folder = testing::TempDir() + "broken_" + std::to_string(::getpid()) + "/";
  ::mkdir(folder.c_str(), 0755);
  std::ofstream(folder + TFFLoader::LibraryFileName(swScale)) << "not a library\n";
  TFFLoader& loader = FFLoader();
  loader.SetLibraryPath(folder);
  EXPECT_FALSE(loader.Load(swScale));
  std::string expected =
      "Load library " + folder + TFFLoader::LibraryFileName(swScale) + " error: ";
  EXPECT_EQ(loader.LastErrMsg().substr(0, expected.size()), expected) << loader.LastErrMsg();
  EXPECT_FALSE(loader.Loaded(swScale));
}

TEST(FFLoad, AMissingEntryPointFailsAndUnloadsTheLibrary) {
  TFFLoader& loader = FFLoader();
  loader.SetLibraryPath(FakeFolder("fake_swscale_partial"));
  EXPECT_FALSE(loader.Load(swScale));
  const std::string& msg = loader.LastErrMsg();
  EXPECT_EQ(msg.rfind("Load function sws_", 0), 0u) << msg;
  EXPECT_NE(msg.find("@" + TFFLoader::LibraryFileName(swScale) + " error: "), std::string::npos)
      << msg;
  EXPECT_NE(msg.find("undefined symbol"), std::string::npos) << msg;
  EXPECT_FALSE(loader.Loaded(swScale));
  EXPECT_EQ(FF.sws_freeContext, nullptr);
}

TEST(FFLoad, AWrongMajorVersionFailsNamingBoth) {
  TFFLoader& loader = FFLoader();
  loader.SetLibraryPath(FakeFolder("fake_swscale_oldversion"));
  EXPECT_FALSE(loader.Load(swScale));
  EXPECT_NE(loader.LastErrMsg().find("version 5.0.0 found"), std::string::npos)
      << loader.LastErrMsg();
  EXPECT_NE(loader.LastErrMsg().find("version " + std::to_string(LIBSWSCALE_VERSION_MAJOR) +
                                     ".x expected"),
            std::string::npos);
  EXPECT_FALSE(loader.Loaded(swScale));
}

TEST(FFLoad, ASetThatFailsUnloadsEveryMemberAlsoThoseLoadedBefore) {
  TFFLoader& loader = FFLoader();
  ASSERT_TRUE(loader.Load(avUtil));
  loader.SetLibraryPath(FakeFolder("fake_swscale_partial"));
  EXPECT_FALSE(loader.Load(TLibraries{avUtil, swResample, swScale, avFormat}));
  EXPECT_EQ(loader.LastErrMsg().rfind("Load function sws_", 0), 0u);
  for (TLibrary l : {avUtil, swResample, swScale, avFormat}) EXPECT_FALSE(loader.Loaded(l)) << l;
  EXPECT_EQ(FF.av_log, nullptr);
}

TEST(FFLoad, TheCLibraryIsAlwaysLoadedByBareName) {
  TFFLoader& loader = FFLoader();
  std::string folder = testing::TempDir() + "libc_" + std::to_string(::getpid()) + "/";
  ::mkdir(folder.c_str(), 0755);
  std::ofstream(folder + "libc.so.6") << "not a library\n";
  loader.SetLibraryPath(folder);
  EXPECT_TRUE(loader.Load(myUtil)) << loader.LastErrMsg();
}

TEST(InterruptCB, FirstEntryOfTheThreadAnswersAndDuplicatesAreOne) {
  TInterruptCB registry;
  TObject a, b;
  int asked = 0;
  int code1 = 0, code2 = 0;
  registry.Add(7, &a, &code1, [&](TObject* s) {
    ++asked;
    return s == &a;
  });
  registry.Add(7, &a, &code1, [](TObject*) { return false; });  // same entry: ignored
  registry.Add(7, &b, &code2, [](TObject*) { return false; });
  EXPECT_EQ(registry.LockList().size(), 2u);
  registry.UnlockList();
  EXPECT_TRUE(registry.Interrupt(7));
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(registry.Interrupt(8));
  registry.Remove(7, &a, &code1);
  EXPECT_FALSE(registry.Interrupt(7));
  registry.Clear();
  EXPECT_TRUE(registry.LockList().empty());
  registry.UnlockList();
}

TEST(InterruptCB, TheLibraryCallbackAsksTheCallingThreadOnly) {
  TObject sender;
  int code = 0;
  bool stop = true;
  InterruptCB().Add(GetCurrentThreadID(), &sender, &code, [&](TObject*) { return stop; });
  EXPECT_EQ(LibraryInterruptCallback(nullptr), 1);
  stop = false;
  EXPECT_EQ(LibraryInterruptCallback(nullptr), 0);
  InterruptCB().Remove(GetCurrentThreadID(), &sender, &code);
  stop = true;
  EXPECT_EQ(LibraryInterruptCB().callback(nullptr), 0);
}

TEST(TextHelpers, InvalidUTF8FromTheLibrariesGivesAnEmptyText) {
  EXPECT_EQ(UTF8ToText("Stra\xc3\x9f" "e"), "Stra\xc3\x9f" "e");
  EXPECT_EQ(UTF8ToText("bad \xff byte"), "");
  EXPECT_EQ(UTF8ToText("cut \xe2\x99"), "");
  EXPECT_EQ(UTF8ToText("overlong \xc0\xaf"), "");
  EXPECT_EQ(UTF8ToText(nullptr), "");
}
