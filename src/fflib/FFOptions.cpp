// The generic option store: AVOption lookup, validation on the option sets, recording, applying.
#include <cstring>
#include <mutex>

#include "FFLog.h"
#include "FFUtils.h"

namespace {

std::mutex LastOptionErrorLock;
std::string LastOptionErrorText;

constexpr int SearchClasses = AV_OPT_SEARCH_CHILDREN | AV_OPT_SEARCH_FAKE_OBJ;

// Logs the message at the libraries' error level and keeps it as LastOptionError.
void Reject(const std::string& AMessage) {
  if (FF.av_log)
    FF.av_log(nullptr, AV_LOG_ERROR, "%s\n", AMessage.c_str());
  else
    GetLogger().Log(nullptr, llError, AMessage);
  SetLastOptionError(AMessage);
}

bool BlankText(const std::string& AText) {
  for (unsigned char c : AText)
    if (c > ' ') return false;
  return true;
}

// An option of the object itself (no child objects, no named constants).
const AVOption* FindOwn(const void* AObject, const char* AName, int AFlags) {
  return FF.av_opt_find(const_cast<void*>(AObject), AName, nullptr, AFlags, 0);
}

// An option of the class itself, otherwise of one of its child classes.
const AVOption* FindInClass(const AVClass* AClass, const char* AName) {
  const AVClass* c = AClass;
  if (const AVOption* o = FF.av_opt_find2(&c, AName, nullptr, 0, AV_OPT_SEARCH_FAKE_OBJ, nullptr))
    return o;
  return FF.av_opt_find2(&c, AName, nullptr, 0, SearchClasses, nullptr);
}

// Whether a child class of the root (a codec's, muxer's, demuxer's or protocol's own option
// class) has an option of that name. The root's own generic options do not count.
bool ChildClassHasOption(const AVClass* ARoot, const char* AName) {
  void* iterator = nullptr;
  while (const AVClass* child = FF.av_opt_child_class_iterate(ARoot, &iterator)) {
    const AVClass* c = child;
    if (FF.av_opt_find2(&c, AName, nullptr, 0, SearchClasses, nullptr)) return true;
  }
  return false;
}

bool IsPrivateOption(const char* AName) {
  return ChildClassHasOption(FF.avcodec_get_class(), AName) ||
         ChildClassHasOption(FF.avformat_get_class(), AName);
}

// Sets the value on the object when it has the option; AFound tells whether it has.
int SetIfOwn(void* AObject, const char* AName, const std::string& AValue, bool& AFound) {
  AFound = FindOwn(AObject, AName, 0) != nullptr;
  return AFound ? FF.av_opt_set(AObject, AName, AValue.c_str(), 0) : AVERROR_OPTION_NOT_FOUND;
}

// Flag-set options accumulate ("+a", then "+b"); all others replace the entry.
void DictionarySet(TDictionaryPtr& ADictionary, const char* AName, const std::string& AValue,
                   const AVOption* AOption) {
  AVDictionary* d = ADictionary.release();
  FF.av_dict_set(&d, AName, AValue.c_str(),
                 AOption->type == AV_OPT_TYPE_FLAGS ? AV_DICT_APPEND : 0);
  ADictionary.reset(d);
}

std::int64_t IntOption(void* AObject, const char* AName) {
  std::int64_t value = 0;
  return FF.av_opt_get_int(AObject, AName, 0, &value) < 0 ? 0 : value;
}

// Copies the option's current value from the option set to the context.
void CopyOptionValue(void* AContext, const void* ASet, const char* AName) {
  std::uint8_t* text = nullptr;
  if (FF.av_opt_get(const_cast<void*>(ASet), AName, 0, &text) >= 0)
    FF.av_opt_set(AContext, AName, reinterpret_cast<const char*>(text), 0);
  FF.av_free(text);
}

}  // namespace

std::string LastOptionError() {
  std::lock_guard lock(LastOptionErrorLock);
  return LastOptionErrorText;
}

void SetLastOptionError(const std::string& AValue) {
  std::lock_guard lock(LastOptionErrorLock);
  LastOptionErrorText = AValue;
}

