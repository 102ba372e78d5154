// Audio output: resampler and sample-format converter (libswresample), sync by dropping,
// silence or drift compensation, the encoder FIFO and the encoding of whole frames.
#include <algorithm>
#include <climits>
#include <cstring>

#include "AudioSync.h"
#include "FFLog.h"
#include "FFmpegLoop.h"
#include "TextFormat.h"

namespace {

const char* SampleFormatName(AVSampleFormat AFormat) {
  const char* name = FF.av_get_sample_fmt_name(AFormat);
  return name ? name : "none";
}

// The layout of the decoded chunk, or the default one of its channel count.
AVChannelLayout LayoutOf(const AVChannelLayout* ALayout, int AChannels) {
  AVChannelLayout layout{};
  if (!ALayout || ALayout->nb_channels != AChannels || ALayout->order == AV_CHANNEL_ORDER_UNSPEC ||
      FF.av_channel_layout_copy(&layout, ALayout) < 0)
    FF.av_channel_layout_default(&layout, AChannels);
  return layout;
}

// A resampling (or, at equal rates and layouts, converting) context with the engine's filter:
// length 16, 2^10 phases, no linear interpolation, cut-off 0.8.
TSwrContextPtr NewResampler(const AVCodecContext* AEnc, const TDecodedAudio& ADec) {
  AVChannelLayout out = LayoutOf(&AEnc->ch_layout, AEnc->ch_layout.nb_channels);
  AVChannelLayout in = LayoutOf(ADec.layout, ADec.channels);
  SwrContext* created = nullptr;
  int ret = FF.swr_alloc_set_opts2(&created, &out, AEnc->sample_fmt, AEnc->sample_rate, &in,
                                   ADec.format, ADec.sample_rate, 0, nullptr);
  TSwrContextPtr context(created);
  FF.av_channel_layout_uninit(&out);
  FF.av_channel_layout_uninit(&in);
  if (ret < 0 || !context) return nullptr;
  FF.av_opt_set_int(context.get(), "filter_size", 16, 0);
  FF.av_opt_set_int(context.get(), "phase_shift", 10, 0);
  FF.av_opt_set_int(context.get(), "linear_interp", 0, 0);
  FF.av_opt_set_double(context.get(), "cutoff", 0.8, 0);
  if (FF.swr_init(context.get()) < 0) return nullptr;
  return context;
}

// Makes the frame hold at least ASamples samples of the encoder's format and layout, writable.
void ReserveFrame(AVFrame* AFrame, int& ACapacity, const AVCodecContext* AEnc, int ASamples) {
  if (ACapacity < ASamples) {
    FF.av_frame_unref(AFrame);
    AFrame->format = AEnc->sample_fmt;
    AFrame->sample_rate = AEnc->sample_rate;
    AFrame->nb_samples = ASamples;
    if (FF.av_channel_layout_copy(&AFrame->ch_layout, &AEnc->ch_layout) < 0 ||
        FF.av_frame_get_buffer(AFrame, 0) < 0)
      throw FFmpegException("Out of memory in do_audio_out");
    ACapacity = ASamples;
  } else {
    // A buffer the encoder still holds is replaced by one of the whole capacity.
    AFrame->nb_samples = ACapacity;
    if (FF.av_frame_make_writable(AFrame) < 0)
      throw FFmpegException("Out of memory in do_audio_out");
  }
  AFrame->nb_samples = ASamples;
}

}  // namespace

bool TTranscodeLoop::ConvertIntoFifo(TAVOutputStream& AOst, SwrContext* AContext,
                                     const std::uint8_t* AData, int ASamples) {
  TOutputRun& run = RunOf(AOst);
  const int out = FF.swr_get_out_samples(AContext, ASamples);
  if (out < 0) return false;
  if (out == 0) return true;
  ReserveFrame(run.converted.get(), run.converted_capacity, AOst.enc_ctx.get(), out);
  const std::uint8_t* in[] = {AData};
  const int converted =
      FF.swr_convert(AContext, run.converted->extended_data, out, AData ? in : nullptr, ASamples);
  if (converted < 0) return false;
  if (converted > 0 && FF.av_audio_fifo_write(
                           AOst.fifo.get(), reinterpret_cast<void**>(run.converted->extended_data),
                           converted) < converted)
    throw FFmpegException("av_fifo_realloc2() failed");
  return true;
}

