// The encoder component: TCustomEncoder keeps the task list, turns option records into job
// options, runs the tasks and delivers their events; TFFEncoder is the component the program
// places.
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>

#include "FFDecode.h"
#include "FFEncodeEvents.h"
#include "FFEncodeRecords.h"
#include "FFEncodeTask.h"
#include "FFEncodeTerminate.h"
#include "FFLoad.h"
#include "TObject.h"

class TStreamOptionQueue;

class TCustomEncoder : public TFFBaseComponent {
 public:
  explicit TCustomEncoder(TObject* AOwner = nullptr);
  // Silences the events, lets an event being delivered complete, then stops and frees every task.
  ~TCustomEncoder() override;
  TCustomEncoder(const TCustomEncoder&) = delete;
  TCustomEncoder& operator=(const TCustomEncoder&) = delete;

  // The libraries of the component: all eight.
  static TLibraries Libraries();
  // Sets the loader's library folder and loads the component's libraries; the loader's message
  // in LastErrMsg on failure.
  bool LoadAVLib(const TPathFileName& APath);
  bool AVLibLoaded() const;
  void UnloadAVLib();

  // A new task reading the file: its index, or -1 with LastErrMsg. AOptions may be null; an
  // empty FileName in it is set to AFileName.
  int AddTask(const TPathFileName& AFileName, PInputOptions AOptions = nullptr);
  int AddTask(const TPathFileName& AFileName, const std::string& AExtOptions);
  bool AddInputFile(int ATaskIndex, const TPathFileName& AFileName,
                    PInputOptions AOptions = nullptr);
  bool AddInputFile(int ATaskIndex, const TPathFileName& AFileName, const std::string& AExtOptions);
  // Adds an output to the task; false with LastErrMsg.
  bool SetOutputFile(int ATaskIndex, const TPathFileName& AFileName,
                     POutputOptions AOptions = nullptr);
  bool SetOutputFile(int ATaskIndex, const TPathFileName& AFileName,
                     const std::string& AExtOptions);
  // Frees every task and returns to idle; raises "Cannot ClearTasks while working." while the
  // tasks have not all terminated.
  void ClearTasks();
  void Exchange(int ATaskIndex1, int ATaskIndex2);
  void RemoveTask(int ATaskIndex);
  int GetTaskIndex(const TFFmpeg* AFFmpeg) const;
  TFFmpeg& Task(int ATaskIndex) const { return FFFmpegList.Items(ATaskIndex); }

  // AThreadCount > 0: up to that many tasks at a time on worker threads, returning at once;
  // otherwise every task on the calling thread, returning after the last. An empty list gives
  // the final notification at once.
  void Start(int AThreadCount);
  void Pause();
  void Resume();
  // No further task starts; running tasks stop (waited for with AWaitForStop), tasks that never
  // started still notify.
  void Stop(bool AWaitForStop);

  TFFDecoder& Decoder() { return *FDecoder; }
  const std::string& LastErrMsg() const { return FLastErrMsg; }
  int TasksCount() const { return FFFmpegList.Count(); }
  int CustomMaxFiles() const { return FCustomMaxFiles; }
  void SetCustomMaxFiles(int AValue) { FCustomMaxFiles = AValue; }
  bool HaltOnInvalidOption() const { return FHaltOnInvalidOption; }
  void SetHaltOnInvalidOption(bool AValue) { FHaltOnInvalidOption = AValue; }
  int ProgressInterval() const { return FProgressInterval; }
  // Milliseconds; values below 100 are stored as 100.
  void SetProgressInterval(int AValue);
  int ReadTimeout() const { return FReadTimeout; }
  void SetReadTimeout(int AValue) { FReadTimeout = AValue; }
  bool Terminated() const { return FTerminated; }
  TThreadPriority ThreadPriority() const { return FThreadPriority; }
  void SetThreadPriority(TThreadPriority AValue) { FThreadPriority = AValue; }
  bool TriggerEventInMainThread() const { return FTriggerEventInMainThread; }
  void SetTriggerEventInMainThread(bool AValue) { FTriggerEventInMainThread = AValue; }
  void* UserData() const { return FData; }
  void SetUserData(void* AValue) { FData = AValue; }
  int Verbose() const { return FVerbose; }
  void SetVerbose(int AValue) { FVerbose = AValue; }
  bool Working() const { return FWorking; }
  bool Paused() const { return FPaused; }

  void SetOnAudioHook(FFEncode::TAudioHookEvent AValue);
  void SetOnBeforeFindStreamInfo(FFEncode::TBeforeFindStreamInfoEvent AValue);
  void SetOnProgress(FFEncode::TProgressEvent AValue);
  void SetOnTerminate(FFEncode::TTerminateEvent AValue);

