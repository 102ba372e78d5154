// The transcode loop: input choice, packet reading and timestamp correction, decoding, stream
// copy, packet writing through bitstream filters and the DTS guard, the wind-down.
#include "FFmpegLoop.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "AudioSamples.h"
#include "DtsGuard.h"
#include "FFLog.h"
#include "FFUtils.h"
#include "FFmpegMapping.h"
#include "MainThread.h"
#include "TextFormat.h"

namespace {

int KindIndex(AVMediaType AKind) {
  switch (AKind) {
    case AVMEDIA_TYPE_VIDEO:
      return mfVideo;
    case AVMEDIA_TYPE_AUDIO:
      return mfAudio;
    case AVMEDIA_TYPE_SUBTITLE:
      return mfSubtitle;
    default:
      return mfData;
  }
}

// Timestamp conversions that keep "no value" as it is.
std::int64_t ToMicro(std::int64_t AValue, AVRational ABase) {
  return AValue == AV_NOPTS_VALUE ? AV_NOPTS_VALUE : FF.av_rescale_q(AValue, ABase, AV_TIME_BASE_Q);
}
std::int64_t FromMicro(std::int64_t AValue, AVRational ABase) {
  return AValue == AV_NOPTS_VALUE ? AV_NOPTS_VALUE : FF.av_rescale_q(AValue, AV_TIME_BASE_Q, ABase);
}

TPacketPtr NewPacket() {
  TPacketPtr packet(FF.av_packet_alloc());
  if (!packet) throw FFmpegException("Out of memory");
  return packet;
}
TFramePtr NewFrame() {
  TFramePtr frame(FF.av_frame_alloc());
  if (!frame) throw FFmpegException("Out of memory");
  return frame;
}

}  // namespace

void TCustomFFmpeg::run_transcode() {
  TTranscodeState state;
  try {
    transcode_setup(state);
    TTranscodeLoop loop(*this, state);
    int file = 0;
    {
      // A stop aborts blocking reads of the loop, but not the writes of the wind-down: the
      // trailer of a stopped conversion is still written.
      std::unique_ptr<TBrokenInterruptScope> interrupt;
      if (!IsMainThread()) interrupt = std::make_unique<TBrokenInterruptScope>(*this);
      file = loop.Loop();
    }
    loop.WindDown(file);
  } catch (...) {
    transcode_cleanup(state);
    throw;
  }
  transcode_cleanup(state);
}

TTranscodeLoop::TTranscodeLoop(TCustomFFmpeg& AJob, TTranscodeState& AState)
    : Job(AJob),
      State(AState),
      FOutputRuns(AState.ost_table.size()),
      FInputRuns(AJob.Fnb_input_streams),
      FPacket(NewPacket()),
      FWorkPacket(NewPacket()),
      FEncoded(NewPacket()),
      FDecoded(NewFrame()),
      FFiltered(NewFrame()),
      FDeinterlaced(NewFrame()) {
  for (TOutputRun& run : FOutputRuns) {
    run.work = NewFrame();
    run.converted = NewFrame();
  }
  // Decoders get packets in microseconds, so that their best-effort timestamps come back in
  // microseconds and in display order.
  for (int i = 0; i < Job.Fnb_input_streams; ++i)
    if (Job.Finput_streams[i].decoding_needed) {
      AVCodecContext* dec = Job.Finput_streams[i].dec_ctx.get();
      dec->pkt_timebase = dec->codec_type == AVMEDIA_TYPE_SUBTITLE
                              ? Job.Finput_streams[i].st->time_base
                              : AV_TIME_BASE_Q;
    }
}

TOutputRun& TTranscodeLoop::RunOf(const TAVOutputStream& AOst) {
  const auto at = std::find(State.ost_table.begin(), State.ost_table.end(), &AOst);
  return FOutputRuns[at - State.ost_table.begin()];
}

TInputRun& TTranscodeLoop::RunOf(const TAVInputStream& AIst) {
  return FInputRuns[&AIst - Job.Finput_streams.data()];
}

