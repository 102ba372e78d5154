// The stream creators of an output: video, audio, subtitle and data streams from the pending
// options, and their records.
#include "FFmpegStreams.h"

#include <cmath>
#include <cstring>

#include "FFLog.h"
#include "FFmpegFormatPick.h"
#include "FFmpegStreamOptions.h"
#include "FindCodec.h"
#include "TextFormat.h"

namespace {

// The pending per-kind options a stream consumes.
struct TKindOptions {
  AVMediaType Type;
  std::string& CodecName;
  int& StreamCopy;
  std::uint32_t Tag;
  std::vector<std::string>* BitstreamFilters;  // null for data
};

AVStream* NewMuxerStream(TCustomFFmpeg& AJob, AVFormatContext* AOutput, std::string& AName) {
  AVStream* st = FF.avformat_new_stream(AOutput, nullptr);
  if (!st) {
    AName.clear();
    throw FFmpegException("Could not alloc stream");
  }
  const int n = static_cast<int>(AOutput->nb_streams) - 1;
  st->id = n < AJob.Fnb_streamid_map ? AJob.Fstreamid_map[n] : 0;
  return st;
}

// Steps shared by video, audio and subtitle streams: the muxer stream, its record, the encoder
// and the context defaults for it.
TAVOutputStream& BeginStream(TCustomFFmpeg& AJob, AVFormatContext* AOutput, int ASlot,
                             TKindOptions AKind) {
  AVStream* st = NewMuxerStream(AJob, AOutput, AKind.CodecName);
  TAVOutputStream& ost = AJob.alloc_output_stream(AOutput, ASlot);
  ost.st = st;
  AVCodecContext* set = AJob.FOptions.avcodec_opts[AKind.Type].get();
  AVCodecID id = AV_CODEC_ID_NONE;
  if (!AKind.StreamCopy) {
    if (!AKind.CodecName.empty()) {
      const TFoundCodec found =
          AJob.find_codec(AKind.CodecName, AKind.Type, true, set->strict_std_compliance);
      if (!found.Found) {
        AKind.CodecName.clear();
        throw FFmpegException(AJob.LastErrMsg());
      }
      ost.enc = found.Codec;
      id = found.Id;
    } else {
      id = FF.av_guess_codec(AOutput->oformat, nullptr, AOutput->url, nullptr, AKind.Type);
      ost.enc = FF.avcodec_find_encoder(id);
    }
  }
  ost.enc_ctx = NewCodecContext(ost.enc);
  AVCodecContext* codec = ost.enc_ctx.get();
  codec->codec_type = AKind.Type;
  codec->codec_id = id;
  if (AKind.BitstreamFilters) {
    ost.bitstream_filters = std::move(*AKind.BitstreamFilters);
    AKind.BitstreamFilters->clear();
  }
  codec->thread_count = AJob.Fthread_count;
  if (AKind.Tag) codec->codec_tag = AKind.Tag;
  if (AOutput->oformat->flags & AVFMT_GLOBALHEADER) {
    codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    set->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  }
  if (AKind.StreamCopy) ost.stream_copy = 1;
  return ost;
}

void SetLanguage(AVStream* ASt, std::string& ALanguage) {
  if (!ALanguage.empty()) FF.av_dict_set(&ASt->metadata, "language", ALanguage.c_str(), 0);
  ALanguage.clear();
}

// The encoder's own copy of a quantiser matrix: the encoder frees it with its context.
std::uint16_t* MatrixCopy(const std::vector<std::uint16_t>& AMatrix) {
  auto* copy = static_cast<std::uint16_t*>(FF.av_malloc(64 * sizeof(std::uint16_t)));
  if (!copy) throw FFmpegException("av_malloc failed");
  std::memcpy(copy, AMatrix.data(), 64 * sizeof(std::uint16_t));
  return copy;
}

void SetRcOverride(AVCodecContext* ACodec, const std::vector<RcOverride>& AOverrides) {
  if (AOverrides.empty()) return;
  auto* table = static_cast<RcOverride*>(FF.av_malloc(AOverrides.size() * sizeof(RcOverride)));
  if (!table) throw FFmpegException("av_malloc failed");
  std::memcpy(table, AOverrides.data(), AOverrides.size() * sizeof(RcOverride));
  ACodec->rc_override = table;
  ACodec->rc_override_count = static_cast<int>(AOverrides.size());
}

void SetChannels(AVCodecContext* ACodec, int AChannels, std::int64_t ALayout) {
  FF.av_channel_layout_uninit(&ACodec->ch_layout);
  if (ALayout && __builtin_popcountll(static_cast<unsigned long long>(ALayout)) == AChannels)
    FF.av_channel_layout_from_mask(&ACodec->ch_layout, static_cast<std::uint64_t>(ALayout));
  else
    FF.av_channel_layout_default(&ACodec->ch_layout, AChannels);
}

}  // namespace

