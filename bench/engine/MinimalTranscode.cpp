// A minimal transcoder: every frame is decoded, scaled when the geometry changes, encoded and
// muxed, with no per-frame allocation besides what the libraries do themselves.
#include "MinimalTranscode.h"

#include <algorithm>
#include <cstdio>

#include "FFLoad.h"
#include "FFOwners.h"

namespace {

struct TLane {
  int Index = -1;  // input stream
  TCodecContextPtr Dec, Enc;
  AVStream* Out = nullptr;
  std::int64_t NextPts = 0;  // encoder time base
};

class TMinimal {
 public:
  explicit TMinimal(const TMinimalSettings& ASettings) : S(ASettings) {}
  bool Run();

 private:
  bool Fail(const char* AStep) {
    std::fprintf(stderr, "minimal transcode: %s failed\n", AStep);
    return false;
  }
  bool OpenDecoder(TLane& ALane);
  bool OpenVideoEncoder();
  bool OpenAudioEncoder();
  bool Encode(TLane& ALane, AVFrame* AFrame);
  bool VideoFrame(AVFrame* AFrame);
  bool AudioFrame(const AVFrame* AFrame, bool ADrain);
  bool Decode(TLane& ALane, const AVPacket* APacket);

  const TMinimalSettings& S;
  TInputFormatPtr In;
  TFormatContextPtr Out;
  TLane V, A;
  TSwsContextPtr Scaler;
  TSwrContextPtr Converter;
  TAudioFifoPtr Fifo;
  TFramePtr Decoded{FF.av_frame_alloc()}, Scaled{FF.av_frame_alloc()}, Samples{FF.av_frame_alloc()},
      Converted{FF.av_frame_alloc()};
  TPacketPtr Packet{FF.av_packet_alloc()}, Encoded{FF.av_packet_alloc()};
};

bool TMinimal::OpenDecoder(TLane& ALane) {
  const AVStream* st = In->streams[ALane.Index];
  const AVCodec* codec = FF.avcodec_find_decoder(st->codecpar->codec_id);
  ALane.Dec.reset(FF.avcodec_alloc_context3(codec));
  if (!ALane.Dec || FF.avcodec_parameters_to_context(ALane.Dec.get(), st->codecpar) < 0)
    return Fail("decoder parameters");
  ALane.Dec->pkt_timebase = st->time_base;
  ALane.Dec->thread_count = S.Threads;
  return FF.avcodec_open2(ALane.Dec.get(), codec, nullptr) >= 0 || Fail("decoder open");
}

bool TMinimal::OpenVideoEncoder() {
  const AVCodec* codec = FF.avcodec_find_encoder_by_name(S.VideoEncoder.c_str());
  if (!codec) return Fail("video encoder lookup");
  V.Enc.reset(FF.avcodec_alloc_context3(codec));
  AVCodecContext* e = V.Enc.get();
  const AVCodecContext* d = V.Dec.get();
  const AVRational rate = In->streams[V.Index]->r_frame_rate;
  e->width = S.Width ? S.Width : d->width;
  e->height = S.Height ? S.Height : d->height;
  e->pix_fmt = codec->pix_fmts ? codec->pix_fmts[0] : d->pix_fmt;
  if (codec->pix_fmts)
    for (const AVPixelFormat* f = codec->pix_fmts; *f != AV_PIX_FMT_NONE; ++f)
      if (*f == d->pix_fmt) e->pix_fmt = d->pix_fmt;
  e->time_base = {rate.den, rate.num};
  e->framerate = rate;
  e->sample_aspect_ratio = d->sample_aspect_ratio;
  if (S.VideoBitRate) e->bit_rate = S.VideoBitRate;
  e->thread_count = S.Threads;
  if (Out->oformat->flags & AVFMT_GLOBALHEADER) e->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  for (const auto& [name, value] : S.VideoOptions)
    FF.av_opt_set(e->priv_data, name.c_str(), value.c_str(), 0);
  if (FF.avcodec_open2(e, codec, nullptr) < 0) return Fail("video encoder open");
  if (e->width != d->width || e->height != d->height || e->pix_fmt != d->pix_fmt) {
    Scaler.reset(FF.sws_getContext(d->width, d->height, d->pix_fmt, e->width, e->height, e->pix_fmt,
                                   SWS_BICUBIC, nullptr, nullptr, nullptr));
    Scaled->format = e->pix_fmt;
    Scaled->width = e->width;
    Scaled->height = e->height;
    if (!Scaler || FF.av_frame_get_buffer(Scaled.get(), 0) < 0) return Fail("scaler");
  }
  return true;
}

bool TMinimal::OpenAudioEncoder() {
  const AVCodec* codec = FF.avcodec_find_encoder_by_name(S.AudioEncoder.c_str());
  if (!codec) return Fail("audio encoder lookup");
  A.Enc.reset(FF.avcodec_alloc_context3(codec));
  AVCodecContext* e = A.Enc.get();
  AVCodecContext* d = A.Dec.get();
  e->sample_rate = d->sample_rate;
  e->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : d->sample_fmt;
  if (FF.av_channel_layout_copy(&e->ch_layout, &d->ch_layout) < 0) return Fail("layout");
  e->time_base = {1, d->sample_rate};
  if (S.AudioBitRate) e->bit_rate = S.AudioBitRate;
  e->thread_count = S.Threads;
  if (Out->oformat->flags & AVFMT_GLOBALHEADER) e->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (FF.avcodec_open2(e, codec, nullptr) < 0) return Fail("audio encoder open");
  SwrContext* swr = nullptr;
  if (FF.swr_alloc_set_opts2(&swr, &e->ch_layout, e->sample_fmt, e->sample_rate, &d->ch_layout,
                             d->sample_fmt, d->sample_rate, 0, nullptr) < 0)
    return Fail("converter");
  Converter.reset(swr);
  if (FF.swr_init(swr) < 0) return Fail("converter init");
  Fifo.reset(FF.av_audio_fifo_alloc(e->sample_fmt, e->ch_layout.nb_channels, 4096));
  const int size = e->frame_size > 0 ? e->frame_size : 1024;
  Samples->format = e->sample_fmt;
  Samples->nb_samples = size;
  Samples->sample_rate = e->sample_rate;
  if (FF.av_channel_layout_copy(&Samples->ch_layout, &e->ch_layout) < 0 ||
      FF.av_frame_get_buffer(Samples.get(), 0) < 0)
    return Fail("sample frame");
  return true;
}

bool TMinimal::Encode(TLane& ALane, AVFrame* AFrame) {
  if (FF.avcodec_send_frame(ALane.Enc.get(), AFrame) < 0) return Fail("encode");
  int ret;
  while ((ret = FF.avcodec_receive_packet(ALane.Enc.get(), Encoded.get())) >= 0) {
    FF.av_packet_rescale_ts(Encoded.get(), ALane.Enc->time_base, ALane.Out->time_base);
    Encoded->stream_index = ALane.Out->index;
    if (FF.av_interleaved_write_frame(Out.get(), Encoded.get()) < 0) return Fail("write");
  }
  return ret == AVERROR(EAGAIN) || ret == AVERROR_EOF || Fail("receive packet");
}

bool TMinimal::VideoFrame(AVFrame* AFrame) {
  AVFrame* picture = AFrame;
  if (Scaler) {
    if (FF.av_frame_make_writable(Scaled.get()) < 0) return Fail("scaled frame");
    FF.sws_scale(Scaler.get(), AFrame->data, AFrame->linesize, 0, AFrame->height, Scaled->data,
                 Scaled->linesize);
    picture = Scaled.get();
  }
  picture->pts = V.NextPts++;
  picture->pict_type = AV_PICTURE_TYPE_NONE;
  return Encode(V, picture);
}

bool TMinimal::AudioFrame(const AVFrame* AFrame, bool ADrain) {
  if (AFrame) {
    // The converter's output frame grows to the largest chunk once, then is reused.
    const int room = FF.swr_get_out_samples(Converter.get(), AFrame->nb_samples);
    if (room > Converted->nb_samples) {
      FF.av_frame_unref(Converted.get());
      Converted->format = A.Enc->sample_fmt;
      Converted->nb_samples = room;
      if (FF.av_channel_layout_copy(&Converted->ch_layout, &A.Enc->ch_layout) < 0 ||
          FF.av_frame_get_buffer(Converted.get(), 0) < 0)
        return Fail("converted frame");
    }
    const int got =
        FF.swr_convert(Converter.get(), Converted->extended_data, room,
                       const_cast<const std::uint8_t**>(AFrame->extended_data), AFrame->nb_samples);
    if (got < 0 || FF.av_audio_fifo_write(
                       Fifo.get(), reinterpret_cast<void**>(Converted->extended_data), got) < got)
      return Fail("convert");
  }
  const int size = Samples->nb_samples;
  while (FF.av_audio_fifo_size(Fifo.get()) >= size ||
         (ADrain && FF.av_audio_fifo_size(Fifo.get()) > 0)) {
    if (FF.av_frame_make_writable(Samples.get()) < 0) return Fail("sample frame");
    const int got =
        FF.av_audio_fifo_read(Fifo.get(), reinterpret_cast<void**>(Samples->extended_data), size);
    if (got < size)
      FF.av_samples_set_silence(Samples->extended_data, got, size - got,
                                Samples->ch_layout.nb_channels,
                                static_cast<AVSampleFormat>(Samples->format));
    Samples->pts = A.NextPts;
    A.NextPts += size;
    if (!Encode(A, Samples.get())) return false;
  }
  return true;
}

bool TMinimal::Decode(TLane& ALane, const AVPacket* APacket) {
  if (FF.avcodec_send_packet(ALane.Dec.get(), APacket) < 0 && APacket) return true;  // damaged
  while (FF.avcodec_receive_frame(ALane.Dec.get(), Decoded.get()) >= 0) {
    const bool ok = &ALane == &V ? VideoFrame(Decoded.get()) : AudioFrame(Decoded.get(), false);
    FF.av_frame_unref(Decoded.get());
    if (!ok) return false;
  }
  return true;
}

bool TMinimal::Run() {
  AVFormatContext* ic = nullptr;
  if (FF.avformat_open_input(&ic, S.Input.c_str(), nullptr, nullptr) < 0) return Fail("open");
  In.reset(ic);
  if (FF.avformat_find_stream_info(ic, nullptr) < 0) return Fail("stream info");
  for (unsigned i = 0; i < ic->nb_streams; ++i) {
    const AVMediaType kind = ic->streams[i]->codecpar->codec_type;
    if (kind == AVMEDIA_TYPE_VIDEO && V.Index < 0) V.Index = static_cast<int>(i);
    if (kind == AVMEDIA_TYPE_AUDIO && A.Index < 0) A.Index = static_cast<int>(i);
  }
  if (V.Index < 0 || A.Index < 0 || !OpenDecoder(V) || !OpenDecoder(A)) return Fail("streams");
  AVFormatContext* oc = nullptr;
  if (FF.avformat_alloc_output_context2(&oc, nullptr, nullptr, S.Output.c_str()) < 0)
    return Fail("muxer");
  Out.reset(oc);
  if (!OpenVideoEncoder() || !OpenAudioEncoder()) return false;
  for (TLane* lane : {&V, &A}) {
    lane->Out = FF.avformat_new_stream(oc, nullptr);
    if (!lane->Out || FF.avcodec_parameters_from_context(lane->Out->codecpar, lane->Enc.get()) < 0)
      return Fail("stream");
    lane->Out->time_base = lane->Enc->time_base;
  }
  if (FF.avio_open2(&oc->pb, S.Output.c_str(), AVIO_FLAG_WRITE, nullptr, nullptr) < 0)
    return Fail("file");
  if (FF.avformat_write_header(oc, nullptr) < 0) return Fail("header");
  bool ok = true;
  while (ok && FF.av_read_frame(ic, Packet.get()) >= 0) {
    if (Packet->stream_index == V.Index)
      ok = Decode(V, Packet.get());
    else if (Packet->stream_index == A.Index)
      ok = Decode(A, Packet.get());
    FF.av_packet_unref(Packet.get());
  }
  ok = ok && Decode(V, nullptr) && Decode(A, nullptr) && AudioFrame(nullptr, true) &&
       Encode(V, nullptr) && Encode(A, nullptr);
  ok = ok && FF.av_write_trailer(oc) >= 0;
  FF.avio_closep(&oc->pb);
  return ok || Fail("drain");
}

}  // namespace

bool MinimalTranscode(const TMinimalSettings& ASettings) {
  return TMinimal(ASettings).Run();
}
