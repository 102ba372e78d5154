// The component running its tasks: start modes, progress and termination delivery and their
// order, stop, pause, the working state and the empty list.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>

#include "EncoderTestSupport.h"

namespace {

using Runs = EncoderTest;

TEST_F(Runs, OneAtATimeEachOnItsWorkerThenTheFinalNotice) {
  AddTasks(3);
  Encoder->SetProgressInterval(50);
  EXPECT_EQ(Encoder->ProgressInterval(), 100);
  std::atomic<int> running{0};
  std::atomic<int> mostAtOnce{0};
  std::mutex lock;
  std::vector<std::int64_t> intervals;
  std::set<TThreadID> workers;
  Encoder->Body = [&](TSeamTask& ATask) {
    const int now = ++running;
    mostAtOnce = std::max(mostAtOnce.load(), now);
    {
      std::lock_guard guard(lock);
      intervals.push_back(ATask.ReportInterval);
      workers.insert(GetCurrentThreadID());
    }
    ATask.Progress(7);
    --running;
  };
  struct TSeen {
    TProgressInfo Info;
    TThreadID Thread;
  };
  std::vector<TSeen> progress;
  Encoder->SetOnProgress([&](TObject* ASender, PProgressInfo AInfo) {
    EXPECT_EQ(ASender, Encoder.get());
    progress.push_back({*AInfo, GetCurrentThreadID()});
  });

  Encoder->Start(1);
  EXPECT_TRUE(Encoder->Working());
  ServeUntilFinal();

  const std::vector<TNotice> notices = TakeNotices();
  ASSERT_EQ(notices.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(notices[i].TaskIndex, i < 3 ? i : -1);
    EXPECT_TRUE(notices[i].Finished);
    EXPECT_FALSE(notices[i].Exception);
    EXPECT_EQ(notices[i].Thread, GetCurrentThreadID());  // delivered on the main thread
  }
  EXPECT_EQ(mostAtOnce, 1);
  EXPECT_EQ(workers.size(), 3u);
  EXPECT_EQ(workers.count(GetCurrentThreadID()), 0u);
  EXPECT_EQ(intervals, (std::vector<std::int64_t>{100000, 100000, 100000}));
  ASSERT_EQ(progress.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    const TProgressInfo& p = progress[i].Info;
    EXPECT_EQ(progress[i].Thread, GetCurrentThreadID());
    EXPECT_EQ(p.TaskIndex, i);
    EXPECT_EQ(p.FileIndex, 0);
    EXPECT_EQ(p.FrameNumber, 7);
    EXPECT_EQ(p.FPS, 25);
    EXPECT_FLOAT_EQ(p.Quality, 2.5f);
    EXPECT_FLOAT_EQ(p.BitRate, 128.0f);
    EXPECT_EQ(p.CurrentSize, 7000);
    EXPECT_EQ(p.CurrentDuration, 280000);
    EXPECT_EQ(p.TotalDuration, 4000000);
  }
  EXPECT_TRUE(Encoder->Terminated());
  EXPECT_TRUE(Encoder->Working());
  Encoder->ClearTasks();
  EXPECT_FALSE(Encoder->Working());
  EXPECT_FALSE(Encoder->Terminated());
  EXPECT_EQ(Encoder->TasksCount(), 0);
}

// Tasks 0 and 1 wait for each other, so they can only end when both run at once; task 2 starts
// only when one of them has ended, and never a third at once.
TEST_F(Runs, TwoThreadsRunTwoTasksTogether) {
  AddTasks(3);
  std::mutex lock;
  std::condition_variable changed;
  int started = 0;
  int running = 0;
  int mostAtOnce = 0;
  int endedBeforeTask2 = -1;
  Encoder->Body = [&](TSeamTask& ATask) {
    const int index = Encoder->GetTaskIndex(&ATask);
    std::unique_lock guard(lock);
    ++started;
    mostAtOnce = std::max(mostAtOnce, ++running);
    changed.notify_all();
    if (index < 2)
      changed.wait(guard, [&] { return started >= 2; });
    else
      endedBeforeTask2 = started - running;
    --running;
  };
  Encoder->Start(2);
  ServeUntilFinal();
  EXPECT_EQ(mostAtOnce, 2);
  EXPECT_GE(endedBeforeTask2, 1);
  std::vector<int> indexes = NoticeIndexes();
  ASSERT_EQ(indexes.size(), 4u);
  EXPECT_EQ(indexes.back(), -1);
  std::sort(indexes.begin(), indexes.end() - 1);
  EXPECT_EQ(indexes, (std::vector<int>{0, 1, 2, -1}));
}

TEST_F(Runs, OnTheCallingThreadStartReturnsAfterTheLast) {
  AddTasks(3);
  std::vector<TThreadID> bodies;
  Encoder->Body = [&](TSeamTask&) { bodies.push_back(GetCurrentThreadID()); };
  Encoder->Start(0);
  EXPECT_EQ(bodies, std::vector<TThreadID>(3, GetCurrentThreadID()));
  EXPECT_EQ(NoticeIndexes(), (std::vector<int>{0, 1, 2, -1}));
  for (const TNotice& n : TakeNotices()) EXPECT_EQ(n.Thread, GetCurrentThreadID());
  EXPECT_TRUE(Encoder->Terminated());
  Encoder->ClearTasks();
  EXPECT_FALSE(Encoder->Working());
}

// Stop(True) during task 0 of three: task 0 ends unfinished, tasks 1 and 2 never run but each
// notifies; the notices of the tasks that never ran come from a thread of their own, and the
// final notice comes after all of them.
TEST_F(Runs, StopDuringTheFirstTask) {
  AddTasks(3);
  Encoder->SetTriggerEventInMainThread(false);
  std::atomic<int> ran{0};
  std::atomic<bool> running{false};
  Encoder->Body = [&](TSeamTask& ATask) {
    ++ran;
    running = true;
    ATask.RunUntilStopped();
  };
  Encoder->Start(1);
  ServeUntil([&] { return running.load(); });
  Encoder->Pause();
  EXPECT_TRUE(Encoder->Paused());
  Encoder->Resume();
  EXPECT_FALSE(Encoder->Paused());
  Encoder->Stop(true);
  ServeUntilFinal();
  EXPECT_EQ(ran, 1);

  const std::vector<TNotice> notices = TakeNotices();
  ASSERT_EQ(notices.size(), 4u);
  EXPECT_EQ(notices.back().TaskIndex, -1);
  EXPECT_TRUE(notices.back().Finished);
  std::vector<int> indexes;
  for (std::size_t i = 0; i + 1 < notices.size(); ++i) {
    indexes.push_back(notices[i].TaskIndex);
    EXPECT_FALSE(notices[i].Finished);
    EXPECT_FALSE(notices[i].Exception);
  }
  std::sort(indexes.begin(), indexes.end());
  EXPECT_EQ(indexes, (std::vector<int>{0, 1, 2}));

  // Each notice was delivered on a thread other than the one on which its job ended.
  std::vector<TThreadID> ends;
  {
    std::lock_guard lock(Encoder->TerminateThreadsLock);
    ends = Encoder->TerminateThreads;
  }
  ASSERT_EQ(ends.size(), 3u);
  for (const TNotice& n : notices) {
    EXPECT_NE(n.Thread, GetCurrentThreadID());
    EXPECT_EQ(std::count(ends.begin(), ends.end(), n.Thread), 0);
  }
  Encoder->ClearTasks();
}

// The final notice waits for every task notice still on its way, also when several tasks end at
// the same time.
TEST_F(Runs, TheFinalNoticeComesLastAlsoWithConcurrentEnds) {
  AddTasks(4);
  Encoder->Body = [](TSeamTask&) {};
  std::atomic<int> taskNotices{0};
  std::atomic<bool> finalBeforeTasks{false};
  Encoder->SetTriggerEventInMainThread(false);
  Encoder->SetOnTerminate([&](TObject*, const TTerminateInfo& AInfo) {
    if (AInfo.TaskIndex >= 0) {
      // A slow handler: the others end meanwhile.
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      ++taskNotices;
    } else {
      finalBeforeTasks = taskNotices < 4;
      std::lock_guard lock(NoticesLock);
      Notices.push_back({-1, AInfo.Finished, false, "", GetCurrentThreadID()});
    }
  });
  Encoder->Start(4);
  ServeUntilFinal();
  EXPECT_FALSE(finalBeforeTasks);
  EXPECT_EQ(taskNotices, 4);
}

TEST_F(Runs, ATaskThatCannotStartReportsWhyAndTheNextRuns) {
  ASSERT_EQ(Encoder->AddTask(FixturePath(fxAviMpeg4Mp3)), 0);  // no output
  AddTasks(1);
  std::atomic<int> ran{0};
  Encoder->Body = [&](TSeamTask&) { ++ran; };
  Encoder->Start(1);
  ServeUntilFinal();
  const std::vector<TNotice> notices = TakeNotices();
  ASSERT_EQ(notices.size(), 3u);
  EXPECT_EQ(notices[0].TaskIndex, 0);
  EXPECT_TRUE(notices[0].Exception);
  EXPECT_FALSE(notices[0].Finished);
  EXPECT_EQ(notices[0].ExceptionMsg, "At least one output file must be specified");
  EXPECT_EQ(notices[1].TaskIndex, 1);
  EXPECT_TRUE(notices[1].Finished);
  EXPECT_EQ(notices[2].TaskIndex, -1);
  EXPECT_EQ(ran, 1);
}

// While working (and after the final notice, until ClearTasks) the calls that change the tasks
// raise and change nothing.
TEST_F(Runs, CallsThatChangeTasksRaiseWhileWorking) {
  AddTasks(2);
  std::atomic<bool> release{false};
  Encoder->Body = [&](TSeamTask&) {
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  };
  Encoder->Start(1);
  const auto expectRefusals = [&] {
    struct TCase {
      const char* Message;
      std::function<void()> Call;
    } cases[] = {
        {"Cannot AddTask while working.", [&] { Encoder->AddTask(FixturePath(fxWav)); }},
        {"Cannot AddInputFile while working.",
         [&] { Encoder->AddInputFile(0, FixturePath(fxWav)); }},
        {"Cannot SetOutputFile while working.", [&] { Encoder->SetOutputFile(0, Out("x.wav")); }},
        {"Cannot Exchange while working.", [&] { Encoder->Exchange(0, 1); }},
        {"Cannot RemoveTask while working.", [&] { Encoder->RemoveTask(0); }},
        {"Cannot StartTask while working.", [&] { Encoder->Start(1); }},
    };
    for (const TCase& c : cases) {
      try {
        c.Call();
        ADD_FAILURE() << "no error: " << c.Message;
      } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), c.Message);
      }
    }
    EXPECT_EQ(Encoder->TasksCount(), 2);
  };
  expectRefusals();
  try {
    Encoder->ClearTasks();
    ADD_FAILURE() << "ClearTasks while working";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Cannot ClearTasks while working.");
  }
  release = true;
  ServeUntilFinal();
  expectRefusals();
  Encoder->ClearTasks();
  EXPECT_EQ(Encoder->TasksCount(), 0);
  EXPECT_EQ(Encoder->AddTask(FixturePath(fxWav)), 0);
}