void TTranscodeLoop::do_audio_out(TAVOutputStream& AOst, TAVInputStream& AIst,
                                  const std::uint8_t* ASamples, int ASize,
                                  const TDecodedAudio& ADec) {
  AVCodecContext* enc = AOst.enc_ctx.get();
  const int isize = FF.av_get_bytes_per_sample(ADec.format);
  const int osize = FF.av_get_bytes_per_sample(enc->sample_fmt);
  const int enc_channels = enc->ch_layout.nb_channels;

  // Work sizes of the chunk, as the encoder will see it.
  const std::int64_t in_samples = (ASize + isize * ADec.channels - 1) / (isize * ADec.channels);
  std::int64_t out_samples =
      (in_samples * enc->sample_rate + ADec.sample_rate) / ADec.sample_rate * 2 + 10000;
  out_samples = std::max<std::int64_t>(out_samples, enc->frame_size);
  if (out_samples * osize * enc_channels > INT_MAX)
    throw FFmpegException("Buffer sizes too large in do_audio_out");

  // Resampler, rebuilt when the decoder's output changes.
  if (enc_channels != ADec.channels) AOst.audio_resample = 1;
  const AVSampleFormat stored = FF.av_get_packed_sample_fmt(AOst.resample_sample_fmt);
  const bool changed = stored != ADec.format || AOst.resample_channels != ADec.channels ||
                       AOst.resample_sample_rate != ADec.sample_rate;
  if ((AOst.audio_resample && !AOst.resample) || changed) {
    if (changed) {
      if (AOst.resample_sample_fmt != AV_SAMPLE_FMT_NONE &&
          (AOst.resample_channels != ADec.channels ||
           AOst.resample_sample_rate != ADec.sample_rate || stored != ADec.format))
        GetLogger().Log(&Job, llInfo,
                        "Input stream #%d.%d frame changed from rate:%d fmt:%s ch:%d to rate:%d "
                        "fmt:%s ch:%d",
                        AIst.file_index, AIst.st->index, AOst.resample_sample_rate,
                        SampleFormatName(stored), AOst.resample_channels, ADec.sample_rate,
                        SampleFormatName(ADec.format), ADec.channels);
      AOst.resample_sample_fmt = ADec.format;
      AOst.resample_channels = ADec.channels;
      AOst.resample_sample_rate = ADec.sample_rate;
      AOst.resample.reset();
      AOst.reformat_ctx.reset();
      AOst.reformat_pair = -6;
    }
    if (Job.Faudio_sync_method <= 1 && ADec.format == enc->sample_fmt &&
        ADec.channels == enc_channels && ADec.sample_rate == enc->sample_rate) {
      AOst.audio_resample = 0;
    } else if (AOst.audio_resample || ADec.channels != enc_channels ||
               ADec.sample_rate != enc->sample_rate) {
      if (ADec.format != AV_SAMPLE_FMT_S16)
        GetLogger().Log(&Job, llWarning,
                        "Warning, using s16 intermediate sample format for resampling");
      AOst.audio_resample = 1;
      AOst.resample = NewResampler(enc, ADec);
      if (!AOst.resample)
        throw FFmpegException(Format("Can not resample %d channels @ %d Hz to %d channels @ %d Hz",
                                     ADec.channels, ADec.sample_rate, enc_channels,
                                     enc->sample_rate));
    }
  }
  // Sample-format converter, when no resampler converts.
  if (!AOst.audio_resample && ADec.format != enc->sample_fmt) {
    const int pair = ReformatPair(enc->sample_fmt, ADec.format);
    if (pair != AOst.reformat_pair || !AOst.reformat_ctx) {
      AOst.reformat_ctx = NewResampler(enc, ADec);
      if (!AOst.reformat_ctx)
        throw FFmpegException(Format("Cannot convert %s sample format to %s sample format",
                                     SampleFormatName(ADec.format),
                                     SampleFormatName(enc->sample_fmt)));
      AOst.reformat_pair = pair;
    }
  }

  // Sync with the input clock.
  const double sync_time = static_cast<double>(AOst.sync_ist->pts - Job.Fstart_time) / 1000000.0;
  const int fifo_samples = FF.av_audio_fifo_size(AOst.fifo.get());
  if (Job.Faudio_sync_method != 0) {
    TAudioSyncInput in{};
    in.Method = Job.Faudio_sync_method;
    in.SyncTime = sync_time;
    in.SyncOpts = AOst.sync_opts;
    in.FifoSamples = fifo_samples;
    in.EncRate = enc->sample_rate;
    in.DecRate = ADec.sample_rate;
    in.DecChannels = ADec.channels;
    in.DecBytesPerSample = isize;
    in.IsStart = AIst.is_start != 0;
    in.DriftThreshold = Job.Faudio_drift_threshold;
    in.ChunkBytes = ASize;
    const TAudioSyncDecision d = AudioSyncDecision(in);
    switch (d.Action) {
      case saNone:
        break;
      case saCompensate:
        if (Job.Fverbose > 2)
          GetLogger().Log(&Job, llVerbose,
                          "compensating audio timestamp drift:%f compensation:%d in:%d", d.Delta,
                          d.Compensation, enc->sample_rate);
        if (AOst.resample)
          FF.swr_set_compensation(AOst.resample.get(), d.Compensation, enc->sample_rate);
        break;
      case saDrop:
        ASamples += d.DropBytes;
        ASize -= d.DropBytes;
        if (Job.Fverbose > 2)
          GetLogger().Log(&Job, llVerbose, "discarding %d audio samples",
                          static_cast<int>(-d.Delta));
        if (ASize <= 0) return;
        AIst.is_start = 0;
        break;
      case saSilence:
        Finput_tmp.resize(static_cast<std::size_t>(d.SilenceBytes) + ASize);
        std::memset(Finput_tmp.data(), ADec.format == AV_SAMPLE_FMT_U8 ? 0x80 : 0, d.SilenceBytes);
        std::memcpy(Finput_tmp.data() + d.SilenceBytes, ASamples, ASize);
        ASamples = Finput_tmp.data();
        ASize += d.SilenceBytes;
        AIst.is_start = 0;
        if (Job.Fverbose > 2)
          GetLogger().Log(&Job, llVerbose, "adding %d audio samples of silence",
                          static_cast<int>(d.Delta));
        break;
    }
  } else {
    AOst.sync_opts = AudioSyncOpts(sync_time, enc->sample_rate, fifo_samples);
  }

  // Into the FIFO, in the encoder's format.
  const int samples = ASize / (isize * ADec.channels);
  if (AOst.audio_resample) {
    if (!ConvertIntoFifo(AOst, AOst.resample.get(), ASamples, samples))
      throw FFmpegException("Audio resampling failed");
  } else if (ADec.format != enc->sample_fmt) {
    if (!ConvertIntoFifo(AOst, AOst.reformat_ctx.get(), ASamples, samples)) {
      if (Job.Fexit_on_error) throw FFmpegException("av_audio_convert() failed");
      GetLogger().Log(&Job, llError, "av_audio_convert() failed");
      return;
    }
  } else {
    void* planes[] = {const_cast<std::uint8_t*>(ASamples)};
    if (FF.av_audio_fifo_write(AOst.fifo.get(), planes, samples) < samples)
      throw FFmpegException("av_fifo_realloc2() failed");
  }

  // Whole encoder frames; encoders of any frame size take everything at once.
  if (enc->frame_size > 1 && !(AOst.enc->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE)) {
    while (FF.av_audio_fifo_size(AOst.fifo.get()) >= enc->frame_size)
      EncodeFifo(AOst, enc->frame_size, false);
  } else if (FF.av_audio_fifo_size(AOst.fifo.get()) > 0) {
    EncodeFifo(AOst, FF.av_audio_fifo_size(AOst.fifo.get()), false);
  }
}

