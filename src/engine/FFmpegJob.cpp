// Run control of a conversion job: construction, start, stop, pause, termination, release.
#include "FFmpegJob.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>

#include "FFLog.h"
#include "FileSystem.h"
#include "MainThread.h"

namespace {

constexpr int MaxFilesLimit = 512;
constexpr auto WaitSlice = std::chrono::milliseconds(20);

// Identities of the two interrupt procedures in the interrupt registry.
const char ReadTimeoutCode = 0;
const char BrokenCode = 0;

bool LibrariesLoaded() {
  return FFLoader().Loaded(TLibraries{avCodec, avFormat, avUtil, swScale});
}

std::string MessageOf(const std::exception_ptr& AFailure) {
  try {
    std::rethrow_exception(AFailure);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown exception";
  }
}

// Lower priorities become a higher nice value of the worker thread; an ordinary process cannot
// raise its threads above normal, so the higher ones run at normal priority.
void ApplyThreadPriority(TThreadPriority APriority) {
  static constexpr int Nice[] = {19, 15, 10, 0, 0, 0, 0};  // by TThreadPriority
  if (Nice[APriority] != 0)
    setpriority(PRIO_PROCESS, static_cast<id_t>(GetCurrentThreadID()), Nice[APriority]);
}

}  // namespace

// ---- worker thread -------------------------------------------------------------------------

TConvertThread::~TConvertThread() {
  if (!FThread.joinable()) return;
  if (FThread.get_id() == std::this_thread::get_id())
    FThread.detach();  // the owner is being destroyed from its own terminate handler
  else
    FThread.join();
}

void TConvertThread::Start() {
  if (FStarted.exchange(true)) return;
  // Reset before the thread exists, so that a Stop(True) right after the start waits for it.
  FOwner.FStopEvent.Reset();
  FThread = std::thread([this] {
    // Library lines of this thread are delivered like the job's own messages.
    RegisterJobThread(GetCurrentThreadID());
    ApplyThreadPriority(FPriority);
    FOwner.DoConvert();
    UnregisterJobThread(GetCurrentThreadID());
    FOwner.FStopEvent.Set();
  });
}

void TConvertThread::Resume() {
  if (!FStarted)
    Start();
  else
    FOwner.Resume();
}

// ---- construction ----------------------------------------------------------------------------

TCustomFFmpeg::TCustomFFmpeg(int AMaxFiles) : FMaxFiles(AMaxFiles) {
  if (AMaxFiles < 1 || AMaxFiles > MaxFilesLimit)
    throw EAssertionFailed(Format("Assertion failed: AMaxFiles must be 1 to %d", MaxFilesLimit));
  ResizeFileTables();
  InitializeOptions();
}

TCustomFFmpeg::~TCustomFFmpeg() {
  Stop(true);
  std::thread notifier;
  {
    std::lock_guard lock(FRunLock);
    notifier = std::move(FTermThread);
  }
  if (notifier.joinable()) {
    if (notifier.get_id() == std::this_thread::get_id())
      notifier.detach();  // destroyed from its own terminate handler
    else
      notifier.join();
  }
  FThreadOwner.reset();
  ReleaseFiles();
}

void TCustomFFmpeg::ResizeFileTables() {
  Finput_files_ts_offset.assign(FMaxFiles, 0);
  Finput_files_ts_scale.assign(FMaxFiles, {});
  Fnb_input_files_ts_scale.assign(FMaxFiles, 0);
  Foutput_files.clear();
  Foutput_files.resize(FMaxFiles);
}

void TCustomFFmpeg::InitializeOptions() {
  if (!LibrariesLoaded()) return;
  static_cast<TFFmpegFields&>(*this) = TFFmpegFields{};
  ResizeFileTables();
  FOptions.init_option_sets(SWS_BICUBIC);
  FConverting = false;
  FBroken = false;
  FFinished = false;
  FTerminated = false;
  FFatalException = false;
}

// ---- start and termination -----------------------------------------------------------------

