// What the fields of an options record do to a conversion job.
#include "FFEncodeOptions.h"

#include <array>

#include "FFEncodeTime.h"
#include "TextFormat.h"

namespace {

constexpr std::array<const char*, jfOptProgramId + 1> cJobFieldNames{
    "Fmux_max_delay",
    "Fmux_preload",
    "Faudio_disable",
    "Faudio_volume",
    "Faudio_language",
    "Faudio_sync_method",
    "Fvideo_disable",
    "Fvideo_sync_method",
    "Fvideo_language",
    "Fsubtitle_disable",
    "Fsubtitle_language",
    "Finput_sync",
    "Fcopy_ts",
    "Fstart_time",
    "Frecording_time",
    "FTotalOutputDuration",
    "Frecording_timestamp",
    "Fopt_programid",
};

// Indexed by TOptionTargetType; ttIgnore names no preset.
constexpr std::array<const char*, ttDVD + 1> cTargetTypeNames{"", "vcd", "svcd", "dvd"};

std::string ValueText(const TJobFieldValue& AValue) {
  struct TVisitor {
    std::string operator()(bool AFlag) const { return AFlag ? "true" : "false"; }
    std::string operator()(int ANumber) const { return std::to_string(ANumber); }
    std::string operator()(std::int64_t ANumber) const { return std::to_string(ANumber); }
    std::string operator()(float ANumber) const { return Format("%g", ANumber); }
    std::string operator()(const std::string& AText) const { return "\"" + AText + "\""; }
  };
  return std::visit(TVisitor{}, AValue);
}

// Collects the steps of one record in order.
class TStepList {
 public:
  void Option(const char* AName, const std::string& AValue) {
    FSteps.push_back(TOptionCall{AName, AValue});
  }
  void Option(const char* AName, int AValue) { Option(AName, std::to_string(AValue)); }
  void GenericIfSet(const char* AName, int AValue) {
    if (AValue > 0) FSteps.push_back(TGenericCall{AName, std::to_string(AValue)});
  }
  void Field(TJobField AField, TJobFieldValue AValue) {
    FSteps.push_back(TFieldAssign{AField, std::move(AValue)});
  }
  void Metadata(const char* AKey, const std::string& AValue) {
    if (!AValue.empty()) FSteps.push_back(TMetadataEntry{AKey, AValue});
  }
  void Metadata(const char* AKey, int AValue) {
    if (AValue > 0) Metadata(AKey, std::to_string(AValue));
  }
  std::vector<TOptionStep> Take() { return std::move(FSteps); }

 private:
  std::vector<TOptionStep> FSteps;
};

void AddAudioSteps(TStepList& ASteps, const TOutputOptions& AOptions) {
  if (AOptions.DisableAudio) ASteps.Field(jfAudioDisable, true);
  if (AOptions.AudioVolume >= 0) ASteps.Field(jfAudioVolume, AOptions.AudioVolume);
  ASteps.Option("ac", AOptions.AudioChannels);
  ASteps.Option("ar", AOptions.AudioSampleRate);
  if (AOptions.AudioBitrate > 0 && AOptions.TargetType == ttIgnore)
    ASteps.Option("ab", AOptions.AudioBitrate);
  ASteps.GenericIfSet("abt", AOptions.AudioBitRateTolerance);
  ASteps.Field(jfAudioLanguage, AOptions.AudioLanguage);
  ASteps.Field(jfAudioSyncMethod, AOptions.AudioSyncMethod);
  ASteps.Option("atag", AOptions.AudioTag);
}

void AddVideoSteps(TStepList& ASteps, const TOutputOptions& AOptions) {
  if (AOptions.DisableVideo) ASteps.Field(jfVideoDisable, true);
  ASteps.Option("r", AOptions.FrameRate);
  ASteps.Option("aspect", AOptions.FrameAspectRatio);
  ASteps.GenericIfSet("g", AOptions.GroupPictureSize);
  if (AOptions.VideoBitrate > 0 && AOptions.TargetType == ttIgnore)
    ASteps.Option("vb", AOptions.VideoBitrate);
  ASteps.GenericIfSet("maxrate", AOptions.VideoMaxRate);
  ASteps.GenericIfSet("minrate", AOptions.VideoMinRate);
  ASteps.GenericIfSet("bt", AOptions.VideoBitRateTolerance);
  ASteps.GenericIfSet("bufsize", AOptions.VideoBufSize);
  ASteps.Field(jfVideoSyncMethod, AOptions.VideoSyncMethod);
  ASteps.Option("vtag", AOptions.VideoTag);
  ASteps.Field(jfVideoLanguage, AOptions.VideoLanguage);
}

void AddTimeSteps(TStepList& ASteps, const TOutputOptions& AOptions, const TLocalClock& AClock) {
  if (AOptions.TimeStart != cNoTimeValue) ASteps.Field(jfStartTime, AOptions.TimeStart);
  if (AOptions.TimeLength != cNoTimeValue) {
    ASteps.Field(jfRecordingTime, AOptions.TimeLength);
    ASteps.Field(jfTotalOutputDuration, AOptions.TimeLength);
  }
  const TDateTime stamp = AOptions.Info.TimeStamp;
  if (stamp == 0.0) {
    ASteps.Field(jfRecordingTimestamp, LocalDateTimeToUnixTime(AClock.Now, AClock.StandardOffset));
  } else if (stamp > 0.0) {
    ASteps.Field(jfRecordingTimestamp, LocalDateTimeToUnixTime(stamp, AClock.StandardOffset));
  }
}

void AddMetadataSteps(TStepList& ASteps, const TStreamInfo& AInfo) {
  ASteps.Metadata("year", AInfo.Year);
  ASteps.Metadata("track", AInfo.Track);
  ASteps.Metadata("title", AInfo.Title);
  ASteps.Metadata("author", AInfo.Author);
  ASteps.Metadata("copyright", AInfo.Copyright);
  ASteps.Metadata("comment", AInfo.Comment);
  ASteps.Metadata("album", AInfo.Album);
  ASteps.Metadata("genre", AInfo.Genre);
}

}  // namespace

