// TCustomFFmpeg: one conversion job, its option fields with their defaults, and its run control.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "FFUtils.h"
#include "FFmpegTables.h"
#include "FileSystem.h"
#include "ManualResetEvent.h"
#include "TObject.h"

// Construction with an argument out of range.
class EAssertionFailed : public Exception {
 public:
  using Exception::Exception;
};

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// Media kinds of the per-kind frame limits.
enum TMaxFramesKind { mfVideo, mfAudio, mfData, mfSubtitle };

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TProgressEvent = std::function<void(
    TObject* Sender, int AFileIndex, int AFrameNumber, int AFPS, float AQuality, float ABitRate,
    std::int64_t ACurrentSize, std::int64_t ACurrentDuration, std::int64_t ATotalDuration)>;
using TAudioHookEvent =
    std::function<void(TObject* Sender, std::int64_t APTS, const std::uint8_t* ASample, int ASize,
                       int ASampleRate, int AChannels, AVSampleFormat ASampleFormat)>;
using TBeforeFindStreamInfoEvent =
    std::function<void(TObject* Sender, AVFormatContext* AFormatContext)>;

struct TFileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using TFilePtr = std::unique_ptr<std::FILE, TFileCloser>;

constexpr std::int64_t NoTimeLimit = INT64_MAX;

struct TAVOutputStream;  // FFmpegOutputStream.h
struct TTranscodeState;  // FFmpegSetup.h
struct TFoundCodec;      // FindCodec.h

// Every option and state field of a job that InitializeOptions resets, with its default.
struct TFFmpegFields {
  // Input and output files; the per-slot tables have FMaxFiles entries.
  std::vector<TAVInputFile> Finput_files;
  int Fnb_input_files = 0;
  std::vector<std::int64_t> Finput_files_ts_offset;
  std::vector<std::vector<double>> Finput_files_ts_scale;
  std::vector<int> Fnb_input_files_ts_scale;
  std::vector<const AVCodec*> Finput_codecs;
  int Fnb_input_codecs = 0;
  std::vector<TAVInputStream> Finput_streams;
  int Fnb_input_streams = 0;
  // Output container per slot; in join mode slot 0 holds the one context all slots share.
  std::vector<TFormatContextPtr> Foutput_files;
  int Fnb_output_files = 0;
  // Output stream records per slot, and the I/O of each slot opened through "unicode:".
  std::vector<std::vector<std::shared_ptr<TAVOutputStream>>> Foutput_streams_for_file;
  std::vector<int> Fnb_output_streams_for_file;
  std::vector<TUnicodeIOPtr> Foutput_unicode_io;

  // Maps.
  std::vector<TAVStreamMap> Fstream_maps;
  int Fnb_stream_maps = 0;
  std::vector<TAVMetaDataMapPair> Fmeta_data_maps;
  int Fnb_meta_data_maps = 0;
  std::vector<TAVChapterMap> Fchapter_maps;
  int Fnb_chapter_maps = 0;
  std::vector<int> Fstreamid_map;
  int Fnb_streamid_map = 0;
  int Fmetadata_global_autocopy = 1;
  int Fmetadata_streams_autocopy = 1;
  int Fmetadata_chapters_autocopy = 1;

