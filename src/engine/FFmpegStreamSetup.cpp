// Set-up of one output stream from its source: stream copy or encoding parameters.
#include <climits>
#include <cmath>

#include "FFmpegFormatPick.h"
#include "FFmpegSetup.h"
#include "FFmpegStreamOptions.h"
#include "FFmpegVideoFilter.h"
#include "TextFormat.h"

namespace {

// The codec tag of a copied stream, when none was asked for: the input's, as far as the muxer
// agrees with it.
unsigned CopiedCodecTag(const AVOutputFormat* AMuxer, const AVCodecParameters* AInput) {
  if (!AMuxer->codec_tag) return AInput->codec_tag;
  if (FF.av_codec_get_id(AMuxer->codec_tag, AInput->codec_tag) == AInput->codec_id)
    return AInput->codec_tag;
  unsigned tag = 0;
  if (!FF.av_codec_get_tag2(AMuxer->codec_tag, AInput->codec_id, &tag)) return AInput->codec_tag;
  return 0;
}

void SetupCopy(TCustomFFmpeg& AJob, TAVOutputStream& AOst, TAVInputStream& AIst, bool AAudioHook) {
  const AVCodecParameters* in = AIst.st->codecpar;
  AVCodecContext* codec = AOst.enc_ctx.get();
  AVFormatContext* oc = AJob.OutputContext(AOst.file_index);
  if (static_cast<std::int64_t>(in->extradata_size) + AV_INPUT_BUFFER_PADDING_SIZE > INT_MAX)
    throw FFmpegException("icodec.extradata_size is invalid (too large)");
  switch (in->codec_type) {
    case AVMEDIA_TYPE_AUDIO:
      if (AJob.Faudio_volume != 256)
        throw FFmpegException("-acodec copy and -vol are incompatible (frames are not decoded)");
      if (AAudioHook)
        throw FFmpegException(
            "-acodec copy and AudioHook are incompatible (frames are not decoded)");
      break;
    case AVMEDIA_TYPE_VIDEO:
      if (AJob.Fusing_vhook)
        throw FFmpegException("-vcodec copy and -vhook are incompatible (frames are not decoded)");
      break;
    case AVMEDIA_TYPE_SUBTITLE:
    case AVMEDIA_TYPE_DATA:
      break;
    default:
      throw FFmpegException("invalid codec_type of output stream");
  }
  const unsigned askedTag = codec->codec_tag;
  const AVRational askedAspect = codec->sample_aspect_ratio;
  AVCodecParameters* out = AOst.st->codecpar;
  if (FF.avcodec_parameters_copy(out, in) < 0) throw FFmpegException("av_mallocz fail");
  out->codec_tag = askedTag ? askedTag : CopiedCodecTag(oc->oformat, in);
  codec->codec_id = in->codec_id;
  codec->codec_type = in->codec_type;

  // The copy keeps the stream's time base unless the frame rate gives a coarser one.
  const AVRational frameBase = av_inv_q(AIst.st->r_frame_rate);
  const AVRational streamBase = AIst.st->time_base;
  AVRational base = streamBase;
  if (!AJob.Fcopy_tb && frameBase.den && av_q2d(frameBase) > av_q2d(streamBase) &&
      av_q2d(streamBase) < 1.0 / 500)
    FF.av_reduce(&base.num, &base.den, frameBase.num, frameBase.den, INT_MAX);
  codec->time_base = base;
  AOst.st->time_base = base;

  if (in->codec_type == AVMEDIA_TYPE_AUDIO) {
    if ((out->block_align == 1 && in->codec_id == AV_CODEC_ID_MP3) ||
        in->codec_id == AV_CODEC_ID_AC3)
      out->block_align = 0;
  } else if (in->codec_type == AVMEDIA_TYPE_VIDEO) {
    AVRational aspect = askedAspect;
    if (aspect.num == 0) {
      if (AIst.st->sample_aspect_ratio.num)
        aspect = AIst.st->sample_aspect_ratio;
      else if (in->sample_aspect_ratio.num)
        aspect = in->sample_aspect_ratio;
      else
        aspect = {0, 1};
    }
    out->sample_aspect_ratio = aspect;
    codec->sample_aspect_ratio = aspect;
    AOst.st->sample_aspect_ratio = aspect;
  }
}

void SetupVideoEncoding(TCustomFFmpeg& AJob, TAVOutputStream& AOst, TAVInputStream& AIst) {
  AVCodecContext* codec = AOst.enc_ctx.get();
  const AVCodecContext* icodec = AIst.dec_ctx.get();
  AVFormatContext* oc = AJob.OutputContext(AOst.file_index);
  if (codec->pix_fmt == AV_PIX_FMT_NONE) {
    codec->pix_fmt = icodec->pix_fmt;
    pick_pixel_format(&AJob, codec, AOst.enc);
  }
  if (codec->pix_fmt == AV_PIX_FMT_NONE)
    throw FFmpegException("Video pixel format is unknown, stream cannot be encoded");
  if (codec->width == 0 || codec->height == 0) {
    codec->width = icodec->width;
    codec->height = icodec->height;
  }
  AOst.video_resample = codec->width != icodec->width || codec->height != icodec->height ||
                        codec->pix_fmt != icodec->pix_fmt;
  if (AOst.video_resample) codec->bits_per_raw_sample = AJob.Fframe_bits_per_raw_sample;
  AOst.resample_height = icodec->height;
  AOst.resample_width = icodec->width;
  AOst.resample_pix_fmt = icodec->pix_fmt;
  AOst.encoding_needed = 1;
  AIst.decoding_needed = 1;

  if (AOst.frame_rate.num == 0) {
    AOst.frame_rate = AIst.st->r_frame_rate;
    if (AOst.frame_rate.num == 0 || AOst.frame_rate.den == 0) AOst.frame_rate = {25, 1};
  }
  // Also an asked-for rate snaps to the encoder's list: "29.97" must become 30000/1001 for the
  // MPEG-1/2 encoders, which refuse any rate they do not list.
  if (AOst.enc && AOst.enc->supported_framerates && !AJob.Fforce_fps)
    AOst.frame_rate = AOst.enc->supported_framerates[FF.av_find_nearest_q_idx(
        AOst.frame_rate, AOst.enc->supported_framerates)];
  codec->time_base = {AOst.frame_rate.den, AOst.frame_rate.num};
  codec->framerate = AOst.frame_rate;
  if (av_q2d(codec->time_base) < 0.001 &&
      (AJob.Fvideo_sync_method == 1 ||
       (AJob.Fvideo_sync_method < 0 && !(oc->oformat->flags & AVFMT_VARIABLE_FPS))))
    FF.av_log(oc, AV_LOG_WARNING,
              "Frame rate very high for a muxer not effciciently supporting it.\nPlease consider "
              "specifiying a lower framerate, a different muxer or -vsync 2\n");
  if (AJob.FEnableFilter) {
    if (build_video_filter_graph(&AJob, AOst, AIst) != 0)
      throw FFmpegException("Error opening filters!");
  } else if (AOst.frame_aspect_ratio != 0.0f) {
    // Without a filter graph the requested display aspect still reaches the encoder.
    codec->sample_aspect_ratio =
        FF.av_d2q(AOst.frame_aspect_ratio * codec->height / codec->width, 255);
    AOst.st->sample_aspect_ratio = codec->sample_aspect_ratio;
  }
  AOst.forced_kf_pts = KeyFramePts(AOst.forced_kf_times, codec->time_base);
}

void SetupAudioEncoding(TCustomFFmpeg& AJob, TAVOutputStream& AOst, TAVInputStream& AIst) {
  AVCodecContext* codec = AOst.enc_ctx.get();
  const AVCodecContext* icodec = AIst.dec_ctx.get();
  if (codec->sample_rate == 0) codec->sample_rate = icodec->sample_rate;
  pick_sample_rate(&AJob, codec, AOst.enc);
  codec->time_base = {1, codec->sample_rate};
  // A layout of unknown order becomes the default one of its channel count: encoders check the
  // layout against the ones they support.
  const int channels =
      codec->ch_layout.nb_channels ? codec->ch_layout.nb_channels : icodec->ch_layout.nb_channels;
  if (codec->ch_layout.nb_channels == 0 && icodec->ch_layout.order != AV_CHANNEL_ORDER_UNSPEC) {
    if (FF.av_channel_layout_copy(&codec->ch_layout, &icodec->ch_layout) < 0)
      throw FFmpegException("av_malloc failed");
  } else if (codec->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
    FF.av_channel_layout_uninit(&codec->ch_layout);
    FF.av_channel_layout_default(&codec->ch_layout, channels);
  }
  if (codec->sample_fmt == AV_SAMPLE_FMT_NONE) {
    codec->sample_fmt = icodec->sample_fmt;
    pick_sample_format(&AJob, codec, AOst.enc);
  }
  AOst.fifo.reset(FF.av_audio_fifo_alloc(codec->sample_fmt, codec->ch_layout.nb_channels, 1024));
  if (!AOst.fifo) throw FFmpegException("av_fifo_alloc fail");
  AOst.reformat_pair = -6;
  AOst.audio_resample = codec->sample_rate != icodec->sample_rate || AJob.Faudio_sync_method > 1;
  AOst.encoding_needed = 1;
  AIst.decoding_needed = 1;
  AOst.resample_sample_fmt = icodec->sample_fmt;
  AOst.resample_sample_rate = icodec->sample_rate;
  AOst.resample_channels = icodec->ch_layout.nb_channels;
}

}  // namespace

