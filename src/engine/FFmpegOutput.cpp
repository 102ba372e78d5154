// add_output_file, join_output_slots, check_inputs and the job's codec lookup.
#include <cctype>
#include <cmath>
#include <ctime>

#include "FFLog.h"
#include "FFmpegJob.h"
#include "FFmpegOutputStream.h"
#include "FFmpegStreams.h"
#include "FFmpegURL.h"
#include "FindCodec.h"
#include "TextFormat.h"
#include "UnicodeProtocol.h"

namespace {

// Cover-art codecs: a muxer whose default video codec is one of these is an audio format that
// can carry a picture, and gets one only when a video codec is asked for.
bool IsPictureCodec(AVCodecID AId) {
  switch (AId) {
    case AV_CODEC_ID_PNG:
    case AV_CODEC_ID_MJPEG:
    case AV_CODEC_ID_BMP:
    case AV_CODEC_ID_TIFF:
    case AV_CODEC_ID_WEBP:
      return true;
    default:
      return false;
  }
}

// File extensions of audio formats whose muxers could carry video (m4a: ipod, wma: asf, mka:
// matroska): such an output gets video only when a video codec is asked for.
constexpr const char* AudioOnlyExtensions[] = {"m4a", "m4b", "wma", "mka", "oga", "opus", "spx",
                                               "mp3", "mp2", "aac", "ac3", "wav", "flac"};

bool IsAudioOnlyName(const std::string& AName) {
  const auto dot = AName.rfind('.');
  if (dot == std::string::npos) return false;
  std::string extension = AName.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* e : AudioOnlyExtensions)
    if (extension == e) return true;
  return false;
}

// The ISO 8601 UTC text of the "creation_time" metadata.
std::string CreationTimeText(std::int64_t ASeconds) {
  const std::time_t t = static_cast<std::time_t>(ASeconds);
  std::tm utc{};
  gmtime_r(&t, &utc);
  char text[40];
  std::strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%S.000000Z", &utc);
  return text;
}

bool HasPrivateOption(const AVFormatContext* AContext, const char* AName) {
  return AContext->oformat->priv_class && AContext->priv_data &&
         FF.av_opt_find(AContext->priv_data, AName, nullptr, 0, 0);
}

}  // namespace

TFoundCodec TCustomFFmpeg::find_codec(const std::string& AName, AVMediaType AType, bool AEncoder,
                                      int AStrict) {
  TFoundCodec result = ::find_codec(this, AName, AType, AEncoder, AStrict);
  if (!result.Found) FLastErrMsg = result.ErrMsg;
  return result;
}

AVFormatContext* TCustomFFmpeg::OutputContext(int ASlot) const {
  return Foutput_files[FJoinMode ? 0 : ASlot].get();
}

void TCustomFFmpeg::CloseOutputIO(int ASlot) {
  AVFormatContext* oc = Foutput_files[ASlot].get();
  if (ASlot < static_cast<int>(Foutput_unicode_io.size()) && Foutput_unicode_io[ASlot]) {
    oc->pb = nullptr;
    Foutput_unicode_io[ASlot].reset();
  } else {
    FF.avio_closep(&oc->pb);
  }
}

void TCustomFFmpeg::check_inputs(bool AJoin, bool& AHasVideo, bool& AHasAudio, bool& AHasSubtitle,
                                 bool& AHasData) const {
  // Per file: which kinds it has (data, attachment and unknown counted apart).
  constexpr int Kinds = 6;  // video, audio, data, subtitle, attachment, unknown
  const auto kindOf = [](AVMediaType t) { return t == AVMEDIA_TYPE_UNKNOWN ? 5 : int(t); };
  bool any[Kinds] = {};
  bool every[Kinds] = {true, true, true, true, true, true};
  for (int f = 0; f < Fnb_input_files; ++f) {
    bool has[Kinds] = {};
    const TAVInputFile& file = Finput_files[f];
    for (int s = 0; s < file.nb_streams; ++s) {
      const AVMediaType t = Finput_streams[file.ist_index + s].st->codecpar->codec_type;
      if (t >= AVMEDIA_TYPE_UNKNOWN && t < AVMEDIA_TYPE_NB) has[kindOf(t)] = true;
    }
    for (int k = 0; k < Kinds; ++k) {
      any[k] = any[k] || has[k];
      every[k] = every[k] && has[k];
    }
  }
  const bool* counts = AJoin ? every : any;
  AHasVideo = counts[AVMEDIA_TYPE_VIDEO];
  AHasAudio = counts[AVMEDIA_TYPE_AUDIO];
  AHasSubtitle = counts[AVMEDIA_TYPE_SUBTITLE];
  AHasData = counts[AVMEDIA_TYPE_DATA] || counts[AVMEDIA_TYPE_ATTACHMENT] || counts[5];
}

