// The main-thread call queue: CallInMainThread, the main thread's identity and its draining.
#include "MainThread.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>

namespace {

struct TPendingCall {
  std::function<void()> Method;
  bool Waited = false;
  bool Done = false;
  std::exception_ptr Error;
};

struct TCallQueue {
  std::mutex Lock;
  std::condition_variable Changed;
  std::deque<std::shared_ptr<TPendingCall>> Calls;
  std::function<void()> Waker;
};

TCallQueue& Queue() {
  static TCallQueue* q = new TCallQueue;  // lives to the very end: threads may post during exit
  return *q;
}

std::atomic<TThreadID> GMainThread{0};

void Enqueue(const std::shared_ptr<TPendingCall>& ACall) {
  std::function<void()> waker;
  {
    std::lock_guard<std::mutex> guard(Queue().Lock);
    Queue().Calls.push_back(ACall);
    waker = Queue().Waker;
  }
  Queue().Changed.notify_all();
  if (waker) waker();
}

bool RunPending() {
  bool ran = false;
  for (;;) {
    std::shared_ptr<TPendingCall> call;
    {
      std::lock_guard<std::mutex> guard(Queue().Lock);
      if (Queue().Calls.empty()) return ran;
      call = Queue().Calls.front();
      Queue().Calls.pop_front();
    }
    ran = true;
    try {
      call->Method();
    } catch (...) {
      if (!call->Waited) throw;
      call->Error = std::current_exception();
    }
    {
      std::lock_guard<std::mutex> guard(Queue().Lock);
      call->Done = true;
    }
    Queue().Changed.notify_all();
  }
}

}  // namespace

TThreadID GetCurrentThreadID() { return static_cast<TThreadID>(::syscall(SYS_gettid)); }

void SetMainThread() { GMainThread = GetCurrentThreadID(); }

TThreadID MainThreadID() {
  TThreadID expected = 0;
  GMainThread.compare_exchange_strong(expected, GetCurrentThreadID());
  return GMainThread;
}

bool IsMainThread() { return MainThreadID() == GetCurrentThreadID(); }

void CallInMainThread(const std::function<void()>& AMethod) {
  if (IsMainThread()) {
    AMethod();
    return;
  }
  auto call = std::make_shared<TPendingCall>();
  call->Method = AMethod;
  call->Waited = true;
  Enqueue(call);
  std::unique_lock<std::mutex> guard(Queue().Lock);
  Queue().Changed.wait(guard, [&] { return call->Done; });
  if (call->Error) std::rethrow_exception(call->Error);
}

void PostToMainThread(std::function<void()> AMethod) {
  auto call = std::make_shared<TPendingCall>();
  call->Method = std::move(AMethod);
  Enqueue(call);
}

bool ProcessMainThreadCalls() { return RunPending(); }

bool WaitForMainThreadCalls(std::chrono::milliseconds ATimeout) {
  {
    std::unique_lock<std::mutex> guard(Queue().Lock);
    Queue().Changed.wait_for(guard, ATimeout, [] { return !Queue().Calls.empty(); });
  }
  return RunPending();
}

void SetMainThreadWaker(std::function<void()> AWaker) {
  std::lock_guard<std::mutex> guard(Queue().Lock);
  Queue().Waker = std::move(AWaker);
}
