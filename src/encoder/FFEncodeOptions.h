// What the fields of an options record do to a conversion job: an ordered list of option calls,
// generic options, job field assignments and metadata entries, and the target preset request.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "FFEncodeRecords.h"

// The handler of the named option, called with the value text.
struct TOptionCall {
  std::string Name;
  std::string Value;
  bool operator==(const TOptionCall&) const = default;
};

// The generic option store's first stage with the value text; its result is ignored.
struct TGenericCall {
  std::string Name;
  std::string Value;
  bool operator==(const TGenericCall&) const = default;
};

// The job fields a record assigns directly (named after the job's F… fields).
enum TJobField {
  jfMuxMaxDelay,          // Fmux_max_delay, float seconds
  jfMuxPreload,           // Fmux_preload, float seconds
  jfAudioDisable,         // Faudio_disable, bool
  jfAudioVolume,          // Faudio_volume, int
  jfAudioLanguage,        // Faudio_language, string
  jfAudioSyncMethod,      // Faudio_sync_method, int
  jfVideoDisable,         // Fvideo_disable, bool
  jfVideoSyncMethod,      // Fvideo_sync_method, int
  jfVideoLanguage,        // Fvideo_language, string
  jfSubtitleDisable,      // Fsubtitle_disable, bool
  jfSubtitleLanguage,     // Fsubtitle_language, string
  jfInputSync,            // Finput_sync, bool
  jfCopyTs,               // Fcopy_ts, bool
  jfStartTime,            // Fstart_time, Int64 microseconds
  jfRecordingTime,        // Frecording_time, Int64 microseconds
  jfTotalOutputDuration,  // FTotalOutputDuration, Int64 microseconds
  jfRecordingTimestamp,   // Frecording_timestamp, Int64 seconds since 1970 UTC
  jfOptProgramId,         // Fopt_programid, int
};

// The job's name of the field ("Fmux_max_delay").
const char* JobFieldName(TJobField AField);

using TJobFieldValue = std::variant<bool, int, std::int64_t, float, std::string>;

struct TFieldAssign {
  TJobField Field;
  TJobFieldValue Value;
  bool operator==(const TFieldAssign&) const = default;
};

// An entry of the output's metadata, replacing one of the same key.
struct TMetadataEntry {
  std::string Key;
  std::string Value;
  bool operator==(const TMetadataEntry&) const = default;
};

using TOptionStep = std::variant<TOptionCall, TGenericCall, TFieldAssign, TMetadataEntry>;

// One line per step for logs: "Name=Value" for options, "generic Name=Value",
// "Fjob_field := value", "metadata Key=Value".
std::string OptionStepText(const TOptionStep& AStep);

// The steps of an input record that follow its option text (which is applied first, with its
// stream options): forced format, start time when set, program when not negative.
std::vector<TOptionStep> InputRecordSteps(const TInputOptions& AOptions);

// The moment "now" of an output time stamp of 0.0, and the local standard time offset (local =
// UTC + offset seconds, daylight saving not applied) that converts local times to Unix time.
struct TLocalClock {
  TDateTime Now = 0.0;
  std::int64_t StandardOffset = 0;
};

// The steps of an output record, applied after its option text, in the record's order: format,
// muxer numbers, audio, video, subtitle, sync and times, time stamp and metadata. The bit rates
// are left out when a target preset is chosen, which sets its own.
std::vector<TOptionStep> OutputRecordSteps(const TOutputOptions& AOptions,
                                           const TLocalClock& AClock);

// The target preset of an output record: type "vcd", "svcd" or "dvd", the norm ("pal", "ntsc"
// or "auto") and the norm used when "auto" cannot decide ("pal" or "ntsc").
struct TTargetRequest {
  std::string Type;
  std::string Norm;
  std::string DefaultNorm;
  bool operator==(const TTargetRequest&) const = default;
};
// nullopt for ttIgnore.
std::optional<TTargetRequest> TargetRecordOf(const TOutputOptions& AOptions);
