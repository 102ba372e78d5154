// Tests of the "unicode" I/O context: name rule, round trip, size request, failures, interrupts.
#include <gtest/gtest.h>

#include <fstream>

#include "FFLoad.h"
#include "UnicodeProtocol.h"

namespace {

class UnicodeIOTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(FFLoader().Load(TLibraries{avUtil, avFormat})); }
  std::string Path(const char* AName) {
    return testing::TempDir() + std::to_string(::getpid()) + "_" + AName;
  }
};

}  // namespace

TEST(UnicodeName, LosesTheProtocolAndOneMoreColonPart) {
  const struct {
    const char* URL;
    const char* File;
  } Cases[] = {{"unicode:/tmp/a b.mp4", "/tmp/a b.mp4"},
               {"unicode:C:/media/x.rm", "/media/x.rm"},
               {"unicode:/tmp/one:two:three", "two:three"},
               {"unicode:", ""}};
  for (auto c : Cases) EXPECT_EQ(UnicodeFileName(c.URL), c.File) << c.URL;
  EXPECT_TRUE(IsUnicodeURL("unicode:/x"));
  EXPECT_FALSE(IsUnicodeURL("/tmp/unicode:x"));
}

TEST_F(UnicodeIOTest, WritesAndReadsBackWithTheSizeRequest) {
  std::string url = "unicode:" + Path("round\xc3\xa9.bin");
  std::string data(100000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
  {
    TUnicodeIOPtr out;
    ASSERT_EQ(OpenUnicodeIO(url, AVIO_FLAG_WRITE, out), 0);
    FF.avio_write(out.get(), reinterpret_cast<const unsigned char*>(data.data()),
                  static_cast<int>(data.size()));
  }  // closing flushes
  TUnicodeIOPtr in;
  ASSERT_EQ(OpenUnicodeIO(url, AVIO_FLAG_READ, in), 0);
  EXPECT_EQ(FF.avio_size(in.get()), 100000);
  EXPECT_EQ(IOContextPosition(in.get()), 0);
  std::string back(data.size(), '\0');
  int got = 0;
  while (got < static_cast<int>(back.size())) {
    int n = FF.avio_read(in.get(), reinterpret_cast<unsigned char*>(back.data()) + got,
                         static_cast<int>(back.size()) - got);
    ASSERT_GT(n, 0);
    got += n;
  }
  EXPECT_EQ(back, data);
  unsigned char extra;
  EXPECT_EQ(FF.avio_read(in.get(), &extra, 1), AVERROR_EOF);
  EXPECT_EQ(FF.avio_seek(in.get(), 10, SEEK_SET), 10);
}

TEST_F(UnicodeIOTest, AMissingFileGivesMinusTwo) {
  TUnicodeIOPtr in;
  EXPECT_EQ(OpenUnicodeIO("unicode:" + Path("missing/none.rm"), AVIO_FLAG_READ, in), -2);
  EXPECT_EQ(in, nullptr);
}

TEST_F(UnicodeIOTest, AStopOfTheThreadEndsReads) {
  std::string file = Path("stop.bin");
  std::ofstream(file) << "some bytes";
  TUnicodeIOPtr in;
  ASSERT_EQ(OpenUnicodeIO("unicode:" + file, AVIO_FLAG_READ, in), 0);
  TObject sender;
  int code = 0;
  InterruptCB().Add(GetCurrentThreadID(), &sender, &code, [](TObject*) { return true; });
  unsigned char buf[4];
  int n = FF.avio_read(in.get(), buf, sizeof buf);
  InterruptCB().Remove(GetCurrentThreadID(), &sender, &code);
  EXPECT_EQ(n, AVERROR_EXIT);
}