int TCustomFFmpeg::add_output_file(const TPathFileName& AFileName, bool AJoin) {
  if (FJoinMode) {
    FLastErrMsg = "Cannot join more than one output file.";
    return -1;
  }
  if (Fnb_output_files >= FMaxFiles) {
    FLastErrMsg = "Too many output files.";
    return -1;
  }
  if (!FEnableFilter) FEnableFilter = !Fvfilters.empty();

  const int slot = Fnb_output_files;
  const std::string name = FileNameToUTF8(AFileName);
  AVFormatContext* created = nullptr;
  const std::string format = Flast_asked_format;
  Flast_asked_format.clear();
  int ret = FF.avformat_alloc_output_context2(
      &created, nullptr, format.empty() ? nullptr : format.c_str(), name.c_str());
  TFormatContextPtr oc(created);
  bool counted = false;
  const auto failure = [&](const std::string& AMessage) {
    FLastErrMsg = AMessage;
    if (counted) {
      --Fnb_output_files;
      if (Foutput_files[slot]->pb) CloseOutputIO(slot);
      Foutput_files[slot].reset();
    }
    if (slot < static_cast<int>(Foutput_streams_for_file.size())) {
      Foutput_streams_for_file[slot].clear();
      Fnb_output_streams_for_file[slot] = 0;
    }
    return -1;
  };
  if (ret < 0 || !oc) return failure(ffmpeg_error_text(AFileName, ret < 0 ? ret : AVERROR(ENOMEM)));
  oc->interrupt_callback = LibraryInterruptCB();

  const AVOutputFormat* muxer = oc->oformat;
  bool video = Fvideo_stream_copy || !Fvideo_codec_name.empty() ||
               (muxer->video_codec != AV_CODEC_ID_NONE && !IsPictureCodec(muxer->video_codec) &&
                !IsAudioOnlyName(name));
  bool audio =
      Faudio_stream_copy || !Faudio_codec_name.empty() || muxer->audio_codec != AV_CODEC_ID_NONE;
  bool subtitle = Fsubtitle_stream_copy || !Fsubtitle_codec_name.empty() ||
                  muxer->subtitle_codec != AV_CODEC_ID_NONE;
  bool data = Fdata_stream_copy || !Fdata_codec_name.empty();
  if (Fnb_input_files > 0) {
    bool hasVideo, hasAudio, hasSubtitle, hasData;
    check_inputs(AJoin, hasVideo, hasAudio, hasSubtitle, hasData);
    video = video && hasVideo;
    audio = audio && hasAudio;
    subtitle = subtitle && hasSubtitle;
    data = data && hasData;
  }
  video = video && !Fvideo_disable;
  audio = audio && !Faudio_disable;
  subtitle = subtitle && !Fsubtitle_disable;
  data = data && !Fdata_disable;

  const struct {
    bool Wanted;
    void (TCustomFFmpeg::*Create)(AVFormatContext*, int);
    const char* Message;
  } kinds[] = {{video, &TCustomFFmpeg::new_video_stream, "new_video_stream fail: %s"},
               {audio, &TCustomFFmpeg::new_audio_stream, "new_audio_stream fail: %s"},
               {subtitle, &TCustomFFmpeg::new_subtitle_stream, "new_subtitle_stream fail: %s"},
               {data, &TCustomFFmpeg::new_data_stream, "new_data_stream fail: %s"}};
  for (const auto& kind : kinds) {
    if (!kind.Wanted) continue;
    try {
      (this->*kind.Create)(oc.get(), slot);
    } catch (const std::exception& e) {
      return failure(Format(kind.Message, e.what()));
    }
  }

  if (Frecording_timestamp != 0)
    FF.av_dict_set(&oc->metadata, "creation_time", CreationTimeText(Frecording_timestamp).c_str(),
                   0);
  if (Fmetadata) FF.av_dict_copy(&oc->metadata, Fmetadata.get(), 0);
  Fmetadata.reset();

  Foutput_files[slot] = std::move(oc);
  AVFormatContext* out = Foutput_files[slot].get();
  ++Fnb_output_files;
  counted = true;

  if ((muxer->flags & AVFMT_NEEDNUMBER) && !FF.av_filename_number_test(name.c_str()))
    return failure(ffmpeg_error_text(AFileName, AVERROR(EINVAL)));

  if (!(muxer->flags & AVFMT_NOFILE)) {
    const std::string url = LibraryURL(AFileName);
    TReadTimeoutScope timeout(*this);
    if (IsUnicodeURL(url)) {
      if (Foutput_unicode_io.size() <= static_cast<std::size_t>(slot))
        Foutput_unicode_io.resize(FMaxFiles);
      ret = OpenUnicodeIO(url, AVIO_FLAG_WRITE, Foutput_unicode_io[slot]);
      if (ret >= 0) out->pb = Foutput_unicode_io[slot].get();
    } else {
      ret =
          FF.avio_open2(&out->pb, url.c_str(), AVIO_FLAG_WRITE, &out->interrupt_callback, nullptr);
    }
    if (ret < 0) return failure(ffmpeg_error_text(AFileName, ret));
  }

  // The muxer settings of old are the format's max delay and the mpeg muxers' private "preload"
  // and the gif muxer's private "loop".
  if (HasPrivateOption(out, "preload"))
    FF.av_opt_set_int(out->priv_data, "preload",
                      static_cast<std::int64_t>(std::trunc(Fmux_preload * 1000000.0)), 0);
  out->max_delay = static_cast<int>(std::trunc(Fmux_max_delay * 1000000.0));
  if (HasPrivateOption(out, "loop")) FF.av_opt_set_int(out->priv_data, "loop", Floop_output, 0);
  FOptions.apply_option_sets(out, AV_OPT_FLAG_ENCODING_PARAM);

  Fframe_rate = {0, 0};
  Fframe_width = Fframe_height = 0;
  Faudio_sample_rate = Faudio_channels = 0;
  Fforced_key_frames.clear();
  FOptions.init_option_sets(SWS_BICUBIC);
  if (AJoin && Fnb_input_files > 1) FJoinMode = true;
  return Fnb_output_files;
}