std::int64_t TTranscodeLoop::OutputTime(const TAVOutputStream& AOst) {
  return ToMicro(FClocks[AOst.st].end_ts, AOst.st->time_base);
}

std::int64_t TTranscodeLoop::LastDts(const TAVOutputStream& AOst) {
  return FClocks[AOst.st].last_dts;
}

// ---- the loop ------------------------------------------------------------------------------

bool TTranscodeLoop::ChooseInput(int& AFile) {
  const std::size_t n = State.block_size;
  if (Job.FJoinMode) {
    for (std::size_t o = n * AFile; o < n * AFile + n && o < State.ost_table.size(); ++o) {
      const TAVOutputStream& ost = *State.ost_table[o];
      if (ost.frame_number >= Job.Fmax_frames[KindIndex(ost.enc_ctx->codec_type)]) return false;
    }
    return true;
  }
  double opts_min = 1e100, ipts_min = 1e100;
  int chosen = -1;
  for (const TAVOutputStream* ost : State.ost_table) {
    const TAVInputStream& ist = Job.Finput_streams[ost->source_index];
    if (ist.is_past_recording_time || State.no_packet[ist.file_index]) continue;
    const double opts = OutputTime(*ost) / 1e6;
    const double ipts = static_cast<double>(ist.pts);
    if (!Job.Finput_files[ist.file_index].eof_reached) {
      if (ipts < ipts_min) {
        ipts_min = ipts;
        if (Job.Finput_sync) chosen = ist.file_index;
      }
      if (opts < opts_min) {
        opts_min = opts;
        if (!Job.Finput_sync) chosen = ist.file_index;
      }
    }
    if (ost->frame_number >= Job.Fmax_frames[KindIndex(ost->enc_ctx->codec_type)]) {
      chosen = -1;
      break;
    }
  }
  AFile = chosen;
  return chosen >= 0;
}

int TTranscodeLoop::Loop() {
  Job.Ftimer_start = FF.av_gettime();
  FLastReport = Job.Ftimer_start;
  std::fill(State.no_packet.begin(), State.no_packet.end(), 0);
  int current = 0;  // join mode: the input being played
  while (!Job.Broken()) {
    Job.CheckPaused();
    if (Job.Broken()) break;
    int file = current;
    if (!ChooseInput(file)) {
      if (Job.FJoinMode || State.no_packet_count == 0) break;
      std::fill(State.no_packet.begin(), State.no_packet.end(), 0);
      State.no_packet_count = 0;
      FF.av_usleep(10000);
      continue;
    }
    if (Job.Flimit_filesize != 0) {
      AVIOContext* pb = Job.OutputContext(0)->pb;
      if (pb && IOContextPosition(pb) >= Job.Flimit_filesize) break;
    }
    TAVInputFile& in = Job.Finput_files[file];
    AVPacket* pkt = FPacket.get();
    const int ret = FF.av_read_frame(in.ctx.get(), pkt);
    if (ret == AVERROR(EAGAIN)) {
      State.no_packet[file] = 1;
      ++State.no_packet_count;
      continue;
    }
    if (ret < 0) {
      in.eof_reached = 1;
      if (Job.FJoinMode) {
        bool leave = false;
        SwitchJoinedFile(current, leave);
        if (leave) break;
        continue;
      }
      if (Job.Fopt_shortest) break;
      continue;
    }
    std::fill(State.no_packet.begin(), State.no_packet.end(), 0);
    if (Job.Fdo_pkt_dump)
      FF.av_pkt_dump_log2(nullptr, AV_LOG_DEBUG, pkt, Job.Fdo_hex_dump,
                          in.ctx->streams[pkt->stream_index]);
    bool decoded = true;
    if (pkt->stream_index < in.nb_streams) {
      const int index = in.ist_index + pkt->stream_index;
      TAVInputStream& ist = Job.Finput_streams[index];
      if (!ist.discard) decoded = ProcessReadPacket(index, file);
    }
    FF.av_packet_unref(pkt);
    if (!decoded) continue;
    const std::int64_t now = FF.av_gettime();
    if (now - FLastReport > Job.ReportInterval) {
      FLastReport = now;
      report_progress(false, current);
    }
  }
  return current;
}

