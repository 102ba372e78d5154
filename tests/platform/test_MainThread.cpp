// Tests of the main-thread call queue.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "MainThread.h"

TEST(MainThread, CallsFromOtherThreadsRunOnTheMainThreadAndWait) {
  SetMainThread();
  std::atomic<int> wakes{0};
  SetMainThreadWaker([&] { ++wakes; });
  TThreadID ranOn = 0;
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    CallInMainThread([&] { ranOn = GetCurrentThreadID(); });
    returned = true;
  });
  while (!returned) WaitForMainThreadCalls(std::chrono::milliseconds(20));
  worker.join();
  SetMainThreadWaker(nullptr);
  EXPECT_EQ(ranOn, GetCurrentThreadID());
  EXPECT_EQ(wakes, 1);
}

TEST(MainThread, OnTheMainThreadTheCallRunsAtOnce) {
  SetMainThread();
  bool ran = false;
  CallInMainThread([&] { ran = true; });
  EXPECT_TRUE(ran);
  EXPECT_FALSE(ProcessMainThreadCalls());
}

TEST(MainThread, AnExceptionReachesTheWaitingThread) {
  SetMainThread();
  std::string caught;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    try {
      CallInMainThread([] { throw std::runtime_error("handler failed"); });
    } catch (const std::exception& e) {
      caught = e.what();
    }
    done = true;
  });
  while (!done) WaitForMainThreadCalls(std::chrono::milliseconds(20));
  worker.join();
  EXPECT_EQ(caught, "handler failed");
}

TEST(MainThread, PostedCallsRunInOrderWhenTheQueueIsDrained) {
  SetMainThread();
  std::vector<int> order;
  std::thread([&] {
    PostToMainThread([&] { order.push_back(1); });
    PostToMainThread([&] { order.push_back(2); });
  }).join();
  EXPECT_TRUE(order.empty());
  EXPECT_TRUE(ProcessMainThreadCalls());
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
}