void SetupStreamParameters(TCustomFFmpeg& AJob, TAVOutputStream& AOst, TAVInputStream& AIst,
                           int AIndex, bool AAudioHook) {
  AVCodecContext* codec = AOst.enc_ctx.get();
  const AVCodecParameters* in = AIst.st->codecpar;
  if (AJob.Fmetadata_streams_autocopy)
    FF.av_dict_copy(&AOst.st->metadata, AIst.st->metadata, AV_DICT_DONT_OVERWRITE);
  AOst.st->disposition = AIst.st->disposition;
  codec->bits_per_raw_sample = in->bits_per_raw_sample;
  codec->chroma_sample_location = in->chroma_location;

  if (AOst.stream_copy) {
    SetupCopy(AJob, AOst, AIst, AAudioHook);
    return;
  }
  if (!AOst.enc) AOst.enc = FF.avcodec_find_encoder(codec->codec_id);
  switch (codec->codec_type) {
    case AVMEDIA_TYPE_VIDEO:
      SetupVideoEncoding(AJob, AOst, AIst);
      break;
    case AVMEDIA_TYPE_AUDIO:
      SetupAudioEncoding(AJob, AOst, AIst);
      break;
    case AVMEDIA_TYPE_SUBTITLE:
      codec->time_base = AV_TIME_BASE_Q;
      AOst.encoding_needed = 1;
      AIst.decoding_needed = 1;
      break;
    default:
      throw FFmpegException("invalid codec_type of output stream");
  }
  if (AOst.encoding_needed && codec->codec_id != AV_CODEC_ID_H264 &&
      (codec->flags & (AV_CODEC_FLAG_PASS1 | AV_CODEC_FLAG_PASS2)))
    open_pass_log(AJob, AIndex, AOst, codec);
}