bool TTranscodeLoop::ProcessReadPacket(int AIndex, int AFile) {
  AVPacket* pkt = FPacket.get();
  TAVInputStream& ist = Job.Finput_streams[AIndex];
  TAVInputFile& in = Job.Finput_files[AFile];
  const AVRational base = ist.st->time_base;
  // Offset and scale of the file's timestamps.
  const std::int64_t offset = FromMicro(Job.Finput_files_ts_offset[AFile], base);
  if (pkt->dts != AV_NOPTS_VALUE) pkt->dts += offset;
  if (pkt->pts != AV_NOPTS_VALUE) pkt->pts += offset;
  if (pkt->stream_index < Job.Fnb_input_files_ts_scale[AFile]) {
    const double scale = Job.Finput_files_ts_scale[AFile][pkt->stream_index];
    if (scale != 0) {
      if (pkt->pts != AV_NOPTS_VALUE) pkt->pts = std::llrint(scale * pkt->pts);
      if (pkt->dts != AV_NOPTS_VALUE) pkt->dts = std::llrint(scale * pkt->dts);
    }
  }
  // Discontinuities of demuxers that declare them move the file's offset.
  if (pkt->dts != AV_NOPTS_VALUE && ist.next_pts != AV_NOPTS_VALUE &&
      (in.ctx->iformat->flags & AVFMT_TS_DISCONT)) {
    const std::int64_t pkt_dts = ToMicro(pkt->dts, base);
    const std::int64_t delta = pkt_dts - ist.next_pts;
    if ((std::llabs(delta) > 1000000LL * Job.Fdts_delta_threshold || pkt_dts + 1 < ist.pts) &&
        !Job.Fcopy_ts) {
      Job.Finput_files_ts_offset[AFile] -= delta;
      if (Job.Fverbose > 2)
        GetLogger().Log(&Job, llVerbose, "timestamp discontinuity %lld, new offset= %lld",
                        static_cast<long long>(delta),
                        static_cast<long long>(Job.Finput_files_ts_offset[AFile]));
      pkt->dts -= FromMicro(delta, base);
      if (pkt->pts != AV_NOPTS_VALUE) pkt->pts -= FromMicro(delta, base);
    }
  }
  // Recording time.
  if (Job.Frecording_time != NoTimeLimit) {
    const std::int64_t limit = Job.Frecording_time + Job.Fstart_time;
    int past = -1;
    if (pkt->pts != AV_NOPTS_VALUE)
      past = FF.av_compare_ts(pkt->pts, base, limit, AV_TIME_BASE_Q) >= 0;
    else if (ist.pts != AV_NOPTS_VALUE)
      past = ist.pts >= limit;
    else if (pkt->dts != AV_NOPTS_VALUE)
      past = FF.av_compare_ts(pkt->dts, base, limit, AV_TIME_BASE_Q) >= 0;
    else
      GetLogger().Log(&Job, llDebug,
                      "no timestamp information to check whether recording time exhausted or "
                      "not.");
    if (past == 1) {
      ist.is_past_recording_time = 1;
      return true;
    }
  }
  if (process_input_packet(AIndex, pkt) < 0) {
    const std::string message = Format("Error while decoding stream #%d.%d (%s)", ist.file_index,
                                       ist.st->index, MediaKindName(ist.st->codecpar->codec_type));
    if (Job.Fexit_on_error) throw FFmpegException(message);
    if (Job.Fverbose >= 0) GetLogger().Log(&Job, llVerbose, message);
    return false;
  }
  return true;
}

// ---- wind-down -----------------------------------------------------------------------------

void TTranscodeLoop::WindDown(int AFile) {
  for (int i = 0; i < Job.Fnb_input_streams; ++i) {
    TAVInputStream& ist = Job.Finput_streams[i];
    if (ist.decoding_needed && !ist.decoder_flushed) process_input_packet(i, nullptr);
  }
  const int outputs = Job.FJoinMode ? 1 : Job.Fnb_output_files;
  for (int slot = 0; slot < outputs; ++slot) FF.av_write_trailer(Job.OutputContext(slot));
  report_progress(true, AFile);
  for (TAVOutputStream* ost : State.ost_table) ost->graph.reset();
  Job.FEncoderList.CloseAll();
  Job.FDecoderList.CloseAll();
  Job.FFinished = !Job.Broken();
}