void TTranscodeLoop::EncodeFifo(TAVOutputStream& AOst, int ASamples, bool APadToFrame) {
  AVCodecContext* enc = AOst.enc_ctx.get();
  TOutputRun& run = RunOf(AOst);
  AVFrame* frame = run.work.get();
  const int size = APadToFrame ? enc->frame_size : ASamples;
  ReserveFrame(frame, run.work_capacity, enc, size);
  const int read = FF.av_audio_fifo_read(AOst.fifo.get(),
                                         reinterpret_cast<void**>(frame->extended_data), ASamples);
  if (read < size)
    FF.av_samples_set_silence(frame->extended_data, std::max(read, 0), size - std::max(read, 0),
                              enc->ch_layout.nb_channels, enc->sample_fmt);
  frame->pts = AOst.sync_opts;
  encode_frame(AOst, frame);
  AOst.sync_opts += size;
}

void TTranscodeLoop::flush_audio(TAVOutputStream& AOst) {
  AVCodecContext* enc = AOst.enc_ctx.get();
  // What the resampler still holds.
  if (AOst.resample) ConvertIntoFifo(AOst, AOst.resample.get(), nullptr, 0);
  if (enc->frame_size > 1)
    while (FF.av_audio_fifo_size(AOst.fifo.get()) >= enc->frame_size)
      EncodeFifo(AOst, enc->frame_size, false);
  const int rest = FF.av_audio_fifo_size(AOst.fifo.get());
  if (rest > 0) {
    // A short last frame where the encoder takes one, else padded with silence.
    const bool shortLast = enc->frame_size <= 1 ||
                           (AOst.enc->capabilities &
                            (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE));
    EncodeFifo(AOst, rest, !shortLast);
  }
  encode_frame(AOst, nullptr);
}
