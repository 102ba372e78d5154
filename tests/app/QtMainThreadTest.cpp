// The Qt waker: a worker's CallInMainThread runs on the GUI thread while its event loop runs.
#include <gtest/gtest.h>

#include <QTimer>
#include <atomic>
#include <thread>

#include "MainThread.h"
#include "QtMainThread.h"
#include "TestApplication.h"

namespace {

TEST(QtMainThreadWaker, WorkerCallsRunInTheEventLoop) {
  TestApplication();
  TQtMainThreadWaker waker;
  const TThreadID gui = GetCurrentThreadID();
  TThreadID ranOn = 0;
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    CallInMainThread([&] { ranOn = GetCurrentThreadID(); });
    returned = true;
    PostToMainThread([] { QCoreApplication::exit(0); });
  });
  QTimer safetyNet;  // ends a loop that the worker's call never reached
  safetyNet.callOnTimeout([] { QCoreApplication::exit(99); });
  safetyNet.start(60000);
  EXPECT_EQ(QCoreApplication::exec(), 0);
  worker.join();
  EXPECT_TRUE(returned);
  EXPECT_EQ(ranOn, gui);
}

}  // namespace
