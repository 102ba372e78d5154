// Copying the set-up parameters of an unopened encoder context into a new one.
#include "EncoderTemplate.h"

#include <cstring>

#include "FFmpegJob.h"

namespace {

// A copy of an av_malloc'ed table, nullptr for nullptr.
template <typename T>
T* TableCopy(const T* ASource, std::size_t ACount) {
  if (!ASource || ACount == 0) return nullptr;
  auto* copy = static_cast<T*>(FF.av_malloc(sizeof(T) * ACount));
  if (!copy) throw FFmpegException("av_malloc failed");
  std::memcpy(copy, ASource, sizeof(T) * ACount);
  return copy;
}

}  // namespace

TCodecContextPtr CopyEncoderSettings(const AVCodecContext* ASource, const AVCodec* ACodec) {
  TCodecContextPtr copy(FF.avcodec_alloc_context3(ACodec));
  if (!copy) throw FFmpegException("avcodec_alloc_context failed");
  AVCodecContext* c = copy.get();
  if (FF.av_opt_copy(c, ASource) < 0) throw FFmpegException("av_malloc failed");
  if (ACodec && ACodec->priv_class && c->priv_data && ASource->priv_data &&
      FF.av_opt_copy(c->priv_data, ASource->priv_data) < 0)
    throw FFmpegException("av_malloc failed");
  c->codec_type = ASource->codec_type;
  c->codec_id = ASource->codec_id;
  c->codec_tag = ASource->codec_tag;
  c->time_base = ASource->time_base;
  c->framerate = ASource->framerate;
  c->width = ASource->width;
  c->height = ASource->height;
  c->pix_fmt = ASource->pix_fmt;
  c->sample_aspect_ratio = ASource->sample_aspect_ratio;
  c->bits_per_raw_sample = ASource->bits_per_raw_sample;
  c->chroma_sample_location = ASource->chroma_sample_location;
  c->sample_fmt = ASource->sample_fmt;
  c->sample_rate = ASource->sample_rate;
  FF.av_channel_layout_uninit(&c->ch_layout);
  if (FF.av_channel_layout_copy(&c->ch_layout, &ASource->ch_layout) < 0)
    throw FFmpegException("av_malloc failed");
  c->intra_matrix = TableCopy(ASource->intra_matrix, ASource->intra_matrix ? 64 : 0);
  c->inter_matrix = TableCopy(ASource->inter_matrix, ASource->inter_matrix ? 64 : 0);
  c->rc_override = TableCopy(ASource->rc_override, ASource->rc_override_count);
  c->rc_override_count = c->rc_override ? ASource->rc_override_count : 0;
  if (ASource->subtitle_header) {
    c->subtitle_header = TableCopy(ASource->subtitle_header, ASource->subtitle_header_size + 1);
    c->subtitle_header_size = ASource->subtitle_header_size;
  }
  return copy;
}