  // Options consumed by the next input or output file.
  std::string Flast_asked_format;
  int Fframe_width = 0;
  int Fframe_height = 0;
  float Fframe_aspect_ratio = 0.0f;
  AVPixelFormat Fframe_pix_fmt = AV_PIX_FMT_NONE;
  int Fframe_bits_per_raw_sample = 0;
  AVRational Fframe_rate{0, 0};
  AVSampleFormat Faudio_sample_fmt = AV_SAMPLE_FMT_NONE;
  int Faudio_sample_rate = 0;
  int Faudio_channels = 0;
  std::int64_t Fchannel_layout = 0;
  float Fvideo_qscale = 0.0f;
  float Faudio_qscale = -99999.0f;           // not set
  std::vector<std::uint16_t> Fintra_matrix;  // empty, or 64 coefficients
  std::vector<std::uint16_t> Finter_matrix;
  std::string Fvideo_rc_override_string;
  bool Fvideo_disable = false;
  bool Faudio_disable = false;
  bool Fsubtitle_disable = false;
  bool Fdata_disable = false;
  std::string Fvideo_codec_name;
  std::string Faudio_codec_name;
  std::string Fsubtitle_codec_name;
  std::string Fdata_codec_name;
  std::uint32_t Fvideo_codec_tag = 0;
  std::uint32_t Faudio_codec_tag = 0;
  std::uint32_t Fsubtitle_codec_tag = 0;
  std::uint32_t Fdata_codec_tag = 0;
  std::string Fvideo_language;
  std::string Faudio_language;
  std::string Fsubtitle_language;
  int Fvideo_stream_copy = 0;
  int Faudio_stream_copy = 0;
  int Fsubtitle_stream_copy = 0;
  int Fdata_stream_copy = 0;
  // Bitstream filter chains by name; the instances are made once the codec parameters are known.
  std::vector<std::string> Fvideo_bitstream_filters;
  std::vector<std::string> Faudio_bitstream_filters;
  std::vector<std::string> Fsubtitle_bitstream_filters;
  int Fvideo_discard = 0;
  bool Fsame_quality = false;
  bool Fdo_deinterlace = false;
  bool Fintra_only = false;
  bool Floop_input = false;
  bool Fqp_hist = false;
  int Ftop_field_first = -1;  // from the input
  int Fme_threshold = 0;
  int Fintra_dc_precision = 8;
  int Floop_output = -1;
  std::string Fvfilters;
  bool FEnableFilter = false;
  std::string Fforced_key_frames;
  TDictionaryPtr Fmetadata;
  int Fvideo_channel = 0;
  std::string Fvideo_standard;
  int Fopt_programid = 0;

  // Job-wide options.
  std::array<int, 4> Fmax_frames{INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX};
  float Fmux_preload = 0.5f;
  float Fmux_max_delay = 0.7f;
  std::int64_t Frecording_time = NoTimeLimit;
  std::int64_t Fstart_time = 0;
  std::int64_t Finput_ts_offset = 0;
  std::int64_t Frecording_timestamp = 0;
  bool Fdo_hex_dump = false;
  bool Fdo_pkt_dump = false;
  bool Fdo_psnr = false;
  int Fdo_pass = 0;
  std::string Fpass_logfilename_prefix;
  int Fvideo_sync_method = -1;  // automatic
  int Faudio_sync_method = 0;
  float Faudio_drift_threshold = 0.1f;
  float Fdts_delta_threshold = 10.0f;
  bool Fcopy_ts = false;
  bool Fcopy_tb = false;
  bool Fopt_shortest = false;
  bool Frate_emu = false;
  bool Fexit_on_error = false;
  bool Fusing_vhook = false;
  bool Finput_sync = false;
  bool Fforce_fps = false;
  std::string Fvstats_filename;
  TFilePtr Fvstats_file;
  int Fcopy_initial_nonkeyframes = 0;
  int Faudio_volume = 256;
  int Fverbose = 1;
  int Fthread_count = 0;  // 0: automatic (frame or slice threads on every core)
  std::int64_t Flimit_filesize = 0;
  int Fbit_buffer_size = 262144;

  // Run-time state.
  std::int64_t Fvideo_size = 0;
  std::int64_t Faudio_size = 0;
  std::int64_t Fextra_size = 0;
  int Fnb_frames_dup = 0;
  int Fnb_frames_drop = 0;
  bool FShowDupOrDrop = false;
  std::int64_t Ftimer_start = 0;
  TFFOptions FOptions;
  TCodecList FEncoderList;
  TCodecList FDecoderList;

  std::int64_t FTotalOutputDuration = -1;
  bool FJoinMode = false;
};

class TCustomFFmpeg;

// The worker of a threaded job: created suspended, started by Resume.
class TConvertThread {
 public:
  TConvertThread(TCustomFFmpeg& AOwner, TThreadPriority APriority)
      : FOwner(AOwner), FPriority(APriority) {}
  ~TConvertThread();
  TConvertThread(const TConvertThread&) = delete;
  TConvertThread& operator=(const TConvertThread&) = delete;

  // Starts the run on the first call; later calls resume a paused job.
  void Resume();
  bool Started() const { return FStarted; }