TSharedCodecContext NewCodecContext(const AVCodec* ACodec) {
  TSharedCodecContext context(FF.avcodec_alloc_context3(ACodec), TCodecContextDeleter());
  if (!context) throw FFmpegException("avcodec_alloc_context failed");
  return context;
}

TAVOutputStream& NewOutputRecord(TCustomFFmpeg& AJob, int ASlot, int AIndex) {
  const auto slots = static_cast<std::size_t>(AJob.MaxFiles());
  if (AJob.Foutput_streams_for_file.size() < slots) {
    AJob.Foutput_streams_for_file.resize(slots);
    AJob.Fnb_output_streams_for_file.resize(slots);
  }
  grow_table(AJob.Foutput_streams_for_file[ASlot], AJob.Fnb_output_streams_for_file[ASlot],
             AIndex + 1);
  auto record = std::make_shared<TAVOutputStream>();
  record->file_index = ASlot;
  record->index = AIndex;
  std::int64_t flags = 0;
  if (AJob.FOptions.sws_opts)
    FF.av_opt_get_int(AJob.FOptions.sws_opts.get(), "sws_flags", 0, &flags);
  record->sws_flags = static_cast<int>(flags);
  AJob.Foutput_streams_for_file[ASlot][AIndex] = record;
  return *record;
}

TAVOutputStream& TCustomFFmpeg::alloc_output_stream(AVFormatContext* AOutput, int ASlot) {
  try {
    return NewOutputRecord(*this, ASlot, static_cast<int>(AOutput->nb_streams) - 1);
  } catch (const std::bad_alloc&) {
    throw Exception("Could not alloc output stream");
  }
}

void TCustomFFmpeg::new_video_stream(AVFormatContext* AOutput, int ASlot) {
  TAVOutputStream& ost = BeginStream(*this, AOutput, ASlot,
                                     {AVMEDIA_TYPE_VIDEO, Fvideo_codec_name, Fvideo_stream_copy,
                                      Fvideo_codec_tag, &Fvideo_bitstream_filters});
  AVCodecContext* codec = ost.enc_ctx.get();
  if (ost.stream_copy) {
    const double aspect = Fframe_width != 0 && Fframe_height != 0
                              ? Fframe_aspect_ratio * Fframe_height / Fframe_width
                              : Fframe_aspect_ratio * 3.0 / 4.0;
    codec->sample_aspect_ratio = FF.av_d2q(aspect, 255);
    ost.st->sample_aspect_ratio = codec->sample_aspect_ratio;
  } else {
    ost.frame_aspect_ratio = Fframe_aspect_ratio;
    Fframe_aspect_ratio = 0.0f;
    ost.avfilter = Fvfilters;
    Fvfilters.clear();
    if (Fframe_rate.num) ost.frame_rate = Fframe_rate;
    FOptions.apply_option_sets(codec, FOptions.avcodec_opts[AVMEDIA_TYPE_VIDEO].get(),
                               AV_OPT_FLAG_VIDEO_PARAM | AV_OPT_FLAG_ENCODING_PARAM, ost.enc);
    codec->width = Fframe_width;
    codec->height = Fframe_height;
    codec->pix_fmt = Fframe_pix_fmt;
    codec->bits_per_raw_sample = Fframe_bits_per_raw_sample;
    ost.st->sample_aspect_ratio = codec->sample_aspect_ratio;
    if (Fintra_only) codec->gop_size = 0;
    if (Fvideo_qscale != 0.0f || Fsame_quality) {
      codec->flags |= AV_CODEC_FLAG_QSCALE;
      codec->global_quality = static_cast<int>(FF_QP2LAMBDA * Fvideo_qscale);
    }
    if (Fintra_matrix.size() == 64) codec->intra_matrix = MatrixCopy(Fintra_matrix);
    if (Finter_matrix.size() == 64) codec->inter_matrix = MatrixCopy(Finter_matrix);
    if (!Fvideo_rc_override_string.empty()) {
      try {
        SetRcOverride(codec, ParseRcOverride(Fvideo_rc_override_string));
      } catch (...) {
        Fvideo_codec_name.clear();
        throw;
      }
    }
    if (!codec->rc_initial_buffer_occupancy)
      codec->rc_initial_buffer_occupancy = codec->rc_buffer_size * 3 / 4;
    codec->intra_dc_precision = Fintra_dc_precision - 8;
    if (Fdo_psnr) codec->flags |= AV_CODEC_FLAG_PSNR;
    if (Fdo_pass == 1) codec->flags |= AV_CODEC_FLAG_PASS1;
    if (Fdo_pass == 2) codec->flags |= AV_CODEC_FLAG_PASS2;
    if (!Fforced_key_frames.empty()) {
      ost.forced_kf_times = parse_key_frame_times(Fforced_key_frames);
      ost.forced_kf_count = static_cast<int>(ost.forced_kf_times.size());
      ost.forced_kf_index = 0;
    }
  }
  SetLanguage(ost.st, Fvideo_language);
  Fvideo_disable = false;
  Fvideo_codec_name.clear();
  Fforced_key_frames.clear();
  Fvideo_stream_copy = 0;
  Fframe_pix_fmt = AV_PIX_FMT_NONE;
}