// ---- one packet ----------------------------------------------------------------------------

int TTranscodeLoop::process_input_packet(int AIndex, const AVPacket* APacket) {
  TAVInputStream& ist = Job.Finput_streams[AIndex];
  TInputRun& run = FInputRuns[AIndex];
  if (ist.next_pts == AV_NOPTS_VALUE) ist.next_pts = ist.pts;
  if (APacket) {
    if (APacket->dts != AV_NOPTS_VALUE)
      ist.next_pts = ist.pts = ToMicro(APacket->dts, ist.st->time_base);
    if (APacket->pts != AV_NOPTS_VALUE) run.pending_pts = ToMicro(APacket->pts, ist.st->time_base);
    run.packet_pts = APacket->pts;
  }
  ist.pts = ist.next_pts;
  // Copied outputs take the packet as it is.
  if (APacket) {
    const bool started = Job.Fstart_time == 0 || ist.pts >= Job.Fstart_time;
    for (TAVOutputStream* ost : State.ost_table)
      if (ost->source_index == AIndex && !ost->encoding_needed && started)
        CopyPacket(*ost, ist, *APacket);
    if (!ist.decoding_needed) {
      AdvanceWithoutDecoding(ist, *APacket);
      return 0;
    }
  }
  if (!ist.decoding_needed) return 0;
  const int ret = ist.st->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE
                      ? DecodeSubtitle(AIndex, APacket)
                      : DecodeFrames(AIndex, APacket);
  if (ret < 0) return ret;
  if (!APacket) {
    FF.avcodec_flush_buffers(ist.dec_ctx.get());
    FlushOutputs(AIndex);
  }
  return 0;
}

void TTranscodeLoop::AdvanceWithoutDecoding(TAVInputStream& AIst, const AVPacket& APacket) {
  const AVCodecParameters* par = AIst.st->codecpar;
  if (APacket.duration > 0) {
    AIst.next_pts += ToMicro(APacket.duration, AIst.st->time_base);
  } else if (par->codec_type == AVMEDIA_TYPE_AUDIO && par->sample_rate > 0) {
    AIst.next_pts += 1000000LL * par->frame_size / par->sample_rate;
  } else if (par->codec_type == AVMEDIA_TYPE_VIDEO && AIst.st->r_frame_rate.num > 0) {
    AIst.next_pts += 1000000LL * AIst.st->r_frame_rate.den / AIst.st->r_frame_rate.num;
  }
}

int TTranscodeLoop::DecodeFrames(int AIndex, const AVPacket* APacket) {
  TAVInputStream& ist = Job.Finput_streams[AIndex];
  TInputRun& run = FInputRuns[AIndex];
  AVCodecContext* dec = ist.dec_ctx.get();
  const bool video = dec->codec_type == AVMEDIA_TYPE_VIDEO;
  if (!video && dec->codec_type != AVMEDIA_TYPE_AUDIO) return -1;
  AVPacket* sent = nullptr;
  if (APacket) {
    sent = FWorkPacket.get();
    if (FF.av_packet_ref(sent, APacket) < 0) return -1;
    sent->pts = video ? run.pending_pts : ToMicro(APacket->pts, ist.st->time_base);
    sent->dts = ist.pts;
    sent->duration = ToMicro(APacket->duration, ist.st->time_base);
    if (video) run.pending_pts = AV_NOPTS_VALUE;
  }
  int ret = FF.avcodec_send_packet(dec, sent);
  if (sent) FF.av_packet_unref(sent);
  if (ret < 0 && ret != AVERROR_EOF && ret != AVERROR(EAGAIN)) return -1;
  int frames = 0;
  AVFrame* frame = FDecoded.get();
  while ((ret = FF.avcodec_receive_frame(dec, frame)) >= 0) {
    if (++frames == 2 && APacket &&
        ((!ist.showed_multi_packet_warning && Job.Fverbose > 0) || Job.Fverbose > 1)) {
      GetLogger().Log(&Job, llError, "Multiple frames in a packet from stream %d",
                      APacket->stream_index);
      ist.showed_multi_packet_warning = 1;
    }
    if (video)
      OutputVideo(AIndex, frame);
    else
      OutputAudio(AIndex, *frame);
    FF.av_frame_unref(frame);
    if (Job.Broken()) break;
  }
  if (ret < 0 && ret != AVERROR(EAGAIN) && ret != AVERROR_EOF) return -1;
  return 0;
}

