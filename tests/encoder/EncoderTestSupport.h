// Test support of the encoder component: loaded libraries, a scratch folder, a component whose
// tasks run a body given by the test, and the record of its notifications.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "FFEncode.h"
#include "FFLoad.h"
#include "FFLog.h"
#include "Fixtures.h"
#include "MainThread.h"

// A task whose conversion is the test's body instead of the transcode.
class TSeamTask : public TFFmpeg {
 public:
  using TFFmpeg::TFFmpeg;
  ~TSeamTask() override { Stop(true); }

  // One progress report as the transcode loop raises it, numbers derived from the frame.
  void Progress(int AFrame) {
    if (FOnProgress)
      FOnProgress(this, 0, AFrame, 25, 2.5f, 128.0f, AFrame * 1000LL, AFrame * 40000LL, 4000000);
  }
  // The loop of a running job: check points until a stop is requested.
  void RunUntilStopped() {
    while (!Broken()) {
      CheckPaused();
      ++Iterations;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  std::function<void(TSeamTask&)> Body;
  std::atomic<int> Iterations{0};

 protected:
  void run_transcode() override {
    if (Body) Body(*this);
    FFinished = !Broken();
  }
};

// The component with seam tasks; every new task gets Body.
class TSeamEncoder : public TFFEncoder {
 public:
  using TFFEncoder::TFFEncoder;
  std::function<void(TSeamTask&)> Body;
  // The threads on which the jobs reported their end to the component.
  std::vector<TThreadID> TerminateThreads;
  std::mutex TerminateThreadsLock;

 protected:
  std::unique_ptr<TFFmpeg> NewTask(int AMaxFiles) override {
    auto task = std::make_unique<TSeamTask>(AMaxFiles, this);
    task->Body = [this](TSeamTask& ATask) {
      if (Body) Body(ATask);
    };
    return task;
  }
  void DoTerminate(TObject* Sender) override {
    {
      std::lock_guard lock(TerminateThreadsLock);
      TerminateThreads.push_back(GetCurrentThreadID());
    }
    TFFEncoder::DoTerminate(Sender);
  }
};

// One delivered termination notification and the thread it was delivered on.
struct TNotice {
  int TaskIndex;
  bool Finished;
  bool Exception;
  std::string ExceptionMsg;
  TThreadID Thread;
};

class EncoderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FFLoader().Load(TCustomEncoder::Libraries())) << FFLoader().LastErrMsg();
    SetMainThread();
    char pattern[] = "/tmp/vorandel-encoder-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    Folder = pattern;
    Encoder = std::make_unique<TSeamEncoder>();
    Encoder->SetOnTerminate([this](TObject* ASender, const TTerminateInfo& AInfo) {
      EXPECT_EQ(ASender, Encoder.get());
      std::lock_guard lock(NoticesLock);
      Notices.push_back({AInfo.TaskIndex, AInfo.Finished, AInfo.Exception, AInfo.ExceptionMsg,
                         GetCurrentThreadID()});
    });
  }
  void TearDown() override {
    Encoder.reset();
    std::filesystem::remove_all(Folder);
  }

  std::string Out(const std::string& AName) const { return Folder + "/" + AName; }

  // Adds tasks reading the AVI fixture, each with an MP4 output; fails the test on a refusal.
  void AddTasks(int ACount) {
    for (int i = 0; i < ACount; ++i) {
      const int index = Encoder->AddTask(FixturePath(fxAviMpeg4Mp3));
      ASSERT_EQ(index, Encoder->TasksCount() - 1) << Encoder->LastErrMsg();
      ASSERT_TRUE(Encoder->SetOutputFile(index, Out("out" + std::to_string(i) + ".mp4")))
          << Encoder->LastErrMsg();
    }
  }

  // Serves the main-thread calls until the condition holds; a stuck run fails instead of
  // hanging the test program.
  static void ServeUntil(const std::function<bool()>& ACondition) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!ACondition()) {
      WaitForMainThreadCalls(std::chrono::milliseconds(5));
      ASSERT_LT(std::chrono::steady_clock::now(), limit) << "the run did not end";
    }
  }
  void ServeUntilFinal() {
    ServeUntil([this] {
      std::lock_guard lock(NoticesLock);
      return !Notices.empty() && Notices.back().TaskIndex == -1;
    });
  }

  std::vector<TNotice> TakeNotices() {
    std::lock_guard lock(NoticesLock);
    return Notices;
  }
  std::vector<int> NoticeIndexes() {
    std::vector<int> indexes;
    for (const TNotice& n : TakeNotices()) indexes.push_back(n.TaskIndex);
    return indexes;
  }

  std::string Folder;
  std::unique_ptr<TSeamEncoder> Encoder;
  std::mutex NoticesLock;
  std::vector<TNotice> Notices;
};