void TCustomFFmpeg::new_audio_stream(AVFormatContext* AOutput, int ASlot) {
  TAVOutputStream* created = nullptr;
  try {
    created = &BeginStream(*this, AOutput, ASlot,
                           {AVMEDIA_TYPE_AUDIO, Faudio_codec_name, Faudio_stream_copy,
                            Faudio_codec_tag, &Faudio_bitstream_filters});
  } catch (...) {
    Faudio_codec_name.clear();
    Faudio_language.clear();
    throw;
  }
  TAVOutputStream& ost = *created;
  AVCodecContext* codec = ost.enc_ctx.get();
  if (!ost.stream_copy) {
    FOptions.apply_option_sets(codec, FOptions.avcodec_opts[AVMEDIA_TYPE_AUDIO].get(),
                               AV_OPT_FLAG_AUDIO_PARAM | AV_OPT_FLAG_ENCODING_PARAM, ost.enc);
    if (Faudio_qscale > -99999.0f) {
      codec->flags |= AV_CODEC_FLAG_QSCALE;
      codec->global_quality = static_cast<int>(FF_QP2LAMBDA * Faudio_qscale);
    }
    if (Faudio_channels) SetChannels(codec, Faudio_channels, Fchannel_layout);
    codec->sample_fmt = Faudio_sample_fmt;
    if (Faudio_sample_rate) codec->sample_rate = Faudio_sample_rate;
    pick_sample_format(this, codec, ost.enc);
  }
  SetLanguage(ost.st, Faudio_language);
  Faudio_disable = false;
  Faudio_codec_name.clear();
  Faudio_stream_copy = 0;
}

void TCustomFFmpeg::new_subtitle_stream(AVFormatContext* AOutput, int ASlot) {
  TAVOutputStream& ost =
      BeginStream(*this, AOutput, ASlot,
                  {AVMEDIA_TYPE_SUBTITLE, Fsubtitle_codec_name, Fsubtitle_stream_copy,
                   Fsubtitle_codec_tag, &Fsubtitle_bitstream_filters});
  if (!ost.stream_copy)
    FOptions.apply_option_sets(ost.enc_ctx.get(),
                               FOptions.avcodec_opts[AVMEDIA_TYPE_SUBTITLE].get(),
                               AV_OPT_FLAG_SUBTITLE_PARAM | AV_OPT_FLAG_ENCODING_PARAM, ost.enc);
  SetLanguage(ost.st, Fsubtitle_language);
  Fsubtitle_disable = false;
  Fsubtitle_codec_name.clear();
  Fsubtitle_stream_copy = 0;
}

void TCustomFFmpeg::new_data_stream(AVFormatContext* AOutput, int ASlot) {
  AVStream* st = NewMuxerStream(*this, AOutput, Fdata_codec_name);
  TAVOutputStream& ost = alloc_output_stream(AOutput, ASlot);
  ost.st = st;
  if (!Fdata_stream_copy) {
    GetLogger().Log(this, llError, "Data stream encoding not supported yet (only streamcopy)");
    throw FFmpegException("Data stream encoding not supported yet (only streamcopy)");
  }
  ost.enc_ctx = NewCodecContext(nullptr);
  AVCodecContext* codec = ost.enc_ctx.get();
  codec->codec_type = AVMEDIA_TYPE_DATA;
  if (Fdata_codec_tag) codec->codec_tag = Fdata_codec_tag;
  if (AOutput->oformat->flags & AVFMT_GLOBALHEADER) {
    codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    FOptions.avcodec_opts[AVMEDIA_TYPE_DATA]->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  }
  ost.stream_copy = 1;
  Fdata_disable = false;
  Fdata_codec_name.clear();
  Fdata_stream_copy = 0;
}
