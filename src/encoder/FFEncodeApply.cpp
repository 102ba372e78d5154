// Carries out the option steps of a record on a conversion job.
#include "FFEncodeApply.h"

#include <variant>

namespace {

template <class T>
void Store(T& AField, const TJobFieldValue& AValue) {
  AField = std::get<T>(AValue);
}

void AssignField(TCustomFFmpeg& AJob, const TFieldAssign& AAssign) {
  const TJobFieldValue& v = AAssign.Value;
  switch (AAssign.Field) {
    case jfMuxMaxDelay:
      return Store(AJob.Fmux_max_delay, v);
    case jfMuxPreload:
      return Store(AJob.Fmux_preload, v);
    case jfAudioDisable:
      return Store(AJob.Faudio_disable, v);
    case jfAudioVolume:
      return Store(AJob.Faudio_volume, v);
    case jfAudioLanguage:
      return Store(AJob.Faudio_language, v);
    case jfAudioSyncMethod:
      return Store(AJob.Faudio_sync_method, v);
    case jfVideoDisable:
      return Store(AJob.Fvideo_disable, v);
    case jfVideoSyncMethod:
      return Store(AJob.Fvideo_sync_method, v);
    case jfVideoLanguage:
      return Store(AJob.Fvideo_language, v);
    case jfSubtitleDisable:
      return Store(AJob.Fsubtitle_disable, v);
    case jfSubtitleLanguage:
      return Store(AJob.Fsubtitle_language, v);
    case jfInputSync:
      return Store(AJob.Finput_sync, v);
    case jfCopyTs:
      return Store(AJob.Fcopy_ts, v);
    case jfStartTime:
      return Store(AJob.Fstart_time, v);
    case jfRecordingTime:
      return Store(AJob.Frecording_time, v);
    case jfTotalOutputDuration:
      return Store(AJob.FTotalOutputDuration, v);
    case jfRecordingTimestamp:
      return Store(AJob.Frecording_timestamp, v);
    case jfOptProgramId:
      return Store(AJob.Fopt_programid, v);
  }
}

void SetMetadata(TCustomFFmpeg& AJob, const TMetadataEntry& AEntry) {
  AVDictionary* dictionary = AJob.Fmetadata.release();
  FF.av_dict_set(&dictionary, AEntry.Key.c_str(), AEntry.Value.c_str(), 0);
  AJob.Fmetadata.reset(dictionary);
}

}  // namespace

void ApplyOptionSteps(TCustomFFmpeg& AJob, const std::vector<TOptionStep>& ASteps) {
  struct TVisitor {
    TCustomFFmpeg& Job;
    void operator()(const TOptionCall& ACall) const { Job.SetExtOption(ACall.Name, ACall.Value); }
    void operator()(const TGenericCall& ACall) const {
      Job.FOptions.set_generic_option(ACall.Name, ACall.Value);
    }
    void operator()(const TFieldAssign& AAssign) const { AssignField(Job, AAssign); }
    void operator()(const TMetadataEntry& AEntry) const { SetMetadata(Job, AEntry); }
  };
  for (const TOptionStep& step : ASteps) std::visit(TVisitor{AJob}, step);
}
