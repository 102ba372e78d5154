// Tests of a job's run control: start checks, threads, stop, pause, notification, release.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "FFLog.h"
#include "FFmpegJob.h"
#include "MainThread.h"

namespace {

// A job whose run body is given by the test.
class TSeamJob : public TCustomFFmpeg {
 public:
  explicit TSeamJob(int AMaxFiles = 2) : TCustomFFmpeg(AMaxFiles) {
    SetOnTerminate([this](TObject* ASender) {
      EXPECT_EQ(ASender, this);
      TerminateThread = GetCurrentThreadID();
      ++Terminations;
      if (OnTerminated) OnTerminated();
    });
  }
  ~TSeamJob() override { Stop(true); }

  // Pretends one input and one output, so that the start checks pass.
  void AddFakeFiles() {
    Finput_files.emplace_back();
    Fnb_input_files = 1;
    Fnb_output_files = 1;
  }
  // The loop of a running job: check points until a stop is requested.
  void RunUntilStopped() {
    Running = true;
    while (!Broken()) {
      CheckPaused();
      ++Iterations;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  std::function<void(TSeamJob&)> Body;
  std::function<void()> OnTerminated;
  std::atomic<int> Terminations{0};
  std::atomic<TThreadID> TerminateThread{0};
  std::atomic<bool> Running{false};
  std::atomic<int> Iterations{0};
  using TCustomFFmpeg::CheckPaused;

 protected:
  void run_transcode() override {
    if (Body) Body(*this);
    FFinished = !Broken();
  }
};

class RunControl : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FFLoader().Load(TLibraries::All())) << FFLoader().LastErrMsg();
    SetMainThread();
  }
};

