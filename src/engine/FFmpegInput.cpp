// add_input_file: opening an input, probing, the start seek, its streams and their decoders.
#include <climits>
#include <optional>

#include "FFLog.h"
#include "FFmpegJob.h"
#include "FFmpegURL.h"
#include "FindCodec.h"
#include "TextFormat.h"
#include "UnicodeProtocol.h"

namespace {

// The demuxer parameters of raw and device inputs, from the pending options.
TDictionaryPtr DemuxerParameters(const TCustomFFmpeg& AJob) {
  TDictionaryPtr dict = AJob.FOptions.input_open_options();
  AVDictionary* d = dict.release();
  const auto set = [&d](const char* AKey, const std::string& AValue) {
    FF.av_dict_set(&d, AKey, AValue.c_str(), 0);
  };
  if (AJob.Faudio_sample_rate) set("sample_rate", std::to_string(AJob.Faudio_sample_rate));
  if (AJob.Faudio_channels) {
    AVChannelLayout layout{};
    FF.av_channel_layout_default(&layout, AJob.Faudio_channels);
    char text[128];
    if (FF.av_channel_layout_describe(&layout, text, sizeof(text)) > 0) set("ch_layout", text);
    FF.av_channel_layout_uninit(&layout);
  }
  if (AJob.Fframe_rate.num)
    set("framerate", Format("%d/%d", AJob.Fframe_rate.num, AJob.Fframe_rate.den));
  if (AJob.Fframe_width && AJob.Fframe_height)
    set("video_size", Format("%dx%d", AJob.Fframe_width, AJob.Fframe_height));
  if (AJob.Fframe_pix_fmt != AV_PIX_FMT_NONE)
    if (const char* name = FF.av_get_pix_fmt_name(AJob.Fframe_pix_fmt)) set("pixel_format", name);
  if (AJob.Fvideo_channel) set("channel", std::to_string(AJob.Fvideo_channel));
  if (!AJob.Fvideo_standard.empty()) set("standard", AJob.Fvideo_standard);
  // The input loop is the image sequence demuxer's private "loop" now.
  if (AJob.Floop_input) set("loop", "1");
  return TDictionaryPtr(d);
}

// Leaves only the streams of the program with id AProgram selectable; false when there is none.
bool SelectProgram(AVFormatContext* AContext, int AProgram) {
  for (unsigned i = 0; i < AContext->nb_streams; ++i) AContext->streams[i]->discard = AVDISCARD_ALL;
  bool found = false;
  for (unsigned p = 0; p < AContext->nb_programs; ++p) {
    AVProgram* program = AContext->programs[p];
    if (program->id != AProgram) {
      program->discard = AVDISCARD_ALL;
      continue;
    }
    found = true;
    for (unsigned s = 0; s < program->nb_stream_indexes; ++s)
      AContext->streams[program->stream_index[s]]->discard = AVDISCARD_DEFAULT;
  }
  return found;
}

}  // namespace

