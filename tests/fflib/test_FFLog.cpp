// Tests of the log router: level mapping, filtering, line assembly, repeat folding, delivery.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "Exceptions.h"
#include "FFHeaders.h"
#include "FFLog.h"

namespace {

struct TDelivery {
  TObject* Sender;
  TThreadID Thread;
  TLogLevel Level;
  std::string Text;
};

void LibraryLog(void* AContext, int ALevel, const char* AFormat, ...) {
  va_list args;
  va_start(args, AFormat);
  LibraryLogCallback(AContext, ALevel, AFormat, args);
  va_end(args);
}

const char* DummyName(void*) { return "dummy"; }
AVClass MakeDummyClass() {
  AVClass c{};
  c.class_name = "Dummy";
  c.item_name = DummyName;
  c.version = LIBAVUTIL_VERSION_INT;
  return c;
}
const AVClass DummyClass = MakeDummyClass();
struct TDummyContext {
  const AVClass* Class = &DummyClass;
};

class FFLogTest : public testing::Test {
 protected:
  void SetUp() override {
    SetMainThread();
    Logger.SetTriggerEventInMainThread(false);
    // A distinct line resets the repeat state that earlier tests of this process left.
    LibraryLog(nullptr, AV_LOG_INFO, "reset %s\n",
               testing::UnitTest::GetInstance()->current_test_info()->name());
    Logger.SetOnLog([this](TObject* s, TThreadID t, TLogLevel l, const std::string& m) {
      std::lock_guard<std::mutex> guard(Lock);
      Got.push_back({s, t, l, m});
    });
  }
  std::vector<std::string> Texts() {
    std::lock_guard<std::mutex> guard(Lock);
    std::vector<std::string> out;
    for (auto& d : Got) out.push_back(d.Text);
    return out;
  }
  TFFLogger Logger;
  std::mutex Lock;
  std::vector<TDelivery> Got;
};

using TTexts = std::vector<std::string>;

}  // namespace

TEST(FFLogLevels, LibraryLevelsMapBothWays) {
  const int ToLibrary[] = {-8, 0, 8, 16, 24, 32, 40, 48};
  for (int l = llQuiet; l <= llDebug; ++l)
    EXPECT_EQ(LogLevelToLibrary(static_cast<TLogLevel>(l)), ToLibrary[l]);
  const struct {
    int Library;
    TLogLevel Level;
  } Cases[] = {{-100, llQuiet}, {-16, llQuiet}, {-15, llQuiet},  {-9, llQuiet},  {-8, llQuiet},
               {-7, llPanic},   {0, llPanic},   {7, llPanic},    {8, llFatal},   {15, llFatal},
               {16, llError},   {23, llError},  {24, llWarning}, {32, llInfo},   {39, llInfo},
               {40, llVerbose}, {47, llVerbose}, {48, llDebug},  {99, llDebug}};
  for (auto c : Cases) EXPECT_EQ(LibraryToLogLevel(c.Library), c.Level) << c.Library;
}

TEST_F(FFLogTest, OptLogLevelTakesNamesAndNumbers) {
  const struct {
    const char* Text;
    TLogLevel Level;
  } Cases[] = {{"Warning", llWarning}, {"20", llError}, {"-1", llPanic},
               {"99", llDebug},        {"QUIET", llQuiet}, {"verbose", llVerbose}};
  for (auto c : Cases) {
    Logger.OptLogLevel(c.Text);
    EXPECT_EQ(Logger.LogLevel(), c.Level) << c.Text;
  }
  try {
    Logger.OptLogLevel("loud");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'loud' is not a valid integer value");
  }
  EXPECT_EQ(Logger.LogLevel(), llVerbose);
}

TEST_F(FFLogTest, DirectMessagesFollowTheLevelAndVerboseAlwaysPassesButAtQuiet) {
  Logger.SetLogLevel(llInfo);
  Logger.Log(nullptr, llWarning, "warning");
  Logger.Log(nullptr, llDebug, "debug");
  Logger.Log(nullptr, llVerbose, "verbose");
  Logger.Log(nullptr, llInfo, "info %d", 5);
  Logger.SetLogLevel(llQuiet);
  Logger.Log(nullptr, llQuiet, "quiet");
  Logger.Log(nullptr, llVerbose, "not verbose");
  EXPECT_EQ(Texts(), (TTexts{"warning", "verbose", "info 5", "quiet"}));
  ASSERT_FALSE(Got.empty());
  EXPECT_EQ(Got[0].Thread, GetCurrentThreadID());
}

TEST_F(FFLogTest, LibraryLinesFollowTheLibraryLevelOnly) {
  LibraryLog(nullptr, AV_LOG_VERBOSE, "too detailed\n");
  LibraryLog(nullptr, AV_LOG_ERROR, "an error\n");
  EXPECT_EQ(Texts(), (TTexts{"an error"}));
  EXPECT_EQ(Got[0].Level, llError);
  EXPECT_EQ(Got[0].Sender, &Logger);
}