void WaitUntil(const std::function<bool()>& ACondition) {
  while (!ACondition()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST_F(RunControl, CapacityLimits) {
  EXPECT_THROW(TCustomFFmpeg(0), EAssertionFailed);
  EXPECT_THROW(TCustomFFmpeg(513), EAssertionFailed);
  TCustomFFmpeg big(512);
  EXPECT_EQ(big.MaxFiles(), 512);
  EXPECT_EQ(big.Foutput_files.size(), 512u);
}

TEST_F(RunControl, StartChecks) {
  struct TCase {
    bool Output;
    bool Input;
    const char* Message;
  } cases[] = {{false, false, "At least one output file must be specified"},
               {false, true, "At least one output file must be specified"},
               {true, false, "At least one input file must be specified"}};
  for (const auto& c : cases) {
    TSeamJob job;
    bool ran = false;
    job.Body = [&](TSeamJob&) { ran = true; };
    if (c.Output) job.Fnb_output_files = 1;
    if (c.Input) {
      job.Finput_files.emplace_back();
      job.Fnb_input_files = 1;
    }
    EXPECT_EQ(job.StartConvert(true), nullptr);
    EXPECT_FALSE(ran);
    EXPECT_EQ(job.FatalMessage(), c.Message);
    EXPECT_TRUE(job.FatalException());
    EXPECT_TRUE(job.Terminated());
    EXPECT_FALSE(job.Finished());
    EXPECT_FALSE(job.Converting());
    EXPECT_EQ(job.Terminations, 1);
    EXPECT_EQ(job.TerminateThread, GetCurrentThreadID());
    EXPECT_EQ(job.nb_output_files(), 0);  // released
    job.StopOrNotify(true);
    EXPECT_EQ(job.StartConvert(false), nullptr);
    EXPECT_EQ(job.Terminations, 1);
  }
}

TEST_F(RunControl, RunOnTheCallersThread) {
  TSeamJob job;
  job.AddFakeFiles();
  TThreadID bodyThread = 0;
  job.Body = [&](TSeamJob& j) {
    bodyThread = GetCurrentThreadID();
    EXPECT_TRUE(j.Converting());
    j.Pause();  // no worker: nothing happens
    j.CheckPaused();
    j.Resume();
  };
  EXPECT_EQ(job.StartConvert(false), nullptr);
  EXPECT_EQ(bodyThread, GetCurrentThreadID());
  EXPECT_EQ(job.TerminateThread, GetCurrentThreadID());
  EXPECT_EQ(job.Terminations, 1);
  EXPECT_TRUE(job.Finished());
  EXPECT_TRUE(job.Terminated());
  EXPECT_FALSE(job.FatalException());
  EXPECT_EQ(job.nb_input_files(), 0);
  EXPECT_EQ(job.StartConvert(false), nullptr);  // terminated is final
  EXPECT_EQ(job.Terminations, 1);
}

TEST_F(RunControl, TheEngineWithoutATranscodeReportsFailure) {
  TCustomFFmpeg job(1);
  int terminations = 0;
  job.SetOnTerminate([&](TObject*) { ++terminations; });
  job.Finput_files.emplace_back();
  job.Fnb_input_files = 1;
  job.Fnb_output_files = 1;
  job.StartConvert(false);
  EXPECT_EQ(terminations, 1);
  EXPECT_TRUE(job.FatalException());
  EXPECT_FALSE(job.Finished());
  EXPECT_FALSE(job.FatalMessage().empty());
}

TEST_F(RunControl, FailuresOfTheRunAreKeptAndStillNotified) {
  TSeamJob job;
  job.AddFakeFiles();
  int closed = 0;
  job.Body = [&](TSeamJob& j) {
    j.FEncoderList.Insert(&closed, [&] { ++closed; });
    j.FDecoderList.Insert(&j, [&] { ++closed; });
    j.FDecoderList.Insert(&job.Fnb_input_files, [&] { throw FFmpegException("close failed"); });
    throw FFmpegException("broken input");
  };
  std::vector<std::string> quiet;
  GetLogger().SetOnLog([&](TObject*, TThreadID, TLogLevel l, const std::string& m) {
    if (l == llQuiet) quiet.push_back(m);
  });
  job.StartConvert(false);
  GetLogger().SetOnLog(nullptr);
  EXPECT_EQ(closed, 2);  // every codec context is closed despite the failing one
  EXPECT_TRUE(job.FEncoderList.Empty());
  EXPECT_TRUE(job.FDecoderList.Empty());
  EXPECT_EQ(job.FatalMessage(), "close failed");  // the later failure overwrites
  EXPECT_EQ(quiet, (std::vector<std::string>{"broken input", "close failed"}));
  EXPECT_EQ(job.Terminations, 1);
  EXPECT_FALSE(job.Finished());
}

TEST_F(RunControl, CodecListRemovesByStream) {
  TCodecList list;
  int a = 0, b = 0, closes = 0;
  list.Insert(&a, [&] { ++closes; });
  list.Insert(&b, [&] { closes += 10; });
  list.Remove(&a);
  list.Remove(&closes);  // not in the list
  EXPECT_EQ(list.Count(), 1);
  list.CloseAll();
  EXPECT_EQ(closes, 10);
  EXPECT_TRUE(list.Empty());
}

TEST_F(RunControl, ThreadedRunStartsSuspendedAndStops) {
  TSeamJob job;
  job.AddFakeFiles();
  job.Body = [](TSeamJob& j) { j.RunUntilStopped(); };
  TConvertThread* worker = job.StartConvert(true);
  ASSERT_NE(worker, nullptr);
  EXPECT_FALSE(worker->Started());
  EXPECT_TRUE(job.Converting());
  EXPECT_EQ(job.StartConvert(true), nullptr);  // already running
  worker->Resume();
  WaitUntil([&] { return job.Running.load(); });
  job.Stop(true);
  EXPECT_TRUE(job.Terminated());
  EXPECT_FALSE(job.Finished());
  EXPECT_FALSE(job.Converting());
  EXPECT_EQ(job.Terminations, 1);
  EXPECT_NE(job.TerminateThread, GetCurrentThreadID());
  EXPECT_EQ(job.StartConvert(true), nullptr);
}

TEST_F(RunControl, LowPrioritiesLowerTheWorker) {
  TSeamJob job;
  job.AddFakeFiles();
  int nice = -100;
  job.Body = [&](TSeamJob&) {
    nice = getpriority(PRIO_PROCESS, static_cast<id_t>(GetCurrentThreadID()));
  };
  job.StartConvert(true, tpLowest)->Resume();
  job.Stop(true);
  EXPECT_GE(nice, 15);
}

TEST_F(RunControl, StopWithoutWaitingRunsASuspendedWorker) {
  TSeamJob job;
  job.AddFakeFiles();
  bool ran = false;
  job.Body = [&](TSeamJob& j) {
    ran = true;
    EXPECT_TRUE(j.Broken());
  };
  ASSERT_NE(job.StartConvert(true), nullptr);
  job.Stop(false);
  WaitUntil([&] { return job.Terminated(); });
  EXPECT_TRUE(ran);
  EXPECT_FALSE(job.Finished());
  EXPECT_EQ(job.Terminations, 1);
}

TEST_F(RunControl, StopWakesAPausedJob) {
  TSeamJob job;
  job.AddFakeFiles();
  job.Body = [](TSeamJob& j) { j.RunUntilStopped(); };
  job.StartConvert(true)->Resume();
  WaitUntil([&] { return job.Running.load(); });
  job.Pause();
  EXPECT_TRUE(job.Paused());
  job.Resume();
  EXPECT_FALSE(job.Paused());
  job.Pause();
  job.Stop(true);
  EXPECT_TRUE(job.Terminated());
  EXPECT_FALSE(job.Finished());
  EXPECT_EQ(job.Terminations, 1);
}

TEST_F(RunControl, WaitingStopServesTheWorkersMainThreadCalls) {
  TSeamJob job;
  job.AddFakeFiles();
  std::atomic<int> mainThreadCalls{0};
  job.Body = [&](TSeamJob& j) {
    CallInMainThread([&] { ++mainThreadCalls; });
    j.RunUntilStopped();
  };
  // The terminate handler hands its work to the main thread too, as the encoder component does.
  job.OnTerminated = [&] { CallInMainThread([&] { ++mainThreadCalls; }); };
  job.StartConvert(true)->Resume();
  job.Stop(true);
  EXPECT_EQ(mainThreadCalls, 2);
  EXPECT_EQ(job.Terminations, 1);
}

TEST_F(RunControl, StopOrNotifyOnANeverStartedJob) {
  TSeamJob job;
  job.OnTerminated = [&] { CallInMainThread([] {}); };
  job.StopOrNotify(true);
  EXPECT_EQ(job.Terminations, 1);
  EXPECT_NE(job.TerminateThread, GetCurrentThreadID());
  EXPECT_TRUE(job.Terminated());
  job.StopOrNotify(true);
  job.StopOrNotify(false);
  EXPECT_EQ(job.Terminations, 1);
  job.AddFakeFiles();
  EXPECT_EQ(job.StartConvert(false), nullptr);
  EXPECT_EQ(job.Terminations, 1);
}

TEST_F(RunControl, StopOrNotifyWithoutWaitingStillNotifiesOnce) {
  TSeamJob job;
  job.StopOrNotify(false);
  job.StopOrNotify(false);  // while the first notification may still be on its way
  WaitUntil([&] { return job.Terminated(); });
  EXPECT_EQ(job.Terminations, 1);
}

TEST_F(RunControl, StopOrNotifyStopsARunningJob) {
  TSeamJob job;
  job.AddFakeFiles();
  job.Body = [](TSeamJob& j) { j.RunUntilStopped(); };
  job.StartConvert(true)->Resume();
  WaitUntil([&] { return job.Running.load(); });
  job.StopOrNotify(true);
  EXPECT_EQ(job.Terminations, 1);
  EXPECT_FALSE(job.Finished());
}

TEST_F(RunControl, InterruptsOfBlockingCalls) {
  TCustomFFmpeg job(1);
  const TThreadID self = GetCurrentThreadID();
  {
    TCustomFFmpeg::TReadTimeoutScope scope(job);
    EXPECT_FALSE(InterruptCB().Interrupt(self));
    std::vector<std::string> info;
    GetLogger().SetOnLog(
        [&](TObject*, TThreadID, TLogLevel, const std::string& m) { info.push_back(m); });
    job.Stop(false);  // no worker: cancels the blocking call in progress
    EXPECT_TRUE(InterruptCB().Interrupt(self));
    GetLogger().SetOnLog(nullptr);
    EXPECT_EQ(info, (std::vector<std::string>{"connecting/reading/writing canceled"}));
    job.SetReadTimeout(0);  // no limit: nothing is cancelled
    EXPECT_FALSE(InterruptCB().Interrupt(self));
    job.SetReadTimeout(10000);
    scope.Restart();
    EXPECT_FALSE(InterruptCB().Interrupt(self));
  }
  EXPECT_FALSE(InterruptCB().Interrupt(self));

  TCustomFFmpeg other(1);
  {
    TCustomFFmpeg::TBrokenInterruptScope scope(other);
    EXPECT_FALSE(InterruptCB().Interrupt(self));
    other.Stop(false);
    EXPECT_TRUE(InterruptCB().Interrupt(self));
  }
  EXPECT_FALSE(InterruptCB().Interrupt(self));
}

// An output file the run left empty is deleted; one with data stays.
TEST_F(RunControl, ReleaseFilesDeletesEmptyOutputs) {
  for (const bool withData : {false, true}) {
    const std::string name = ::testing::TempDir() + (withData ? "full.avi" : "empty.avi");
    TCustomFFmpeg job(2);
    AVFormatContext* raw = nullptr;
    ASSERT_GE(FF.avformat_alloc_output_context2(&raw, nullptr, nullptr, name.c_str()), 0);
    job.Foutput_files[0].reset(raw);
    job.Fnb_output_files = 1;
    ASSERT_GE(FF.avio_open2(&raw->pb, name.c_str(), AVIO_FLAG_WRITE, nullptr, nullptr), 0);
    if (withData) FF.avio_write(raw->pb, reinterpret_cast<const unsigned char*>("data"), 4);
    ASSERT_TRUE(FileExists(name));
    job.ReleaseFiles();
    EXPECT_EQ(FileExists(name), withData) << name;
    EXPECT_EQ(job.nb_output_files(), 0);
    std::remove(name.c_str());
  }
}

}  // namespace