void TTranscodeLoop::OutputAudio(int AIndex, const AVFrame& AFrame) {
  TAVInputStream& ist = Job.Finput_streams[AIndex];
  const AVSampleFormat format =
      FF.av_get_packed_sample_fmt(static_cast<AVSampleFormat>(AFrame.format));
  const int bps = FF.av_get_bytes_per_sample(format);
  const int channels = AFrame.ch_layout.nb_channels;
  if (bps <= 0 || channels <= 0 || AFrame.sample_rate <= 0) return;
  const int size = AFrame.nb_samples * bps * channels;
  if (static_cast<int>(Fsamples.size()) < size) Fsamples.resize(std::max(size, 192000));
  if (FF.av_sample_fmt_is_planar(static_cast<AVSampleFormat>(AFrame.format)))
    InterleaveSamples(AFrame.extended_data, channels, AFrame.nb_samples, bps, Fsamples.data());
  else
    std::memcpy(Fsamples.data(), AFrame.extended_data[0], size);
  ist.pts = ist.next_pts;
  ist.next_pts +=
      1000000LL / bps * size / (static_cast<std::int64_t>(AFrame.sample_rate) * channels);
  if (Job.FOnAudioHook)
    Job.FOnAudioHook(&Job, ist.pts, Fsamples.data(), size, AFrame.sample_rate, channels, format);
  if (Job.Faudio_volume != 256) ApplyVolume(Fsamples.data(), size, format, Job.Faudio_volume);
  if (Job.Frate_emu) {
    const std::int64_t ahead = ist.pts - (FF.av_gettime() - ist.start);
    if (ahead > 1000) FF.av_usleep(static_cast<unsigned>(ahead / 1000 * 1000));
  }
  if (Job.Fstart_time != 0 && ist.pts < Job.Fstart_time) return;
  const TDecodedAudio decoded{format, AFrame.sample_rate, channels, &AFrame.ch_layout};
  for (TAVOutputStream* ost : State.ost_table)
    if (ost->source_index == AIndex && ost->encoding_needed)
      do_audio_out(*ost, ist, Fsamples.data(), size, decoded);
}

void TTranscodeLoop::OutputVideo(int AIndex, AVFrame* AFrame) {
  TAVInputStream& ist = Job.Finput_streams[AIndex];
  AVCodecContext* dec = ist.dec_ctx.get();
  if (AFrame->best_effort_timestamp != AV_NOPTS_VALUE)
    ist.next_pts = ist.pts = AFrame->best_effort_timestamp;
  if (dec->framerate.num != 0 && dec->framerate.den != 0) {
    const AVCodecParserContext* parser = FF.av_stream_get_parser(ist.st);
    const int tpf = std::max(dec->ticks_per_frame, 1);
    const int ticks = parser ? parser->repeat_pict + 1 : tpf;
    ist.next_pts += FF.av_rescale(1000000LL * dec->framerate.den, ticks,
                                  static_cast<std::int64_t>(dec->framerate.num) * tpf);
  }
  RunOf(ist).quality = static_cast<float>(AFrame->quality);
  AVFrame* picture = AFrame;
  prepare_decoded_picture(ist, picture);
  if (Job.Frate_emu) {
    const std::int64_t ahead = ist.pts - (FF.av_gettime() - ist.start);
    if (ahead > 1000) FF.av_usleep(static_cast<unsigned>(ahead / 1000 * 1000));
  }
  if (Job.Fstart_time != 0 && ist.pts < Job.Fstart_time) return;
  for (TAVOutputStream* ost : State.ost_table)
    if (ost->source_index == AIndex && ost->encoding_needed) FilterAndEncode(*ost, ist, picture);
}