 private:
  friend class TCustomFFmpeg;
  void Start();
  TCustomFFmpeg& FOwner;
  const TThreadPriority FPriority;
  std::thread FThread;
  std::atomic<bool> FStarted{false};
};

class TCustomFFmpeg : public TObject, public TFFmpegFields {
 public:
  // AMaxFiles sizes the per-file tables: 1 to 512, otherwise EAssertionFailed.
  explicit TCustomFFmpeg(int AMaxFiles);
  ~TCustomFFmpeg() override;
  TCustomFFmpeg(const TCustomFFmpeg&) = delete;
  TCustomFFmpeg& operator=(const TCustomFFmpeg&) = delete;

  // Null when the job is running or terminated, when the start checks fail (terminated with a
  // fatal message), and after a run on the caller's thread; otherwise the suspended worker.
  TConvertThread* StartConvert(bool AUseThread, TThreadPriority APriority = tpNormal);
  void Stop(bool AWaitForStop);
  // Cooperative: the running job waits at its next check point; a paused job raises no events.
  void Pause();
  void Resume();
  // Stops a converting job; otherwise delivers the terminate notification once, on a thread of
  // its own.
  void StopOrNotify(bool AWaitForStop);

  // Applies one option of the vocabulary.
  void SetExtOption(const std::string& AName, const std::string& AValue);

  // The option handlers that build outputs.
  void apply_target(const std::string& ATarget, const std::string& ANorm,
                    const std::string& ADefaultNorm);
  void apply_preset_file(const std::string& AOption, const std::string& AFileName);
  void add_stream_to_last_output(const std::string& AKind);
  void set_stream_id(const std::string& AOption, const std::string& AText);

  // Input files (FFmpegInput.cpp): false with LastErrMsg when the file cannot be added.
  bool add_input_file(const TPathFileName& AFileName);
  // Output files and streams (FFmpegOutput.cpp): the new number of outputs, or -1 with
  // LastErrMsg.
  int add_output_file(const TPathFileName& AFileName, bool AJoin);
  void join_output_slots();
  void new_video_stream(AVFormatContext* AOutput, int ASlot);
  void new_audio_stream(AVFormatContext* AOutput, int ASlot);
  void new_subtitle_stream(AVFormatContext* AOutput, int ASlot);
  void new_data_stream(AVFormatContext* AOutput, int ASlot);
  void check_inputs(bool AJoin, bool& AHasVideo, bool& AHasAudio, bool& AHasSubtitle,
                    bool& AHasData) const;
  TAVOutputStream& alloc_output_stream(AVFormatContext* AOutput, int ASlot);
  // Encoder or decoder by name; failures keep their message in LastErrMsg.
  TFoundCodec find_codec(const std::string& AName, AVMediaType AType, bool AEncoder, int AStrict);
  // The output context of a slot (in join mode all slots share slot 0's).
  AVFormatContext* OutputContext(int ASlot) const;
  // Closes the I/O of an output slot, whether a file or a "unicode:" context.
  void CloseOutputIO(int ASlot);

  // Closes every output (deleting outputs left empty) and input, and frees the job's tables.
  void ReleaseFiles();

  // Check point of the running job: waits while paused, returns at once when stopping.
  void CheckPaused();
  bool Broken() const { return FBroken; }

  int MaxFiles() const { return FMaxFiles; }
  int nb_input_files() const { return Fnb_input_files; }
  int nb_output_files() const { return Fnb_output_files; }
  bool Converting() const { return FConverting; }
  bool Finished() const { return FFinished; }
  bool FatalException() const { return FFatalException; }
  std::string FatalMessage() const;
  const std::string& LastErrMsg() const { return FLastErrMsg; }
  bool Terminated() const { return FTerminated; }
  bool Paused() const;
  std::int64_t TotalOutputDuration() const { return FTotalOutputDuration; }
  int ReadTimeout() const { return FReadTimeout; }
  void SetReadTimeout(int AValue) { FReadTimeout = AValue; }