TEST_F(Runs, AnEmptyListGivesTheFinalNoticeAtOnce) {
  for (const int threads : {1, 0}) {
    Notices.clear();
    Encoder->Start(threads);
    const std::vector<TNotice> notices = TakeNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].TaskIndex, -1);
    EXPECT_TRUE(notices[0].Finished);
    EXPECT_FALSE(notices[0].Exception);
    EXPECT_TRUE(Encoder->Working());
    EXPECT_TRUE(Encoder->Terminated());
    EXPECT_THROW(Encoder->AddTask(FixturePath(fxWav)), Exception);
    Encoder->ClearTasks();
    EXPECT_FALSE(Encoder->Working());
  }
}

// Destroying the component during a run stops the task and delivers nothing afterwards.
TEST_F(Runs, DestructionDuringARunStopsAndStaysSilent) {
  AddTasks(2);
  std::atomic<bool> running{false};
  Encoder->Body = [&](TSeamTask& ATask) {
    running = true;
    ATask.RunUntilStopped();
  };
  Encoder->Start(1);
  ServeUntil([&] { return running.load(); });
  Encoder.reset();
  for (int i = 0; i < 20; ++i) WaitForMainThreadCalls(std::chrono::milliseconds(1));
  EXPECT_TRUE(TakeNotices().empty());
}