  // The operations the tasks' jobs raise (connected per task).
  void DoBeforeFindStreamInfo(TObject* Sender, AVFormatContext* AFormatContext);
  void DoAudioHook(TObject* Sender, std::int64_t APTS, const std::uint8_t* ASample, int ASize,
                   int ASampleRate, int AChannels, AVSampleFormat ASampleFormat);

 protected:
  virtual void DoProgress(TObject* Sender, int AFileIndex, int AFrameNumber, int AFPS,
                          float AQuality, float ABitRate, std::int64_t ACurrentSize,
                          std::int64_t ACurrentDuration, std::int64_t ATotalDuration);
  // The job's end, on the thread that ran it.
  virtual void DoTerminate(TObject* Sender);
  // The task object of AddTask.
  virtual std::unique_ptr<TFFmpeg> NewTask(int AMaxFiles);

 private:
  void CheckNotWorking(const char* AName) const;
  void StartNextTask();
  void NotifyAllTerminated();
  // Applies an input record before the input is opened.
  void ApplyInputRecord(TFFmpeg& ATask, int ASlot, TInputOptions& AOptions,
                        const TPathFileName& AFileName);
  // Opens the input and attaches the slot's probe; false with LastErrMsg.
  bool OpenInput(TFFmpeg& ATask, const TPathFileName& AFileName);
  void ApplyOutputRecord(TFFmpeg& ATask, int ASlot, TOutputOptions& AOptions,
                         const TPathFileName& AFileName, TStreamOptionQueue& AQueue);
  // The job's progress and termination reach the component from now on.
  void ConnectTask(TFFmpeg& ATask);
  // True when the event comes from a task that is being destroyed.
  static bool Silenced(TObject* ASender);
  bool TasksPending() const { return FPendingTasks > 0; }
  // Calls the handler through the main thread when the component triggers events there.
  void Deliver(const std::function<void()>& AHandler) const;
  // Hands a termination notification to a TDoTerminateThread (FTerminateLock held), which
  // delivers it after those handed over before.
  void NotifyOnThread(const FFEncode::TTerminateEvent& AHandler, const TTerminateInfo& AInfo);
  // The user's handlers are read and written under FHandlersLock, never held while delivering,
  // so that a handler may reassign handlers.
  template <class T>
  T Copy(const T& AHandler) const {
    std::lock_guard lock(FHandlersLock);
    return AHandler;
  }
  template <class T>
  void Assign(T& AField, T AValue) {
    std::lock_guard lock(FHandlersLock);
    AField = std::move(AValue);
  }
  void ReapTerminateThreads();

  std::string FLastErrMsg;
  void* FData = nullptr;
  int FCustomMaxFiles = 20;
  bool FHaltOnInvalidOption = true;
  std::atomic<int> FProgressInterval{500};
  int FReadTimeout = 10000;
  std::atomic<TThreadPriority> FThreadPriority{tpNormal};
  std::atomic<bool> FTriggerEventInMainThread{true};
  int FVerbose = 1;
  TObject* FSender = nullptr;
  AVFormatContext* FAVFormatContext = nullptr;
  TProgressInfo FProgressInfo;
  TTerminateInfo FTerminateInfo;
  FFEncode::TAudioHookEvent FOnAudioHook;
  FFEncode::TBeforeFindStreamInfoEvent FOnBeforeFindStreamInfo;
  FFEncode::TProgressEvent FOnProgress;
  FFEncode::TTerminateEvent FOnTerminate;
  mutable std::mutex FHandlersLock;
  std::mutex FAudioHookLock;
  std::mutex FProgressLock;
  std::recursive_mutex FTerminateLock;  // a task that cannot start notifies inside the start
  std::mutex FFindStreamLock;
  TTerminateHandOver FThreadTerminated;
  std::list<std::unique_ptr<TDoTerminateThread>> FTerminateThreads;
  std::unique_ptr<TFFDecoder> FDecoder;
  TFFmpegList FFFmpegList;
  int FCompleteTasks = 0;  // under FTerminateLock
  std::atomic<int> FCurrentTask{-1};
  std::atomic<int> FPendingTasks{0};
  std::atomic<bool> FStopping{false};  // Stop was called since Start
  // Start(0) is running a task on this thread: freeing tasks now would free the running one.
  bool FRunningOnCaller = false;
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FThreadMode{false};
  std::atomic<bool> FWorking{false};
  std::atomic<bool> FPaused{false};
};

// The component the program places.
class TFFEncoder : public TCustomEncoder {
 public:
  using TCustomEncoder::TCustomEncoder;
};