void TCustomFFmpeg::join_output_slots() {
  if (!FJoinMode) return;
  std::int64_t total = 0;
  for (int f = 0; f < Fnb_input_files; ++f) {
    const std::int64_t duration = Finput_files[f].ctx->duration;
    if (duration != AV_NOPTS_VALUE) total += duration;
  }
  FTotalOutputDuration = total == 0 ? -1 : total;
  AVFormatContext* oc = Foutput_files[0].get();
  for (int f = 1; f < Fnb_input_files; ++f) {
    const int slot = Fnb_output_files;
    for (unsigned i = 0; i < oc->nb_streams; ++i) {
      const TAVOutputStream& first = *Foutput_streams_for_file[0][i];
      TAVOutputStream& ost = NewOutputRecord(*this, slot, static_cast<int>(i));
      ost.st = first.st;
      ost.enc_ctx = first.enc_ctx;
      ost.stream_copy = first.stream_copy;
      ost.sws_flags = first.sws_flags;
      ost.enc = first.enc;
      ost.frame_aspect_ratio = first.frame_aspect_ratio;
      ost.avfilter = first.avfilter;
      ost.bitstream_filters = first.bitstream_filters;
      ost.frame_rate = first.frame_rate;
    }
    ++Fnb_output_files;
  }
}