bool TCustomFFmpeg::add_input_file(const TPathFileName& AFileName) {
  // The per-file tables have FMaxFiles slots; the task list refuses more files before this.
  if (Fnb_input_files >= FMaxFiles)
    throw FFmpegException(Format("max input files %d reached", FMaxFiles));
  const AVInputFormat* format = nullptr;
  if (!Flast_asked_format.empty()) {
    format = FF.av_find_input_format(Flast_asked_format.c_str());
    if (!format)
      throw FFmpegException(Format("Unknown input format: \"%s\"", Flast_asked_format.c_str()));
  }
  Flast_asked_format.clear();

  TFormatContextPtr unopened(FF.avformat_alloc_context());
  if (!unopened) throw FFmpegException("avformat_alloc_context failed");
  unopened->interrupt_callback = LibraryInterruptCB();
  FOptions.apply_option_sets(unopened.get(), AV_OPT_FLAG_DECODING_PARAM);

  const auto failure = [this] {
    Fvideo_codec_name.clear();
    Faudio_codec_name.clear();
    Fsubtitle_codec_name.clear();
    Fvideo_channel = 0;
    return false;
  };

  const struct {
    const std::string& Name;
    AVMediaType Type;
    AVCodecID& Id;
  } forced[] = {{Fvideo_codec_name, AVMEDIA_TYPE_VIDEO, unopened->video_codec_id},
                {Faudio_codec_name, AVMEDIA_TYPE_AUDIO, unopened->audio_codec_id},
                {Fsubtitle_codec_name, AVMEDIA_TYPE_SUBTITLE, unopened->subtitle_codec_id}};
  for (const auto& f : forced) {
    const TFoundCodec codec =
        find_codec(f.Name, f.Type, false, FOptions.avcodec_opts[f.Type]->strict_std_compliance);
    if (!codec.Found) return failure();
    f.Id = codec.Id;
  }
  unopened->flags |= AVFMT_FLAG_NONBLOCK;

  TAVInputFile file;
  const std::string url = LibraryURL(AFileName);
  std::optional<TReadTimeoutScope> timeout(std::in_place, *this);
  if (IsUnicodeURL(url)) {
    if (int ret = OpenUnicodeIO(url, AVIO_FLAG_READ, file.unicode_io); ret < 0) {
      FLastErrMsg = ffmpeg_error_text(AFileName, ret);
      return failure();
    }
    unopened->pb = file.unicode_io.get();
  }
  TDictionaryPtr parameters = DemuxerParameters(*this);
  AVDictionary* params = parameters.release();
  AVFormatContext* ic = unopened.release();
  // The library frees the context itself when the open fails.
  const int ret = FF.avformat_open_input(&ic, url.c_str(), format, &params);
  parameters.reset(params);
  if (ret < 0) {
    FLastErrMsg = ffmpeg_error_text(AFileName, ret);
    return failure();
  }
  file.ctx.reset(ic);
  // The dump and the messages name the file, not its "file:" URL.
  if (url != FileNameToUTF8(AFileName)) {
    FF.av_freep(&ic->url);
    ic->url = FF.av_strdup(FileNameToUTF8(AFileName).c_str());
  }
  FOptions.apply_option_sets(ic, AV_OPT_FLAG_DECODING_PARAM);

  if (Fopt_programid) {
    if (!SelectProgram(ic, Fopt_programid)) {
      FLastErrMsg = "Specified program id not found";
      return failure();
    }
    Fopt_programid = 0;
  }

  if (FOnBeforeFindStreamInfo) FOnBeforeFindStreamInfo(this, ic);

  timeout->Restart();
  if (FF.avformat_find_stream_info(ic, nullptr) < 0 && Fverbose >= 0) {
    FLastErrMsg = Format("%s: could not find codec parameters", AFileName.c_str());
    GetLogger().Log(this, llVerbose, FLastErrMsg);
    return failure();
  }

  std::int64_t timestamp = Fstart_time;
  if (ic->start_time != AV_NOPTS_VALUE) timestamp += ic->start_time;
  if (Fstart_time != 0) {
    timeout->Restart();
    if (FF.avformat_seek_file(ic, -1, INT64_MIN, timestamp, INT64_MAX, 0) < 0 && Fverbose > 0)
      GetLogger().Log(this, llVerbose, "%s: could not seek to position %0.3f", AFileName.c_str(),
                      static_cast<double>(timestamp) / 1000000.0);
    Fstart_time = 0;
  }
  timeout.reset();

  const int file_index = Fnb_input_files;
  const int first_stream = Fnb_input_streams;
  for (unsigned i = 0; i < ic->nb_streams; ++i) {
    AVStream* st = ic->streams[i];
    grow_table(Finput_codecs, Fnb_input_codecs, Fnb_input_codecs + 1);
    grow_table(Finput_streams, Fnb_input_streams, Fnb_input_streams + 1);
    TAVInputStream& ist = Finput_streams[Fnb_input_streams - 1];
    ist.st = st;
    ist.file_index = file_index;
    ist.discard = 1;
    const AVMediaType type = st->codecpar->codec_type;
    const std::string* name = nullptr;
    bool disabled = false;
    switch (type) {
      case AVMEDIA_TYPE_VIDEO:
        name = &Fvideo_codec_name;
        disabled = Fvideo_disable;
        break;
      case AVMEDIA_TYPE_AUDIO:
        name = &Faudio_codec_name;
        disabled = Faudio_disable;
        Fchannel_layout = st->codecpar->ch_layout.order == AV_CHANNEL_ORDER_NATIVE
                              ? static_cast<std::int64_t>(st->codecpar->ch_layout.u.mask)
                              : 0;
        Faudio_sample_fmt = static_cast<AVSampleFormat>(st->codecpar->format);
        break;
      case AVMEDIA_TYPE_SUBTITLE:
        name = &Fsubtitle_codec_name;
        disabled = Fsubtitle_disable;
        break;
      case AVMEDIA_TYPE_DATA:
      case AVMEDIA_TYPE_ATTACHMENT:
      case AVMEDIA_TYPE_UNKNOWN:
        continue;
      default:
        throw FFmpegException("invalid codec_type");
    }
    const AVCodec* decoder = name->empty() ? FF.avcodec_find_decoder(st->codecpar->codec_id)
                                           : FF.avcodec_find_decoder_by_name(name->c_str());
    Finput_codecs[Fnb_input_codecs - 1] = decoder;
    ist.dec_ctx.reset(FF.avcodec_alloc_context3(decoder));
    if (!ist.dec_ctx || FF.avcodec_parameters_to_context(ist.dec_ctx.get(), st->codecpar) < 0)
      throw FFmpegException("avcodec_alloc_context failed");
    ist.dec_ctx->thread_count = Fthread_count;
    ist.dec_ctx->pkt_timebase = st->time_base;
    if (type != AVMEDIA_TYPE_SUBTITLE) {
      const int flags =
          (type == AVMEDIA_TYPE_VIDEO ? AV_OPT_FLAG_VIDEO_PARAM : AV_OPT_FLAG_AUDIO_PARAM) |
          AV_OPT_FLAG_DECODING_PARAM;
      FOptions.apply_option_sets(ist.dec_ctx.get(), FOptions.avcodec_opts[type].get(), flags,
                                 decoder);
    }
    if (disabled)
      st->discard = AVDISCARD_ALL;
    else if (type == AVMEDIA_TYPE_VIDEO && Fvideo_discard != 0)
      st->discard = static_cast<AVDiscard>(Fvideo_discard);
  }

  if (ic->duration != AV_NOPTS_VALUE && ic->duration > FTotalOutputDuration)
    FTotalOutputDuration = ic->duration;
  Finput_files_ts_offset[file_index] = Fcopy_ts ? Finput_ts_offset : Finput_ts_offset - timestamp;
  if (Fverbose >= 0) FF.av_dump_format(ic, file_index, ic->url, 0);

  file.ist_index = first_stream;
  file.nb_streams = static_cast<int>(ic->nb_streams);
  Finput_files.push_back(std::move(file));
  ++Fnb_input_files;

  Ftop_field_first = -1;
  Fvideo_channel = 0;
  Fframe_rate = {0, 0};
  Fframe_pix_fmt = AV_PIX_FMT_NONE;
  Fframe_width = Fframe_height = 0;
  Faudio_sample_rate = Faudio_channels = 0;
  Fvideo_codec_name.clear();
  Faudio_codec_name.clear();
  Fsubtitle_codec_name.clear();
  FOptions.init_option_sets(SWS_BICUBIC);
  return true;
}