TConvertThread* TCustomFFmpeg::StartConvert(bool AUseThread, TThreadPriority APriority) {
  {
    std::lock_guard lock(FRunLock);
    if (FConverting || FTerminated || FNotifyPending) return nullptr;
  }
  if (Fnb_output_files <= 0) return FailStart("At least one output file must be specified");
  if (Fnb_input_files == 0) return FailStart("At least one input file must be specified");
  // Cleared before the job shows as converting, so that a Stop seen from then on is kept.
  FBroken = false;
  FFinished = false;
  FTerminated = false;
  FConverting = true;
  if (!AUseThread) {
    DoConvert();
    return nullptr;
  }
  std::lock_guard lock(FRunLock);
  FThreadOwner = std::make_unique<TConvertThread>(*this, APriority);
  FThread = FThreadOwner.get();
  return FThreadOwner.get();
}

TConvertThread* TCustomFFmpeg::FailStart(const std::string& AMessage) {
  try {
    ReleaseFiles();
  } catch (...) {
    RecordFatal(MessageOf(std::current_exception()));
  }
  RecordFatal(AMessage);
  NotifyTerminate();
  return nullptr;
}

void TCustomFFmpeg::RecordFatal(const std::string& AMessage) {
  GetLogger().Log(this, llQuiet, AMessage);
  std::lock_guard lock(FFatalLock);
  FFatalException = true;
  FFatalMessage = AMessage;
}

std::string TCustomFFmpeg::FatalMessage() const {
  std::lock_guard lock(FFatalLock);
  return FFatalMessage;
}

void TCustomFFmpeg::DoConvert() {
  const auto guarded = [this](const std::function<void()>& AStep) {
    try {
      AStep();
    } catch (...) {
      RecordFatal(MessageOf(std::current_exception()));
    }
  };
  FFinished = false;
  guarded([this] { run_transcode(); });
  guarded([this] { FEncoderList.CloseAll(); });
  guarded([this] { FDecoderList.CloseAll(); });
  guarded([this] { ReleaseFiles(); });
  guarded([this] { NotifyTerminate(); });
  // Lets the log router emit a pending repetition notice and forget the repeated line.
  if (FF.av_log) FF.av_log(nullptr, AV_LOG_QUIET, "%s", "");
}

void TCustomFFmpeg::NotifyTerminate() {
  {
    std::lock_guard lock(FRunLock);
    if (FTerminated) return;  // exactly one notification per job
    FConverting = false;
    FTerminated = true;
    FThread = nullptr;
  }
  if (FOnTerminate) FOnTerminate(this);
}

// ---- stop, pause, resume ---------------------------------------------------------------------

void TCustomFFmpeg::WaitServingMainThread(const TManualResetEvent& AEvent) {
  while (!AEvent.IsSet()) {
    if (IsMainThread())
      WaitForMainThreadCalls(WaitSlice);
    else
      AEvent.WaitFor(WaitSlice);
  }
}

void TCustomFFmpeg::Stop(bool AWaitForStop) {
  FBroken = true;
  if (TConvertThread* worker = FThread) {
    {
      std::lock_guard lock(FPauseLock);
      FPaused = false;
    }
    FPauseChanged.notify_all();
    worker->Start();  // a job not yet started must run to notice the stop
    if (AWaitForStop) WaitServingMainThread(FStopEvent);
    return;
  }
  FLastRead = 0;
}

void TCustomFFmpeg::Pause() {
  TConvertThread* worker = FThread;
  if (!worker || !worker->Started()) return;
  std::lock_guard lock(FPauseLock);
  FPaused = true;
}

void TCustomFFmpeg::Resume() {
  TConvertThread* worker = FThread;
  if (!worker) return;
  if (!worker->Started()) {
    worker->Start();
    return;
  }
  {
    std::lock_guard lock(FPauseLock);
    FPaused = false;
  }
  FPauseChanged.notify_all();
}

bool TCustomFFmpeg::Paused() const {
  std::lock_guard lock(FPauseLock);
  return FPaused;
}

void TCustomFFmpeg::CheckPaused() {
  std::unique_lock lock(FPauseLock);
  FPauseChanged.wait(lock, [this] { return !FPaused || FBroken; });
}

void TCustomFFmpeg::StopOrNotify(bool AWaitForStop) {
  if (FConverting) {
    Stop(AWaitForStop);
    return;
  }
  {
    std::lock_guard lock(FRunLock);
    if (FTerminated) return;
    if (!FNotifyPending) {
      FNotifyPending = true;
      FTermEvent.Reset();
      FTermThread = std::thread([this] {
        NotifyTerminate();
        FTermEvent.Set();
      });
    }
  }
  // The handler may hand its work to the main thread, so a waiting main thread serves it.
  if (AWaitForStop) WaitServingMainThread(FTermEvent);
}