  void SetOnProgress(TProgressEvent AValue) { FOnProgress = std::move(AValue); }
  void SetOnTerminate(TNotifyEvent AValue) { FOnTerminate = std::move(AValue); }
  void SetOnAudioHook(TAudioHookEvent AValue) { FOnAudioHook = std::move(AValue); }
  void SetOnBeforeFindStreamInfo(TBeforeFindStreamInfoEvent AValue) {
    FOnBeforeFindStreamInfo = std::move(AValue);
  }

  bool HaltOnInvalidOption = true;
  std::int64_t ReportInterval = 500000;   // microseconds between progress reports
  std::int64_t PreviewInterval = 100000;  // microseconds between preview pictures

  // Around a blocking open, probe, seek or connect: the read time-out watches it, and Stop
  // without a worker cancels it.
  class TReadTimeoutScope {
   public:
    explicit TReadTimeoutScope(TCustomFFmpeg& AJob);
    ~TReadTimeoutScope();
    TReadTimeoutScope(const TReadTimeoutScope&) = delete;
    TReadTimeoutScope& operator=(const TReadTimeoutScope&) = delete;
    // The next blocking operation of the same scope starts now.
    void Restart();

   private:
    TCustomFFmpeg& FJob;
  };
  // While the transcode runs on a worker: a stop request aborts blocking reads.
  class TBrokenInterruptScope {
   public:
    explicit TBrokenInterruptScope(TCustomFFmpeg& AJob);
    ~TBrokenInterruptScope();
    TBrokenInterruptScope(const TBrokenInterruptScope&) = delete;
    TBrokenInterruptScope& operator=(const TBrokenInterruptScope&) = delete;

   private:
    TCustomFFmpeg& FJob;
  };

 protected:
  // The conversion itself: set-up, the transcode loop and its clean-up. Sets FFinished to the
  // negation of FBroken when it reaches its normal end.
  virtual void run_transcode();
  // The set-up phase of run_transcode (FFmpegSetup.cpp): mapping, codecs, headers, report.
  void transcode_setup(TTranscodeState& AState);
  // Releases what the set-up and the loop made (also after a failed set-up).
  void transcode_cleanup(TTranscodeState& AState);
  // The output format dumps and the "Stream mapping:" report.
  void ReportMapping(const TTranscodeState& AState);

  void InitializeOptions();
  void DoConvert();
  void NotifyTerminate();
  bool ReadTimeoutInterrupt(TObject* Sender);
  bool BrokenInterrupt(TObject* Sender);
  // Logs the failure at llQuiet and keeps it as the job's fatal message.
  void RecordFatal(const std::string& AMessage);

  TProgressEvent FOnProgress;
  TNotifyEvent FOnTerminate;
  TAudioHookEvent FOnAudioHook;
  TBeforeFindStreamInfoEvent FOnBeforeFindStreamInfo;
  std::string FLastErrMsg;
  std::atomic<std::int64_t> FLastRead{0};
  std::atomic<bool> FFinished{false};

 private:
  friend class TConvertThread;
  friend class TTranscodeLoop;  // the transcode loop raises the job's events
  void ResizeFileTables();
  TConvertThread* FailStart(const std::string& AMessage);
  void WaitServingMainThread(const TManualResetEvent& AEvent);

  const int FMaxFiles;
  int FReadTimeout = 10000;  // milliseconds
  TManualResetEvent FStopEvent{true};
  TManualResetEvent FTermEvent{true};
  std::atomic<bool> FConverting{false};
  std::atomic<bool> FBroken{false};
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FFatalException{false};
  mutable std::mutex FFatalLock;
  std::string FFatalMessage;

  std::mutex FRunLock;  // start, notify and thread bookkeeping
  std::unique_ptr<TConvertThread> FThreadOwner;
  std::atomic<TConvertThread*> FThread{nullptr};  // assigned while the worker has not notified
  std::thread FTermThread;
  bool FNotifyPending = false;

  mutable std::mutex FPauseLock;
  std::condition_variable FPauseChanged;
  bool FPaused = false;
};

// The option names SetExtOption handles itself, in table order.
std::vector<std::string> OptionNames();

// parse_time_value: a duration ([-][HH:]MM:SS[.fraction] or seconds) or a date, in microseconds;
// raises "Invalid %s specification for %s: %s".
std::int64_t parse_time_value(const std::string& AOption, const std::string& AText,
                              bool AIsDuration);
