// TDoTerminateThread and the hand-over between termination notifications.
#include "FFEncodeTerminate.h"

#include <chrono>
#include <exception>

#include "FFLog.h"
#include "MainThread.h"

int TTerminateHandOver::Enqueue() {
  std::lock_guard lock(FLock);
  return FEnqueued++;
}

void TTerminateHandOver::WaitTurn(int ATurn) {
  std::unique_lock lock(FLock);
  FChanged.wait(lock, [&] { return FHandedOver >= ATurn; });
}

void TTerminateHandOver::HandedOver() {
  {
    std::lock_guard lock(FLock);
    ++FHandedOver;
  }
  FChanged.notify_all();
}

TDoTerminateThread::TDoTerminateThread(FFEncode::TTerminateEvent AOnTerminate, TObject* ASender,
                                       const TTerminateInfo& ATerminateInfo,
                                       TTerminateHandOver& AThreadTerminated,
                                       bool ATriggerEventInMainThread)
    : FOnTerminate(std::move(AOnTerminate)),
      FSender(ASender),
      FTerminateInfo(ATerminateInfo),
      FThreadTerminated(AThreadTerminated),
      FTurn(AThreadTerminated.Enqueue()),
      FTriggerEventInMainThread(ATriggerEventInMainThread) {
  FThread = std::thread([this] { Execute(); });
}

TDoTerminateThread::~TDoTerminateThread() {
  WaitFor();
}

void TDoTerminateThread::WaitFor() {
  if (!FThread.joinable()) return;
  if (IsMainThread())
    while (!FDone) WaitForMainThreadCalls(std::chrono::milliseconds(10));
  FThread.join();
}

void TDoTerminateThread::Execute() {
  FThreadTerminated.WaitTurn(FTurn);
  // The handler runs only while the component lives; its destruction cancels what is pending.
  const auto deliver = [this] {
    if (!FThreadTerminated.Cancelled()) FOnTerminate(FSender, FTerminateInfo);
  };
  try {
    if (FOnTerminate) {
      if (FTriggerEventInMainThread)
        CallInMainThread(deliver);
      else
        deliver();
    }
  } catch (const std::exception& e) {
    // Nothing leaves this thread; the failure of the handler is logged.
    GetLogger().Log(FSender, llError, e.what());
  } catch (...) {
    GetLogger().Log(FSender, llError, "Unknown exception");
  }
  FThreadTerminated.HandedOver();
  FDone = true;
}