// A handler delivered from a worker may replace the handlers; the next event sees the change.
TEST_F(Runs, AHandlerMayReplaceHandlers) {
  AddTasks(2);
  Encoder->Body = [](TSeamTask& ATask) { ATask.Progress(1); };
  std::vector<int> seen;
  Encoder->SetOnProgress([&](TObject*, PProgressInfo AInfo) {
    seen.push_back(AInfo->TaskIndex);
    Encoder->SetOnProgress(nullptr);
  });
  Encoder->Start(1);
  ServeUntilFinal();
  EXPECT_EQ(seen, std::vector<int>{0});
}

TEST_F(Runs, AFailingHandlerDoesNotStopTheBatch) {
  AddTasks(2);
  Encoder->Body = [](TSeamTask&) {};
  Encoder->SetOnTerminate([this](TObject*, const TTerminateInfo& AInfo) {
    {
      std::lock_guard lock(NoticesLock);
      Notices.push_back({AInfo.TaskIndex, AInfo.Finished, false, "", GetCurrentThreadID()});
    }
    if (AInfo.TaskIndex == 0) throw Exception("handler failed");
  });
  for (const int threads : {1, 0}) {
    Notices.clear();
    Encoder->Start(threads);
    ServeUntilFinal();
    EXPECT_EQ(NoticeIndexes(), (std::vector<int>{0, 1, -1}));
    Encoder->ClearTasks();
    AddTasks(2);
  }
}

}  // namespace
