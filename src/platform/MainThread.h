// The main-thread call queue: CallInMainThread, the main thread's identity and its draining.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

using TThreadID = std::uint32_t;

// The kernel id of the calling thread.
TThreadID GetCurrentThreadID();

// Makes the calling thread the main thread. Without a call, the first thread that asks is it.
void SetMainThread();
TThreadID MainThreadID();
bool IsMainThread();

// Runs the method on the main thread and waits until it has returned; on the main thread it is
// called at once. An exception thrown by the method reaches the waiting caller.
void CallInMainThread(const std::function<void()>& AMethod);

// Queues the method for the main thread and returns at once.
void PostToMainThread(std::function<void()> AMethod);

// Main thread: runs every pending call (also those queued meanwhile). True when any ran.
bool ProcessMainThreadCalls();

// Main thread: waits up to ATimeout for a pending call, then runs what is pending.
// A thread that waits for a worker uses this so that the worker's main-thread calls go on.
bool WaitForMainThreadCalls(std::chrono::milliseconds ATimeout);

// Called on the queuing thread after each call is queued; the GUI posts an event that makes its
// event loop call ProcessMainThreadCalls. Without a waker the main thread must poll.
void SetMainThreadWaker(std::function<void()> AWaker);