// ---- interrupts --------------------------------------------------------------------------------

bool TCustomFFmpeg::ReadTimeoutInterrupt(TObject* Sender) {
  if (Sender != this || FReadTimeout <= 0) return false;
  const std::int64_t lastRead = FLastRead;
  if (FF.av_gettime() - lastRead <= static_cast<std::int64_t>(FReadTimeout) * 1000) return false;
  GetLogger().Log(
      this, llInfo,
      lastRead == 0 ? "connecting/reading/writing canceled" : "connecting/reading/writing timeout");
  return true;
}

bool TCustomFFmpeg::BrokenInterrupt(TObject* Sender) {
  return Sender == this && FBroken;
}

TCustomFFmpeg::TReadTimeoutScope::TReadTimeoutScope(TCustomFFmpeg& AJob) : FJob(AJob) {
  Restart();
  InterruptCB().Add(GetCurrentThreadID(), &FJob, &ReadTimeoutCode,
                    [this](TObject* ASender) { return FJob.ReadTimeoutInterrupt(ASender); });
}

TCustomFFmpeg::TReadTimeoutScope::~TReadTimeoutScope() {
  FJob.FLastRead = NoTimeLimit;
  InterruptCB().Remove(GetCurrentThreadID(), &FJob, &ReadTimeoutCode);
}

void TCustomFFmpeg::TReadTimeoutScope::Restart() {
  FJob.FLastRead = FF.av_gettime();
}

TCustomFFmpeg::TBrokenInterruptScope::TBrokenInterruptScope(TCustomFFmpeg& AJob) : FJob(AJob) {
  InterruptCB().Add(GetCurrentThreadID(), &FJob, &BrokenCode,
                    [this](TObject* ASender) { return FJob.BrokenInterrupt(ASender); });
}

TCustomFFmpeg::TBrokenInterruptScope::~TBrokenInterruptScope() {
  InterruptCB().Remove(GetCurrentThreadID(), &FJob, &BrokenCode);
}

// ---- release ---------------------------------------------------------------------------------

void TCustomFFmpeg::ReleaseFiles() {
  if (!LibrariesLoaded()) return;
  for (int slot = 0; slot < Fnb_output_files && slot < FMaxFiles; ++slot) {
    TFormatContextPtr& output = Foutput_files[slot];
    if (output) {
      if (!(output->oformat->flags & AVFMT_NOFILE)) {
        CloseOutputIO(slot);
        const TPathFileName name = UTF8ToText(output->url);
        if (!name.empty() && FileExists(name) && FileSizeOf(name) == 0) std::remove(name.c_str());
      }
      output.reset();
    }
    if (FJoinMode) break;
  }
  for (auto& output : Foutput_files) output.reset();
  Fnb_output_files = 0;
  Foutput_streams_for_file.clear();
  Fnb_output_streams_for_file.clear();

  for (TAVInputFile& input : Finput_files) input.ctx.reset();
  Finput_files.clear();
  for (auto& scale : Finput_files_ts_scale) scale.clear();
  for (int& count : Fnb_input_files_ts_scale) count = 0;
  Fnb_input_files = 0;

  Fintra_matrix.clear();
  Finter_matrix.clear();
  Fvstats_file.reset();
  Fvstats_filename.clear();
  Fstreamid_map.clear();
  Fnb_streamid_map = 0;
  Finput_codecs.clear();
  Fnb_input_codecs = 0;
  Fstream_maps.clear();
  Fnb_stream_maps = 0;
  Fmeta_data_maps.clear();
  Fnb_meta_data_maps = 0;
  Fchapter_maps.clear();
  Fnb_chapter_maps = 0;
  Finput_streams.clear();
  Fnb_input_streams = 0;
  Fvideo_codec_name.clear();
  Faudio_codec_name.clear();
  Fsubtitle_codec_name.clear();
  Fdata_codec_name.clear();
  Fvideo_standard.clear();
  FOptions.free_option_sets();
  Fvideo_rc_override_string.clear();
  Fmetadata.reset();
}