const char* JobFieldName(TJobField AField) {
  return cJobFieldNames.at(AField);
}

std::string OptionStepText(const TOptionStep& AStep) {
  struct TVisitor {
    std::string operator()(const TOptionCall& ACall) const {
      return ACall.Name + "=" + ACall.Value;
    }
    std::string operator()(const TGenericCall& ACall) const {
      return "generic " + ACall.Name + "=" + ACall.Value;
    }
    std::string operator()(const TFieldAssign& AAssign) const {
      return std::string(JobFieldName(AAssign.Field)) + " := " + ValueText(AAssign.Value);
    }
    std::string operator()(const TMetadataEntry& AEntry) const {
      return "metadata " + AEntry.Key + "=" + AEntry.Value;
    }
  };
  return std::visit(TVisitor{}, AStep);
}

std::vector<TOptionStep> InputRecordSteps(const TInputOptions& AOptions) {
  TStepList steps;
  steps.Option("f", AOptions.ForceFormat);
  if (AOptions.TimeStart != cNoTimeValue) steps.Field(jfStartTime, AOptions.TimeStart);
  if (AOptions.ProgramID >= 0) steps.Field(jfOptProgramId, AOptions.ProgramID);
  return steps.Take();
}

std::vector<TOptionStep> OutputRecordSteps(const TOutputOptions& AOptions,
                                           const TLocalClock& AClock) {
  TStepList steps;
  steps.Option("f", AOptions.ForceFormat);
  steps.GenericIfSet("packetsize", AOptions.PacketSize);
  steps.GenericIfSet("muxrate", AOptions.MuxRate);
  if (AOptions.MuxDelay > 0) steps.Field(jfMuxMaxDelay, AOptions.MuxDelay);
  if (AOptions.MuxPreload > 0) steps.Field(jfMuxPreload, AOptions.MuxPreload);
  AddAudioSteps(steps, AOptions);
  AddVideoSteps(steps, AOptions);
  if (AOptions.DisableSubtitle) steps.Field(jfSubtitleDisable, true);
  steps.Field(jfSubtitleLanguage, AOptions.SubtitleLanguage);
  steps.Field(jfInputSync, AOptions.InputSync);
  if (AOptions.CopyTimestamp) steps.Field(jfCopyTs, true);
  AddTimeSteps(steps, AOptions, AClock);
  AddMetadataSteps(steps, AOptions.Info);
  return steps.Take();
}

std::optional<TTargetRequest> TargetRecordOf(const TOutputOptions& AOptions) {
  if (AOptions.TargetType == ttIgnore) return std::nullopt;
  const char* norm = AOptions.NormType == ntPAL    ? "pal"
                     : AOptions.NormType == ntNTSC ? "ntsc"
                                                   : "auto";
  return TTargetRequest{cTargetTypeNames.at(AOptions.TargetType), norm,
                        AOptions.NormDefault == ntPAL ? "pal" : "ntsc"};
}