void TFFOptions::init_option_sets(int AScalerFlags) {
  free_option_sets();
  for (int type = 0; type < CodecOptionSetCount; ++type) {
    avcodec_opts[type].reset(FF.avcodec_alloc_context3(nullptr));
    if (avcodec_opts[type]) avcodec_opts[type]->codec_type = static_cast<AVMediaType>(type);
  }
  avformat_opts.reset(FF.avformat_alloc_context());
  sws_opts.reset(FF.sws_getContext(16, 16, AV_PIX_FMT_YUV420P, 16, 16, AV_PIX_FMT_YUV420P,
                                   AScalerFlags, nullptr, nullptr, nullptr));
}

void TFFOptions::free_option_sets() {
  for (auto& set : avcodec_opts) set.reset();
  avformat_opts.reset();
  sws_opts.reset();
  opt_names.clear();
  opt_values.clear();
  format_opts.reset();
  video_opts.reset();
  audio_opts.reset();
  sub_opts.reset();
}

bool TFFOptions::Initialized() const {
  for (const auto& set : avcodec_opts)
    if (!set) return false;
  return avformat_opts && sws_opts;
}

bool TFFOptions::set_generic_option(const std::string& AName, const std::string& AValue) {
  if (BlankText(AName)) return false;
  if (!Initialized()) {
    Reject(Format("Unrecognized option \"%s\"", AName.c_str()));
    return false;
  }
  std::string name = AName;
  if (!IsPrivateOption(AName.c_str())) {
    static constexpr int TypeFlags[CodecOptionSetCount] = {
        AV_OPT_FLAG_VIDEO_PARAM, AV_OPT_FLAG_AUDIO_PARAM, 0, AV_OPT_FLAG_SUBTITLE_PARAM, 0};
    AVCodecContext* video = avcodec_opts[AVMEDIA_TYPE_VIDEO].get();
    bool found = false;
    int ret = 0;
    for (int type = 0; type < CodecOptionSetCount && ret >= 0; ++type)
      if (FindOwn(video, AName.c_str(), TypeFlags[type])) {
        found = true;
        ret = FF.av_opt_set(avcodec_opts[type].get(), AName.c_str(), AValue.c_str(), 0);
      }
    if (!found) ret = SetIfOwn(avformat_opts.get(), AName.c_str(), AValue, found);
    if (!found) ret = SetIfOwn(sws_opts.get(), AName.c_str(), AValue, found);
    if (!found) {
      const int type = AName[0] == 'a'   ? AVMEDIA_TYPE_AUDIO
                       : AName[0] == 'v' ? AVMEDIA_TYPE_VIDEO
                       : AName[0] == 's' ? AVMEDIA_TYPE_SUBTITLE
                                         : -1;
      if (type >= 0) {
        ret = SetIfOwn(avcodec_opts[type].get(), AName.c_str() + 1, AValue, found);
        if (found && ret >= 0) name = AName.substr(1);
      }
    }
    if (found && ret < 0) {
      Reject(Format("Invalid value \"%s\" for option \"%s\"", AValue.c_str(), name.c_str()));
      return false;
    }
    if (!found) {
      Reject(Format("Unrecognized option \"%s\"", name.c_str()));
      return false;
    }
  }
  if (!record_generic_option(name, AValue)) return false;
  opt_names.push_back(name);
  opt_values.push_back(AValue);
  if (IntOption(avcodec_opts[AVMEDIA_TYPE_VIDEO].get(), "debug") != 0 ||
      IntOption(avformat_opts.get(), "debug") != 0)
    GetLogger().SetLogLevel(llDebug);
  return true;
}