void TTranscodeLoop::FilterAndEncode(TAVOutputStream& AOst, TAVInputStream& AIst, AVFrame* AFrame) {
  if (!Job.FEnableFilter || !AOst.graph) {
    if (!AFrame) return;
    const int size = encode_video_frame(AOst, AIst, AFrame);
    if (!Job.Fvstats_filename.empty() && size) write_video_stats(AOst, size);
    return;
  }
  TVideoFilterPipeline& pipeline = *AOst.graph;
  if (AFrame) {
    if (AFrame->sample_aspect_ratio.num == 0)
      AFrame->sample_aspect_ratio = AIst.st->sample_aspect_ratio;
    AFrame->pts = FromMicro(AIst.pts, pipeline.Source()->outputs[0]->time_base);
    if (pipeline.Push(AFrame) < 0) return;
  } else if (pipeline.Flush() < 0) {
    return;
  }
  const AVRational sinkBase = FF.av_buffersink_get_time_base(pipeline.Sink());
  while (pipeline.Pull(FFiltered) >= 0) {
    AVFrame* filtered = FFiltered.get();
    if (filtered->pts != AV_NOPTS_VALUE) AIst.pts = ToMicro(filtered->pts, sinkBase);
    if (filtered->sample_aspect_ratio.num && AOst.frame_aspect_ratio == 0)
      AOst.enc_ctx->sample_aspect_ratio = filtered->sample_aspect_ratio;
    const int size = encode_video_frame(AOst, AIst, filtered);
    if (!Job.Fvstats_filename.empty() && size) write_video_stats(AOst, size);
  }
}

int TTranscodeLoop::DecodeSubtitle(int AIndex, const AVPacket* APacket) {
  if (!APacket) return 0;
  TAVInputStream& ist = Job.Finput_streams[AIndex];
  AVSubtitle sub{};
  int got = 0;
  AVPacket* copy = FWorkPacket.get();
  if (FF.av_packet_ref(copy, APacket) < 0) return -1;
  const int ret = FF.avcodec_decode_subtitle2(ist.dec_ctx.get(), &sub, &got, copy);
  FF.av_packet_unref(copy);
  if (ret < 0) return -1;
  if (!got) return 0;
  if (Job.Fstart_time == 0 || ist.pts >= Job.Fstart_time)
    for (TAVOutputStream* ost : State.ost_table)
      if (ost->source_index == AIndex && ost->encoding_needed)
        encode_subtitle(*ost, ist, sub, RunOf(ist).packet_pts);
  FF.avsubtitle_free(&sub);
  return 0;
}

void TTranscodeLoop::FlushOutputs(int AIndex) {
  for (TAVOutputStream* ost : State.ost_table) {
    if (ost->source_index != AIndex || !ost->encoding_needed) continue;
    switch (ost->enc_ctx->codec_type) {
      case AVMEDIA_TYPE_AUDIO:
        flush_audio(*ost);
        break;
      case AVMEDIA_TYPE_VIDEO:
        if (Job.FEnableFilter && ost->graph)
          FilterAndEncode(*ost, Job.Finput_streams[AIndex], nullptr);
        encode_frame(*ost, nullptr);
        break;
      default:
        break;
    }
  }
}

// ---- stream copy and packet writing --------------------------------------------------------

