// The encoder component: task list, records into job options, running the tasks, their events.
#include "FFEncode.h"

#include <chrono>
#include <exception>
#include <thread>

#include "FFEncodeApply.h"
#include "FFEncodeOptions.h"
#include "FFEncodeText.h"
#include "FFEncodeTime.h"
#include "FFLog.h"
#include "FFmpegOptionText.h"
#include "MainThread.h"
#include "ProbeText.h"
#include "TextFormat.h"

namespace {

// Acquires a lock; a main thread that has to wait keeps serving the main-thread calls, since
// the holder may be a worker handing an event to the main thread.
template <class TLock>
class TServingLock {
 public:
  explicit TServingLock(TLock& ALock) : FLock(ALock) {
    while (!FLock.try_lock()) {
      if (IsMainThread())
        WaitForMainThreadCalls(std::chrono::milliseconds(10));
      else
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  ~TServingLock() { FLock.unlock(); }
  TServingLock(const TServingLock&) = delete;
  TServingLock& operator=(const TServingLock&) = delete;

 private:
  TLock& FLock;
};

// The bit depths the hook bitmaps can have.
void CheckHookBitsPixel(int ABitsPixel) {
  switch (ABitsPixel) {
    case 8:
    case 15:
    case 16:
    case 24:
    case 32:
      return;
    default:
      throw Exception(Format("Invalid BitsPixel %d", ABitsPixel));
  }
}

TStreamDefaults StreamDefaultsOf(const TOutputOptions& AOptions) {
  return {AOptions.AudioCodec, AOptions.VideoCodec, AOptions.SubtitleCodec, AOptions.DataCodec,
          AOptions.FilePreset, AOptions.FrameSize,  AOptions.VideoFilters};
}

void LogHandlerFailure(TObject* ASender) {
  try {
    throw;
  } catch (const std::exception& e) {
    GetLogger().Log(ASender, llError, e.what());
  } catch (...) {
    GetLogger().Log(ASender, llError, "Unknown exception");
  }
}

}  // namespace

TCustomEncoder::TCustomEncoder(TObject* AOwner)
    : TFFBaseComponent(AOwner), FDecoder(std::make_unique<TFFDecoder>(this)) {}

TCustomEncoder::~TCustomEncoder() {
  // No task reaches the component any more, and no new task starts.
  FPendingTasks = 0;
  for (int i = 0; i < FFFmpegList.Count(); ++i) FFFmpegList.Items(i).Detach();
  Assign(FOnAudioHook, {});
  Assign(FOnBeforeFindStreamInfo, {});
  Assign(FOnProgress, {});
  Assign(FOnTerminate, {});
  // Through each family's lock, so that an event being delivered completes first.
  { TServingLock lock(FAudioHookLock); }
  { TServingLock lock(FFindStreamLock); }
  { TServingLock lock(FProgressLock); }
  std::list<std::unique_ptr<TDoTerminateThread>> threads;
  {
    TServingLock lock(FTerminateLock);
    threads.swap(FTerminateThreads);
  }
  // Every task stops and waits.
  FFFmpegList.Clear();
  // Notifications on their way are dropped; their threads end.
  FThreadTerminated.Cancel();
  threads.clear();
  FDecoder.reset();
}

TLibraries TCustomEncoder::Libraries() {
  return TLibraries::All();
}

bool TCustomEncoder::LoadAVLib(const TPathFileName& APath) {
  FFLoader().SetLibraryPath(APath);
  if (FFLoader().Load(Libraries())) return true;
  FLastErrMsg = FFLoader().LastErrMsg();
  return false;
}

bool TCustomEncoder::AVLibLoaded() const {
  return FFLoader().Loaded(Libraries());
}

void TCustomEncoder::UnloadAVLib() {
  FFLoader().Unload(Libraries());
}

void TCustomEncoder::CheckNotWorking(const char* AName) const {
  if (FWorking) throw Exception(Format("Cannot %s while working.", AName));
}

std::unique_ptr<TFFmpeg> TCustomEncoder::NewTask(int AMaxFiles) {
  return std::make_unique<TFFmpeg>(AMaxFiles, this);
}

bool TCustomEncoder::Silenced(TObject* ASender) {
  const auto* task = dynamic_cast<const TFFmpeg*>(ASender);
  return task && !task->Attached();
}

// ---- tasks and their inputs ------------------------------------------------------------------

void TCustomEncoder::ApplyInputRecord(TFFmpeg& ATask, int ASlot, TInputOptions& AOptions,
                                      const TPathFileName& AFileName) {
  if (AOptions.FileName.empty()) AOptions.FileName = AFileName;
  ATask.SetInputOptions(ASlot, AOptions);
  ATask.ApplyOptionLines(AOptions.ExtOptions, true);
  ApplyOptionSteps(ATask, InputRecordSteps(AOptions));
}

bool TCustomEncoder::OpenInput(TFFmpeg& ATask, const TPathFileName& AFileName) {
  const int slot = ATask.nb_input_files();
  ATask.SetReadTimeout(FReadTimeout);
  if (!ATask.add_input_file(AFileName)) {
    FLastErrMsg = ATask.LastErrMsg();
    return false;
  }
  ATask.Decoder(slot).SetFileHandle(ATask.Finput_files[slot].ctx.get());
  return true;
}

void TCustomEncoder::ConnectTask(TFFmpeg& ATask) {
  ATask.SetOnProgress([this](TObject* ASender, int AFileIndex, int AFrameNumber, int AFPS,
                             float AQuality, float ABitRate, std::int64_t ACurrentSize,
                             std::int64_t ACurrentDuration, std::int64_t ATotalDuration) {
    DoProgress(ASender, AFileIndex, AFrameNumber, AFPS, AQuality, ABitRate, ACurrentSize,
               ACurrentDuration, ATotalDuration);
  });
  TFFmpeg* task = &ATask;
  ATask.SetOnTerminate([this, task](TObject* ASender) {
    // The job has closed its inputs: the probes must not describe them any more.
    task->ReleaseDecoders();
    DoTerminate(ASender);
  });
}

int TCustomEncoder::AddTask(const TPathFileName& AFileName, PInputOptions AOptions) {
  CheckNotWorking("AddTask");
  std::unique_ptr<TFFmpeg> task = NewTask(FCustomMaxFiles);
  try {
    task->HaltOnInvalidOption = FHaltOnInvalidOption;
    task->SetParent(this);
    task->Fverbose = FVerbose;
    task->SetOnBeforeFindStreamInfo([this](TObject* ASender, AVFormatContext* AContext) {
      DoBeforeFindStreamInfo(ASender, AContext);
    });
    if (AOptions) ApplyInputRecord(*task, task->nb_input_files(), *AOptions, AFileName);
    if (!OpenInput(*task, AFileName)) return -1;
    ConnectTask(*task);
    FFFmpegList.Add(std::move(task));
    return FFFmpegList.Count() - 1;
  } catch (const std::exception& e) {
    FLastErrMsg = e.what();
    return -1;
  }
}

int TCustomEncoder::AddTask(const TPathFileName& AFileName, const std::string& AExtOptions) {
  TInputOptions options = InputOptionsFromText(AExtOptions);
  return AddTask(AFileName, &options);
}

bool TCustomEncoder::AddInputFile(int ATaskIndex, const TPathFileName& AFileName,
                                  PInputOptions AOptions) {
  CheckNotWorking("AddInputFile");
  TFFmpeg& task = FFFmpegList.Items(ATaskIndex);
  if (task.nb_input_files() >= task.MaxFiles()) {
    FLastErrMsg = Format("max input files %d reached", task.MaxFiles());
    return false;
  }
  const int slot = task.nb_input_files();
  try {
    task.HaltOnInvalidOption = FHaltOnInvalidOption;
    if (AOptions)
      ApplyInputRecord(task, slot, *AOptions, AFileName);
    else
      task.ResetInputOptions(slot);
    if (OpenInput(task, AFileName)) return true;
    task.ResetInputOptions(slot);
    return false;
  } catch (const std::exception& e) {
    FLastErrMsg = e.what();
    return false;
  }
}

bool TCustomEncoder::AddInputFile(int ATaskIndex, const TPathFileName& AFileName,
                                  const std::string& AExtOptions) {
  TInputOptions options = InputOptionsFromText(AExtOptions);
  return AddInputFile(ATaskIndex, AFileName, &options);
}

// ---- outputs ---------------------------------------------------------------------------------

void TCustomEncoder::ApplyOutputRecord(TFFmpeg& ATask, int ASlot, TOutputOptions& AOptions,
                                       const TPathFileName& AFileName, TStreamOptionQueue& AQueue) {
  const auto set = [&ATask](const std::string& AName, const std::string& AValue) {
    ATask.SetExtOption(AName, AValue);
  };
  if (AOptions.FileName.empty()) AOptions.FileName = AFileName;
  ATask.SetOutputOptions(ASlot, AOptions);
  AQueue.Collect(StreamDefaultsOf(AOptions), AOptions.ExtOptions);
  if (const auto target = TargetRecordOf(AOptions))
    ATask.apply_target(target->Type, target->Norm, target->DefaultNorm);
  for (const char* codec : {"acodec", "vcodec", "scodec", "dcodec"})
    set(codec, AQueue.Default(codec));
  ATask.apply_preset_file("fpre", AQueue.Default("fpre"));
  ATask.ApplyOptionLines(AOptions.ExtOptions, false);
  ApplyOptionSteps(ATask,
                   OutputRecordSteps(AOptions, TLocalClock{LocalNow(), LocalStandardOffset()}));
  set("s", AQueue.Default("s"));
  set("vf", AQueue.Default("vf"));
  // Picture hooks need the job's picture converters, which this engine build does not have; a
  // record asking for them fails rather than converting without them.
  if (AOptions.VideoInputHook || AOptions.VideoOutputHook || AOptions.FrameInputHook ||
      AOptions.FrameOutputHook)
    throw Exception("Video and frame hooks are not available in this build");
  CheckHookBitsPixel(AOptions.VideoHookBitsPixel);
  if (AOptions.AudioHook)
    ATask.SetOnAudioHook([this](TObject* ASender, std::int64_t APTS, const std::uint8_t* ASample,
                                int ASize, int ASampleRate, int AChannels,
                                AVSampleFormat ASampleFormat) {
      DoAudioHook(ASender, APTS, ASample, ASize, ASampleRate, AChannels, ASampleFormat);
    });
}

bool TCustomEncoder::SetOutputFile(int ATaskIndex, const TPathFileName& AFileName,
                                   POutputOptions AOptions) {
  CheckNotWorking("SetOutputFile");
  TFFmpeg& task = FFFmpegList.Items(ATaskIndex);
  if (task.nb_output_files() >= task.MaxFiles()) {
    FLastErrMsg = Format("max output files %d reached", task.MaxFiles());
    return false;
  }
  const int slot = task.nb_output_files();
  try {
    task.HaltOnInvalidOption = FHaltOnInvalidOption;
    TStreamOptionQueue queue;
    bool join = false;
    if (AOptions) {
      ApplyOutputRecord(task, slot, *AOptions, AFileName, queue);
      join = AOptions->Join;
    } else {
      task.ResetOutputOptions(slot);
    }
    task.SetReadTimeout(FReadTimeout);
    if (task.add_output_file(AFileName, join) < 0) {
      FLastErrMsg = task.LastErrMsg();
      task.ResetOutputOptions(slot);
      return false;
    }
    if (AOptions) {
      queue.ApplyMarkers(AOptions->ExtOptions,
                         [&task](const std::string& AName, const std::string& AValue) {
                           task.SetExtOption(AName, AValue);
                         });
      if (join) task.join_output_slots();
    }
    return true;
  } catch (const std::exception& e) {
    FLastErrMsg = e.what();
    return false;
  }
}

bool TCustomEncoder::SetOutputFile(int ATaskIndex, const TPathFileName& AFileName,
                                   const std::string& AExtOptions) {
  TOutputOptions options = OutputOptionsFromText(AExtOptions);
  return SetOutputFile(ATaskIndex, AFileName, &options);
}

// ---- the list ----------------------------------------------------------------------------------

void TCustomEncoder::ClearTasks() {
  if ((FWorking && !FTerminated) || FRunningOnCaller)
    throw Exception("Cannot ClearTasks while working.");
  // The last task may still be finishing its termination.
  TServingLock lock(FTerminateLock);
  FFFmpegList.Clear();
  FLastErrMsg.clear();
  FCompleteTasks = 0;
  FCurrentTask = -1;
  FPendingTasks = 0;
  FTerminated = false;
  FThreadMode = false;
  FWorking = false;
  FPaused = false;
  ReapTerminateThreads();
}

void TCustomEncoder::Exchange(int ATaskIndex1, int ATaskIndex2) {
  CheckNotWorking("Exchange");
  FFFmpegList.Exchange(ATaskIndex1, ATaskIndex2);
}

void TCustomEncoder::RemoveTask(int ATaskIndex) {
  CheckNotWorking("RemoveTask");
  FFFmpegList.Delete(ATaskIndex);
}

int TCustomEncoder::GetTaskIndex(const TFFmpeg* AFFmpeg) const {
  return FFFmpegList.IndexOf(AFFmpeg);
}

void TCustomEncoder::SetProgressInterval(int AValue) {
  FProgressInterval = AValue < 100 ? 100 : AValue;
}

// ---- running ---------------------------------------------------------------------------------

void TCustomEncoder::Start(int AThreadCount) {
  CheckNotWorking("StartTask");
  {
    TServingLock lock(FTerminateLock);
    FCompleteTasks = 0;
    ReapTerminateThreads();
  }
  FCurrentTask = 0;
  FPendingTasks = FFFmpegList.Count();
  FStopping = false;
  FTerminated = false;
  FThreadMode = AThreadCount > 0;
  FWorking = true;
  FPaused = false;
  if (FFFmpegList.Count() == 0) {
    // Nothing will terminate, so the final notification comes now and the component is done.
    TServingLock lock(FTerminateLock);
    NotifyAllTerminated();
    return;
  }
  if (FThreadMode) {
    for (int i = 0; i < AThreadCount && TasksPending(); ++i) StartNextTask();
  } else {
    FRunningOnCaller = true;
    try {
      while (TasksPending()) StartNextTask();
    } catch (...) {
      FRunningOnCaller = false;
      throw;
    }
    FRunningOnCaller = false;
  }
}

void TCustomEncoder::StartNextTask() {
  // Claims one pending task; Stop may empty the count at any time.
  int pending = FPendingTasks;
  do {
    if (pending <= 0) return;
  } while (!FPendingTasks.compare_exchange_weak(pending, pending - 1));
  TFFmpeg& task = FFFmpegList.Items(FCurrentTask++);
  task.ReportInterval = static_cast<std::int64_t>(FProgressInterval) * 1000;
  if (TConvertThread* worker = task.StartConvert(FThreadMode, FThreadPriority)) {
    // A Stop that came while the job was being started may have missed it.
    if (FStopping)
      task.Stop(false);
    else
      worker->Resume();
  }
}

void TCustomEncoder::Pause() {
  if (!FWorking || FPaused) return;
  FFFmpegList.Pause();
  FPaused = true;
}

void TCustomEncoder::Resume() {
  if (!FWorking || !FPaused) return;
  FFFmpegList.Resume();
  FPaused = false;
}

void TCustomEncoder::Stop(bool AWaitForStop) {
  FStopping = true;
  FPendingTasks = 0;
  if (FWorking) FFFmpegList.StopOrNotify(AWaitForStop);
}

// ---- events ----------------------------------------------------------------------------------

void TCustomEncoder::SetOnAudioHook(FFEncode::TAudioHookEvent AValue) {
  Assign(FOnAudioHook, std::move(AValue));
}

void TCustomEncoder::SetOnBeforeFindStreamInfo(FFEncode::TBeforeFindStreamInfoEvent AValue) {
  Assign(FOnBeforeFindStreamInfo, std::move(AValue));
}

void TCustomEncoder::SetOnProgress(FFEncode::TProgressEvent AValue) {
  Assign(FOnProgress, std::move(AValue));
}

void TCustomEncoder::SetOnTerminate(FFEncode::TTerminateEvent AValue) {
  Assign(FOnTerminate, std::move(AValue));
}

void TCustomEncoder::Deliver(const std::function<void()>& AHandler) const {
  if (FTriggerEventInMainThread)
    CallInMainThread(AHandler);
  else
    AHandler();
}

void TCustomEncoder::DoBeforeFindStreamInfo(TObject* Sender, AVFormatContext* AFormatContext) {
  std::lock_guard lock(FFindStreamLock);
  const auto handler = Copy(FOnBeforeFindStreamInfo);
  if (!handler || Silenced(Sender)) return;
  FSender = Sender;
  FAVFormatContext = AFormatContext;
  Deliver([&] { handler(FSender, FAVFormatContext); });
}

void TCustomEncoder::DoAudioHook(TObject* Sender, std::int64_t APTS, const std::uint8_t* ASample,
                                 int ASize, int ASampleRate, int AChannels,
                                 AVSampleFormat ASampleFormat) {
  std::lock_guard lock(FAudioHookLock);
  const auto handler = Copy(FOnAudioHook);
  if (!handler || Silenced(Sender)) return;
  handler(this, FFFmpegList.IndexOf(Sender), APTS, ASample, ASize, ASampleRate, AChannels,
          ASampleFormat);
}

void TCustomEncoder::DoProgress(TObject* Sender, int AFileIndex, int AFrameNumber, int AFPS,
                                float AQuality, float ABitRate, std::int64_t ACurrentSize,
                                std::int64_t ACurrentDuration, std::int64_t ATotalDuration) {
  std::lock_guard lock(FProgressLock);
  const auto handler = Copy(FOnProgress);
  if (!handler || Silenced(Sender)) return;
  FProgressInfo = {FFFmpegList.IndexOf(Sender),
                   AFileIndex,
                   AFrameNumber,
                   AFPS,
                   AQuality,
                   ABitRate,
                   ACurrentSize,
                   ACurrentDuration,
                   ATotalDuration};
  Deliver([&] { handler(this, &FProgressInfo); });
}

void TCustomEncoder::DoTerminate(TObject* Sender) {
  std::lock_guard lock(FTerminateLock);
  if (Silenced(Sender)) return;
  if (const auto handler = Copy(FOnTerminate)) {
    const auto* job = dynamic_cast<const TCustomFFmpeg*>(Sender);
    FTerminateInfo = {FFFmpegList.IndexOf(Sender), job && job->Finished(),
                      job && job->FatalException(), job ? job->FatalMessage() : std::string()};
    if (!FThreadMode && FWorking) {
      try {
        handler(this, FTerminateInfo);
      } catch (...) {
        LogHandlerFailure(this);  // the count below must go on, or the batch never ends
      }
    } else {
      NotifyOnThread(handler, FTerminateInfo);
    }
  }
  ++FCompleteTasks;
  if (TasksPending()) {
    if (FThreadMode) StartNextTask();
  } else if (FCompleteTasks >= FFFmpegList.Count()) {
    NotifyAllTerminated();
  }
}

void TCustomEncoder::NotifyAllTerminated() {
  FTerminated = true;
  const auto handler = Copy(FOnTerminate);
  if (!handler) return;
  FTerminateInfo = {-1, true, false, std::string()};
  if (FFFmpegList.Count() == 0) {
    Deliver([&] { handler(this, FTerminateInfo); });
  } else if (!FThreadMode && FWorking) {
    try {
      handler(this, FTerminateInfo);
    } catch (...) {
      LogHandlerFailure(this);
    }
  } else {
    NotifyOnThread(handler, FTerminateInfo);
  }
}

void TCustomEncoder::NotifyOnThread(const FFEncode::TTerminateEvent& AHandler,
                                    const TTerminateInfo& AInfo) {
  ReapTerminateThreads();
  FTerminateThreads.push_back(std::make_unique<TDoTerminateThread>(
      AHandler, this, AInfo, FThreadTerminated, FTriggerEventInMainThread));
}

void TCustomEncoder::ReapTerminateThreads() {
  FTerminateThreads.remove_if([](const auto& AThread) { return AThread->Done(); });
}