bool TFFOptions::record_generic_option(const std::string& AName, const std::string& AValue) {
  const char* name = AName.c_str();
  if (!Initialized()) {
    Reject(Format("Unrecognized option \"%s\"", name));
    return false;
  }
  if (const AVOption* o = FindInClass(FF.avcodec_get_class(), name)) {
    if (o->flags & AV_OPT_FLAG_VIDEO_PARAM) DictionarySet(video_opts, name, AValue, o);
    if (o->flags & AV_OPT_FLAG_AUDIO_PARAM) DictionarySet(audio_opts, name, AValue, o);
    if (o->flags & AV_OPT_FLAG_SUBTITLE_PARAM) DictionarySet(sub_opts, name, AValue, o);
    return true;
  }
  if (const AVOption* o = FindInClass(FF.avformat_get_class(), name)) {
    DictionarySet(format_opts, name, AValue, o);
    return true;
  }
  if (FindInClass(FF.sws_get_class(), name)) {
    if (!sws_opts || FF.av_opt_set(sws_opts.get(), name, AValue.c_str(), 0) < 0) {
      Reject(Format("Error setting option \"%s\"", name));
      return false;
    }
    return true;
  }
  struct TPrefix {
    char Letter;
    int Flag;
    TDictionaryPtr& Dictionary;
  };
  const TPrefix prefixes[] = {{'v', AV_OPT_FLAG_VIDEO_PARAM, video_opts},
                              {'a', AV_OPT_FLAG_AUDIO_PARAM, audio_opts},
                              {'s', AV_OPT_FLAG_SUBTITLE_PARAM, sub_opts}};
  bool found = false;
  for (const TPrefix& p : prefixes)
    if (AName[0] == p.Letter && avcodec_opts[AVMEDIA_TYPE_VIDEO])
      if (const AVOption* o = FindOwn(avcodec_opts[AVMEDIA_TYPE_VIDEO].get(), name + 1, p.Flag)) {
        DictionarySet(p.Dictionary, name + 1, AValue, o);
        found = true;
      }
  if (!found) Reject(Format("Unrecognized option \"%s\"", name));
  return found;
}

namespace {

// Applies the recorded options: the option set's values where the set's option carries every
// bit of AFlags, and the recorded values on the private part (rejections of options meant for
// this kind of context are logged, others ignored).
void ApplyRecorded(const TFFOptions& AOptions, void* AContext, const void* ASet, void* APrivate,
                   int AFlags) {
  for (int i = 0; i < AOptions.opt_name_count(); ++i) {
    const char* name = AOptions.opt_names[i].c_str();
    const char* value = AOptions.opt_values[i].c_str();
    if (ASet && FindOwn(ASet, name, AFlags)) CopyOptionValue(AContext, ASet, name);
    if (!APrivate) continue;
    const AVOption* o = FindOwn(APrivate, name, 0);
    if (!o) continue;
    if ((o->flags & AFlags) == AFlags) {
      if (FF.av_opt_set(APrivate, name, value, 0) < 0)
        FF.av_log(nullptr, AV_LOG_ERROR, "Invalid value \"%s\" for option \"%s\"\n", value, name);
    } else if (!ASet || !FindOwn(ASet, name, 0)) {
      FF.av_opt_set(APrivate, name, value, 0);
    }
  }
}

}  // namespace

void TFFOptions::apply_option_sets(AVCodecContext* AContext, const AVCodecContext* ASet, int AFlags,
                                   const AVCodec* ACodec) const {
  void* priv = ACodec && ACodec->priv_class ? AContext->priv_data : nullptr;
  ApplyRecorded(*this, AContext, ASet, priv, AFlags);
}

void TFFOptions::apply_option_sets(AVFormatContext* AContext, int AFlags) const {
  const bool hasClass = (AContext->oformat && AContext->oformat->priv_class) ||
                        (AContext->iformat && AContext->iformat->priv_class);
  ApplyRecorded(*this, AContext, avformat_opts.get(), hasClass ? AContext->priv_data : nullptr,
                AFlags);
}

TDictionaryPtr TFFOptions::input_open_options() const {
  AVDictionary* result = nullptr;
  const AVDictionaryEntry* e = nullptr;
  while ((e = FF.av_dict_get(format_opts.get(), "", e, AV_DICT_IGNORE_SUFFIX)))
    if (!avformat_opts || !FindOwn(avformat_opts.get(), e->key, 0))
      FF.av_dict_set(&result, e->key, e->value, 0);
  return TDictionaryPtr(result);
}