void TTranscodeLoop::CopyPacket(TAVOutputStream& AOst, TAVInputStream& AIst,
                                const AVPacket& APacket) {
  if (AOst.frame_number == 0 && !(APacket.flags & AV_PKT_FLAG_KEY) &&
      !Job.Fcopy_initial_nonkeyframes)
    return;
  const AVRational in = AIst.st->time_base, out = AOst.st->time_base;
  const std::int64_t start = FromMicro(Job.Fstart_time, out);
  if (AOst.enc_ctx->codec_type == AVMEDIA_TYPE_AUDIO) {
    Job.Faudio_size += APacket.size;
  } else if (AOst.enc_ctx->codec_type == AVMEDIA_TYPE_VIDEO) {
    Job.Fvideo_size += APacket.size;
    ++AOst.sync_opts;
  }
  AVPacket* opkt = FWorkPacket.get();
  if (FF.av_packet_ref(opkt, &APacket) < 0) throw FFmpegException("Out of memory");
  opkt->stream_index = AOst.index;
  opkt->pts = APacket.pts != AV_NOPTS_VALUE ? FF.av_rescale_q(APacket.pts, in, out) - start
                                            : AV_NOPTS_VALUE;
  opkt->dts = (APacket.dts != AV_NOPTS_VALUE ? FF.av_rescale_q(APacket.dts, in, out)
                                             : FromMicro(AIst.pts, out)) -
              start;
  opkt->duration = FF.av_rescale_q(APacket.duration, in, out);
  write_output_packet(AOst, opkt);
  FF.av_packet_unref(opkt);
  ++AOst.frame_number;
}

void TTranscodeLoop::write_output_packet(TAVOutputStream& AOst, AVPacket* APacket) {
  WriteThrough(AOst, APacket, 0);
}

void TTranscodeLoop::WriteThrough(TAVOutputStream& AOst, AVPacket* APacket, std::size_t AFilter) {
  if (AFilter == AOst.bitstream_filter_contexts.size()) {
    Mux(AOst, APacket);
    return;
  }
  AVBSFContext* bsf = AOst.bitstream_filter_contexts[AFilter].get();
  TPacketPtr input(FF.av_packet_clone(APacket));
  int ret = input ? FF.av_bsf_send_packet(bsf, input.get()) : AVERROR(ENOMEM);
  if (ret < 0) {
    const std::string message = ffmpeg_error_text(
        Format("%s failed for stream %d, codec %s", bsf->filter->name, APacket->stream_index,
               AOst.encoding_needed && AOst.enc ? AOst.enc->name : "copy"),
        ret);
    if (Job.Fexit_on_error) throw FFmpegException(message);
    GetLogger().Log(&Job, llError, message);
    WriteThrough(AOst, APacket, AFilter + 1);  // the packet goes on unfiltered
    return;
  }
  TPacketPtr output = NewPacket();
  while (FF.av_bsf_receive_packet(bsf, output.get()) >= 0) {
    WriteThrough(AOst, output.get(), AFilter + 1);
    FF.av_packet_unref(output.get());
  }
}

void TTranscodeLoop::Mux(TAVOutputStream& AOst, AVPacket* APacket) {
  TStreamClock& run = FClocks[AOst.st];
  APacket->stream_index = AOst.index;
  // The muxer refuses a DTS that does not rise; such a packet (a discontinuous copy, joined
  // inputs) is moved just behind the previous one.
  const TGuardedTimestamps guarded =
      GuardDts(run.last_dts, APacket->dts, APacket->pts, AV_NOPTS_VALUE);
  if (guarded.moved)
    GetLogger().Log(&Job, llWarning,
                    "Output stream #%d.%d: DTS %lld does not rise above %lld, written as %lld",
                    AOst.file_index, AOst.index, static_cast<long long>(APacket->dts),
                    static_cast<long long>(run.last_dts), static_cast<long long>(guarded.dts));
  APacket->dts = guarded.dts;
  APacket->pts = guarded.pts;
  if (APacket->dts != AV_NOPTS_VALUE) run.last_dts = APacket->dts;
  const std::int64_t at = APacket->dts != AV_NOPTS_VALUE ? APacket->dts : APacket->pts;
  if (at != AV_NOPTS_VALUE)
    run.end_ts = std::max(run.end_ts, at + std::max<std::int64_t>(APacket->duration, 0));
  const int ret = FF.av_interleaved_write_frame(Job.OutputContext(AOst.file_index), APacket);
  if (ret < 0) throw FFmpegException(ffmpeg_error_text("av_interleaved_write_frame()", ret));
}
