// TDoTerminateThread: delivers one termination notification of the encoder component on a
// short-lived thread, and the hand-over that orders the final notification after the task ones.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "FFEncodeEvents.h"

// Hands the notifications over in the order they were created, so that the final one follows
// every task notification (not just the latest) and task notifications keep their order; once
// the component is being destroyed, notifications are dropped.
class TTerminateHandOver {
 public:
  // The turn of a new notification.
  int Enqueue();
  // Blocks until every notification enqueued before this turn has been handed over.
  void WaitTurn(int ATurn);
  // The notification of the current turn has been delivered (or has failed).
  void HandedOver();
  void Cancel() { FCancelled = true; }
  bool Cancelled() const { return FCancelled; }

 private:
  std::mutex FLock;
  std::condition_variable FChanged;
  int FEnqueued = 0;
  int FHandedOver = 0;
  std::atomic<bool> FCancelled{false};
};

class TDoTerminateThread {
 public:
  // Starts at once and delivers after the notifications created before it.
  TDoTerminateThread(FFEncode::TTerminateEvent AOnTerminate, TObject* ASender,
                     const TTerminateInfo& ATerminateInfo, TTerminateHandOver& AThreadTerminated,
                     bool ATriggerEventInMainThread);
  // Waits for the delivery; see WaitFor.
  ~TDoTerminateThread();
  TDoTerminateThread(const TDoTerminateThread&) = delete;
  TDoTerminateThread& operator=(const TDoTerminateThread&) = delete;

  bool Done() const { return FDone; }
  // Waits until the notification is delivered; on the main thread it serves the main-thread
  // calls meanwhile, since the delivery may be one of them.
  void WaitFor();

 private:
  void Execute();

  const FFEncode::TTerminateEvent FOnTerminate;
  TObject* const FSender;
  const TTerminateInfo FTerminateInfo;
  TTerminateHandOver& FThreadTerminated;
  const int FTurn;
  const bool FTriggerEventInMainThread;
  std::atomic<bool> FDone{false};
  std::thread FThread;
};