TEST_F(FFLogTest, FragmentsMakeOneLineWithTheFirstPrefixAndTheLastLevel) {
  TDummyContext ctx;
  LibraryLog(&ctx, AV_LOG_WARNING, "part one, ");
  LibraryLog(&ctx, AV_LOG_INFO, "%s, ", "part two");
  LibraryLog(&ctx, AV_LOG_ERROR, "part %d\n", 3);
  char prefix[64];
  std::snprintf(prefix, sizeof prefix, "[dummy @ %p]", static_cast<void*>(&ctx));
  EXPECT_EQ(Texts(), (TTexts{std::string(prefix) + "part one, part two, part 3"}));
  EXPECT_EQ(Got[0].Level, llError);
}

TEST_F(FFLogTest, OneCallWithTwoLineFeedsGivesTwoLinesAndKeepsTheRest) {
  LibraryLog(nullptr, AV_LOG_INFO, "first\nsecond\nthird");
  EXPECT_EQ(Texts(), (TTexts{"first", "second"}));
  LibraryLog(nullptr, AV_LOG_INFO, " ends\n");
  EXPECT_EQ(Texts(), (TTexts{"first", "second", "third ends"}));
}

TEST_F(FFLogTest, ThreadsCollectTheirOwnLines) {
  LibraryLog(nullptr, AV_LOG_INFO, "main starts ");
  TThreadID other = 0;
  std::thread([&] {
    other = GetCurrentThreadID();
    LibraryLog(nullptr, AV_LOG_INFO, "other ");
    LibraryLog(nullptr, AV_LOG_INFO, "line\n");
  }).join();
  LibraryLog(nullptr, AV_LOG_INFO, "and ends\n");
  ASSERT_EQ(Texts(), (TTexts{"other line", "main starts and ends"}));
  EXPECT_EQ(Got[0].Thread, other);
  EXPECT_EQ(Got[1].Thread, GetCurrentThreadID());
}

TEST_F(FFLogTest, RepeatsFoldIntoOneNotice) {
  for (int i = 0; i < 5; ++i) LibraryLog(nullptr, AV_LOG_INFO, "same\n");
  LibraryLog(nullptr, AV_LOG_INFO, "other\n");
  LibraryLog(nullptr, AV_LOG_INFO, "twice\n");
  LibraryLog(nullptr, AV_LOG_INFO, "twice\n");
  LibraryLog(nullptr, AV_LOG_INFO, "after\n");
  EXPECT_EQ(Texts(), (TTexts{"same", "    Last message repeated 4 times", "other", "twice", "after"}));
}

TEST_F(FFLogTest, TheEmptyQuietMessageFlushesThePendingNotice) {
  for (int i = 0; i < 3; ++i) LibraryLog(nullptr, AV_LOG_INFO, "again\n");
  LibraryLog(nullptr, AV_LOG_QUIET, "%s", "");
  EXPECT_EQ(Texts(), (TTexts{"again", "    Last message repeated 2 times"}));
  LibraryLog(nullptr, AV_LOG_INFO, "again\n");  // the repeat state was reset
  EXPECT_EQ(Texts().back(), "again");
}

TEST_F(FFLogTest, LongMessagesAndHighBytesArriveWhole) {
  std::string longText(5000, 'x');
  LibraryLog(nullptr, AV_LOG_INFO, "%s\n", longText.c_str());
  LibraryLog(nullptr, AV_LOG_INFO, "caf\xe9 \xff\n");
  ASSERT_EQ(Texts().size(), 2u);
  EXPECT_EQ(Texts()[0], longText);
  EXPECT_EQ(Texts()[1], "caf\u00e9 \u00ff");
}

TEST_F(FFLogTest, LinesOfUnknownThreadsAreQueuedAndJobThreadsWait) {
  Logger.SetTriggerEventInMainThread(true);
  std::thread([] { LibraryLog(nullptr, AV_LOG_INFO, "from a codec worker\n"); }).join();
  EXPECT_TRUE(Texts().empty());
  ProcessMainThreadCalls();
  EXPECT_EQ(Texts(), (TTexts{"from a codec worker"}));

  std::atomic<bool> returned{false};
  std::thread job([&] {
    RegisterJobThread(GetCurrentThreadID());
    LibraryLog(nullptr, AV_LOG_INFO, "from a job\n");
    returned = true;
    UnregisterJobThread(GetCurrentThreadID());
  });
  while (Texts().size() < 2) WaitForMainThreadCalls(std::chrono::milliseconds(20));
  job.join();
  EXPECT_TRUE(returned);
  EXPECT_EQ(Texts().back(), "from a job");
}

TEST(FFLogRouter, AnApplicationRouterReplacesTheAutoCreatedOneOnlyOnce) {
  TFFLogger& automatic = GetLogger();
  automatic.SetLogLevel(llDebug);  // nothing bound: only the router's own level changes
  {
    TFFLogger mine;
    EXPECT_EQ(&GetLogger(), &mine);
    EXPECT_EQ(mine.LogLevel(), llInfo);  // the level last applied to the libraries
    try {
      TFFLogger second;
      FAIL() << "a second router was created";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), "Allow creating only one instance of TFFLogger.");
    }
  }
  EXPECT_NE(&GetLogger(), nullptr);  // a new auto-created router
}
