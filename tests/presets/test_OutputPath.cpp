// Output paths of list rows: the folder, the name from the input, the free "-N" names, and the
// guard against writing over the input.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "OutputPath.h"

namespace {

namespace fs = std::filesystem;

// A fresh folder, removed with everything in it at the end.
class TTempFolder {
 public:
  TTempFolder() {
    std::string pattern = (fs::temp_directory_path() / "vorandel-outpath-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
    FPath = pattern;
  }
  ~TTempFolder() {
    std::error_code error;
    fs::remove_all(FPath, error);
  }
  std::string Path() const { return FPath; }
  std::string Touch(const std::string& AName) const {
    const std::string path = FPath + "/" + AName;
    std::ofstream(path) << "x";
    return path;
  }

 private:
  std::string FPath;
};

TEST(ChangeFileExt, ReplacesTheFileNamesExtension) {
  const std::pair<const char*, const char*> cases[] = {
      {"/in/clip.rm", "/in/clip.mp4"},  {"/in/clip", "/in/clip.mp4"},
      {"/in.d/clip", "/in.d/clip.mp4"}, {"/in/clip.tar.gz", "/in/clip.tar.mp4"},
      {"clip.rmvb", "clip.mp4"},        {"/in/clip.", "/in/clip.mp4"},
  };
  for (const auto& [path, changed] : cases) EXPECT_EQ(ChangeFileExt(path, ".mp4"), changed) << path;
}

TEST(MakeUniqueOutputName, FirstFreeNumberedName) {
  struct TCase {
    std::vector<const char*> Present;
    const char* Expected;
  };
  const TCase cases[] = {
      {{}, "clip.mp4"},
      {{"clip.rm"}, "clip.mp4"},  // only the output extension counts
      {{"clip.mp4"}, "clip-1.mp4"},
      {{"clip.mp4", "clip-1.mp4"}, "clip-2.mp4"},
      {{"clip.mp4", "clip-2.mp4"}, "clip-1.mp4"},
      {{"clip-1.mp4"}, "clip.mp4"},
  };
  for (const TCase& c : cases) {
    TTempFolder folder;
    for (const char* name : c.Present) folder.Touch(name);
    EXPECT_EQ(MakeUniqueOutputName(folder.Path() + "/clip.rm", ".mp4"),
              folder.Path() + "/" + c.Expected)
        << c.Expected;
  }
}

TEST(MakeUniqueOutputName, FollowsSymbolicLinks) {
  TTempFolder folder;
  fs::create_symlink(folder.Touch("real.mp4"), folder.Path() + "/clip.mp4");
  fs::create_symlink(folder.Path() + "/missing.mp4", folder.Path() + "/clip-1.mp4");
  // clip.mp4 leads to a file; the dangling clip-1.mp4 leads nowhere and counts as free.
  EXPECT_EQ(MakeUniqueOutputName(folder.Path() + "/clip.rm", ".mp4"),
            folder.Path() + "/clip-1.mp4");
}

TEST(OutputPathOf, FolderInputNameAndOverwrite) {
  TTempFolder folder;
  folder.Touch("clip.mp4");
  folder.Touch("clip-1.mp4");
  const std::string out = folder.Path();
  EXPECT_EQ(OutputPathOf(out, "/in/clip.rm", ".mp4", false), out + "/clip-2.mp4");
  EXPECT_EQ(OutputPathOf(out, "/in/clip.rm", ".mp4", true), out + "/clip.mp4");
  EXPECT_EQ(OutputPathOf(out, "/in/clip.rm", ".mpg", false), out + "/clip.mpg");
  EXPECT_EQ(OutputPathOf(out + "/", "/in/clip.rm", ".mp4", true), out + "//clip.mp4");
  EXPECT_EQ(OutputPathOf(out, "/in.x/clip", ".ogg", true), out + "/clip.ogg");
}

// With overwrite on, a row whose output folder is the input's folder and whose preset extension
// is the input's would write over the file being read.
TEST(OutputNamesInput, DetectsTheInputUnderAnyName) {
  TTempFolder folder;
  const std::string dir = folder.Path();
  const std::string input = folder.Touch("clip.mp4");
  folder.Touch("other.mp4");
  fs::create_directory(dir + "/sub");
  fs::create_symlink(input, dir + "/link.mp4");

  EXPECT_TRUE(OutputNamesInput(OutputPathOf(dir, input, ".mp4", true), input));
  EXPECT_TRUE(OutputNamesInput(OutputPathOf(dir + "/", input, ".mp4", true), input));
  EXPECT_TRUE(OutputNamesInput(dir + "/sub/../clip.mp4", input));
  EXPECT_TRUE(OutputNamesInput(dir + "/link.mp4", input));
  EXPECT_FALSE(OutputNamesInput(OutputPathOf(dir, input, ".mp4", false), input));  // clip-1.mp4
  EXPECT_FALSE(OutputNamesInput(OutputPathOf(dir, input, ".avi", true), input));
  EXPECT_FALSE(OutputNamesInput(dir + "/other.mp4", input));
  EXPECT_FALSE(OutputNamesInput(dir + "/missing.mp4", dir + "/missing.mp4"));
}

}  // namespace
