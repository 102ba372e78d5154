// The set-up phase of a transcode: output checks, stream mapping, per-stream parameters, codecs,
// clocks, metadata, headers and the mapping report; and the transcode clean-up.
#include "FFmpegSetup.h"

#include <cmath>
#include <cstring>

#include "EncoderTemplate.h"
#include "FFLog.h"
#include "FFmpegMapping.h"
#include "FFmpegValues.h"
#include "TextFormat.h"

namespace {

const char* KindName(const AVCodecContext* ACodec) {
  return MediaKindName(ACodec->codec_type);
}

bool InSelectedProgram(const AVFormatContext* AContext, int AProgram, int AStreamIndex) {
  for (unsigned p = 0; p < AContext->nb_programs; ++p) {
    const AVProgram* program = AContext->programs[p];
    if (program->id != AProgram) continue;
    for (unsigned s = 0; s < program->nb_stream_indexes; ++s)
      if (static_cast<int>(program->stream_index[s]) == AStreamIndex) return true;
  }
  return false;
}

TStreamMapping MappingOf(const TCustomFFmpeg& AJob, const TTranscodeState& AState) {
  TStreamMapping mapping;
  for (int i = 0; i < AJob.Fnb_input_streams; ++i) {
    const TAVInputStream& ist = AJob.Finput_streams[i];
    TMapInputStream s;
    s.Kind = ist.st->codecpar->codec_type;
    s.FileIndex = ist.file_index;
    s.DiscardAll = ist.st->discard >= AVDISCARD_ALL;
    s.InProgram =
        !AJob.Fopt_programid || InSelectedProgram(AJob.Finput_files[ist.file_index].ctx.get(),
                                                  AJob.Fopt_programid, ist.st->index);
    s.FrameCount = ProbeFrameCount(*ist.st->codecpar);
    s.discard = ist.discard;
    s.used = ist.used;
    mapping.Inputs.push_back(s);
  }
  for (int f = 0; f < AJob.Fnb_input_files; ++f)
    mapping.Files.push_back({AJob.Finput_files[f].ist_index, AJob.Finput_files[f].nb_streams});
  for (const TAVOutputStream* ost : AState.ost_table)
    mapping.Outputs.push_back({ost->file_index, ost->index, ost->enc_ctx->codec_type});
  mapping.Maps.assign(AJob.Fstream_maps.begin(), AJob.Fstream_maps.begin() + AJob.Fnb_stream_maps);
  mapping.JoinMode = AJob.FJoinMode;
  mapping.ProgramSelected = AJob.Fopt_programid != 0;
  return mapping;
}

void DumpOutput(TCustomFFmpeg& AJob, int ASlot) {
  AVFormatContext* oc = AJob.OutputContext(ASlot);
  FF.av_dump_format(oc, ASlot, oc->url, 1);
}

// The streams whose encoders are opened: in join mode all blocks share the first block's.
int EncoderCount(const TCustomFFmpeg& AJob, const TTranscodeState& AState) {
  return AJob.FJoinMode ? AState.block_size : static_cast<int>(AState.ost_table.size());
}

void Raise(TCustomFFmpeg& AJob, const std::string& AMessage) {
  GetLogger().Log(&AJob, llError, AMessage);
  throw FFmpegException(AMessage);
}

// Bitstream filter instances of a stream whose parameters are final; the muxer stream gets the
// parameters the last filter puts out.
void OpenBitstreamFilters(TAVOutputStream& AOst) {
  for (const std::string& name : AOst.bitstream_filters) {
    const AVBitStreamFilter* filter = FF.av_bsf_get_by_name(name.c_str());
    AVBSFContext* created = nullptr;
    if (!filter || FF.av_bsf_alloc(filter, &created) < 0)
      throw FFmpegException(Format("Unknown bitstream filter %s", name.c_str()));
    TBSFContextPtr context(created);
    if (FF.avcodec_parameters_copy(context->par_in, AOst.st->codecpar) < 0)
      throw FFmpegException("av_malloc failed");
    context->time_base_in = AOst.st->time_base;
    if (FF.av_bsf_init(context.get()) < 0 ||
        FF.avcodec_parameters_copy(AOst.st->codecpar, context->par_out) < 0)
      throw FFmpegException(Format("Error initializing bitstream filter: %s", name.c_str()));
    AOst.st->time_base = context->time_base_out;
    AOst.bitstream_filter_contexts.push_back(std::move(context));
  }
}

// The decoder's time base of old (one tick per field or frame) against the container's rate.
void ReportCodecFrameRate(TCustomFFmpeg& AJob, const TAVInputStream& AIst) {
  const AVCodecContext* dec = AIst.dec_ctx.get();
  if (dec->codec_type != AVMEDIA_TYPE_VIDEO || dec->framerate.num <= 0 || dec->framerate.den <= 0)
    return;
  const int ticks = dec->ticks_per_frame > 0 ? dec->ticks_per_frame : 1;
  const AVRational tb{dec->framerate.den, dec->framerate.num * ticks};
  const AVRational rate = AIst.st->r_frame_rate;
  if (tb.den != rate.num * ticks || tb.num != rate.den)
    GetLogger().Log(&AJob, llInfo,
                    "Seems stream %d codec frame rate differs from container frame rate: %2.2f "
                    "(%d/%d) -> %2.2f (%d/%d)",
                    AIst.st->index, static_cast<double>(tb.den) / tb.num, tb.den, tb.num,
                    rate.den ? static_cast<double>(rate.num) / rate.den : 0.0, rate.num, rate.den);
}

}  // namespace

void TCustomFFmpeg::transcode_setup(TTranscodeState& AState) {
  // Step 1: real-time pacing starts now.
  if (Frate_emu)
    for (int i = 0; i < Fnb_input_streams; ++i) Finput_streams[i].start = FF.av_gettime();

  // Step 2: output checks.
  for (int slot = 0; slot < Fnb_output_files; ++slot) {
    AVFormatContext* oc = OutputContext(slot);
    // A slot counted without a context (only a job filled by hand) has nothing to set up.
    if (!oc) throw FFmpegException(Format("Output file #%d was not created", slot));
    const int count = slot < static_cast<int>(Fnb_output_streams_for_file.size())
                          ? Fnb_output_streams_for_file[slot]
                          : 0;
    if (count == 0 && !(oc->oformat->flags & AVFMT_NOSTREAMS)) {
      DumpOutput(*this, slot);
      throw FFmpegException(Format("Output file #%d does not contain any stream", slot));
    }
    for (int i = 0; i < count; ++i)
      AState.ost_table.push_back(Foutput_streams_for_file[slot][i].get());
  }
  AState.block_size = Fnb_output_streams_for_file.empty() ? 0 : Fnb_output_streams_for_file[0];
  AState.no_packet.assign(Fnb_input_files, 0);
  AState.no_packet_count = 0;

  // Step 3: stream mapping.
  TStreamMapping mapping = MappingOf(*this, AState);
  AState.thresholds = MappingThresholds(mapping);
  const TMappingResult mapped = MapStreams(mapping);
  for (int i = 0; i < Fnb_input_streams; ++i) {
    Finput_streams[i].discard = mapping.Inputs[i].discard;
    Finput_streams[i].used = mapping.Inputs[i].used;
  }
  for (std::size_t o = 0; o < mapped.Streams.size(); ++o) {
    TAVOutputStream& ost = *AState.ost_table[o];
    ost.source_index = mapped.Streams[o].Source;
    ost.sync_ist = &Finput_streams[mapped.Streams[o].Sync];
    ost.show_fps = 1;
  }
  if (!mapped.Ok()) {
    if (mapped.DumpSlot >= 0) DumpOutput(*this, mapped.DumpSlot);
    throw FFmpegException(mapped.Error);
  }
  AState.mapped = true;

  // Step 4: per-stream parameters.
  for (std::size_t o = 0; o < AState.ost_table.size(); ++o) {
    TAVOutputStream& ost = *AState.ost_table[o];
    SetupStreamParameters(*this, ost, Finput_streams[ost.source_index], static_cast<int>(o),
                          static_cast<bool>(FOnAudioHook));
  }

  try {
    // Step 5: encoders (join mode: the first block only), then decoders.
    for (int o = 0; o < EncoderCount(*this, AState); ++o) {
      TAVOutputStream& ost = *AState.ost_table[o];
      AVCodecContext* codec = ost.enc_ctx.get();
      if (ost.encoding_needed) {
        const TAVInputStream& ist = Finput_streams[ost.source_index];
        if (!ost.enc)
          Raise(*this, Format("Encoder (codec id %d) not found for output stream #%d.%d (%s)",
                              codec->codec_id, ost.file_index, ost.index, KindName(codec)));
        const AVCodecContext* icodec = ist.dec_ctx.get();
        if (icodec && icodec->subtitle_header) {
          codec->subtitle_header =
              static_cast<std::uint8_t*>(FF.av_mallocz(icodec->subtitle_header_size + 1));
          if (!codec->subtitle_header) Raise(*this, "av_malloc failed");
          std::memcpy(codec->subtitle_header, icodec->subtitle_header,
                      icodec->subtitle_header_size);
          codec->subtitle_header_size = icodec->subtitle_header_size;
        }
        if (FJoinMode) ost.enc_template = CopyEncoderSettings(codec, ost.enc);
        if (FF.avcodec_open2(codec, ost.enc, nullptr) < 0)
          Raise(*this,
                Format("Error while opening encoder for output stream #%d.%d (%s) - maybe "
                       "incorrect parameters such as bit_rate, rate, width or height. Please "
                       "check error log message to find out more detail information.",
                       ost.file_index, ost.index, KindName(codec)));
        ost.codec_id = codec->codec_id;
        FEncoderList.Insert(&ost, [codec] {
          FF.av_freep(&codec->stats_in);
          FF.avcodec_close(codec);
        });
        Fextra_size += codec->extradata_size;
        if (FF.avcodec_parameters_from_context(ost.st->codecpar, codec) < 0)
          Raise(*this, "av_malloc failed");
        ost.st->time_base = codec->time_base;
      }
      OpenBitstreamFilters(ost);
    }
    for (int i = 0; i < Fnb_input_streams; ++i) {
      TAVInputStream& ist = Finput_streams[i];
      if (!ist.decoding_needed) continue;
      const AVCodec* decoder = i < Fnb_input_codecs ? Finput_codecs[i] : nullptr;
      if (!decoder) decoder = FF.avcodec_find_decoder(ist.st->codecpar->codec_id);
      const char* kind = MediaKindName(ist.st->codecpar->codec_type);
      if (!decoder)
        Raise(*this, Format("Decoder (codec id %d) not found for input stream #%d.%d (%s)",
                            ist.st->codecpar->codec_id, ist.file_index, ist.st->index, kind));
      if (FF.avcodec_open2(ist.dec_ctx.get(), decoder, nullptr) < 0)
        Raise(*this, Format("Error while opening decoder for input stream #%d.%d (%s)",
                            ist.file_index, ist.st->index, kind));
      AVCodecContext* context = ist.dec_ctx.get();
      FDecoderList.Insert(&ist, [context] { FF.avcodec_close(context); });
      if (Fverbose >= 0) ReportCodecFrameRate(*this, ist);
    }

    // Step 6: input clocks.
    for (int i = 0; i < Fnb_input_streams; ++i) {
      TAVInputStream& ist = Finput_streams[i];
      const AVRational rate = ist.st->avg_frame_rate;
      const int delay = ist.dec_ctx ? ist.dec_ctx->has_b_frames : 0;
      ist.pts = rate.num && rate.den ? -std::llrint(1000000.0 * delay / av_q2d(rate)) : 0;
      ist.next_pts = AV_NOPTS_VALUE;
      ist.is_start = 1;
    }

    // Step 7: metadata and chapters.
    CopyMetadataAndChapters(*this);

    // Step 8: headers.
    const int outputs = FJoinMode ? 1 : Fnb_output_files;
    bool allRtp = true;
    for (int slot = 0; slot < outputs; ++slot) {
      AVFormatContext* oc = OutputContext(slot);
      if (FF.avformat_write_header(oc, nullptr) < 0)
        Raise(*this,
              Format("Could not write header for output file #%d (incorrect codec parameters ?)",
                     slot));
      allRtp = allRtp && std::strcmp(oc->oformat->name, "rtp") == 0;
    }
    if (allRtp) {
      std::vector<AVFormatContext*> contexts;
      for (int slot = 0; slot < outputs; ++slot) contexts.push_back(OutputContext(slot));
      char sdp[2048];
      if (FF.av_sdp_create(contexts.data(), outputs, sdp, sizeof(sdp)) >= 0)
        GetLogger().Log(this, llInfo, "SDP:\r\n" + TrimText(sdp));
    }
  } catch (...) {
    ReportMapping(AState);
    throw;
  }

  // Step 9: report.
  ReportMapping(AState);
}

void TCustomFFmpeg::ReportMapping(const TTranscodeState& AState) {
  const int outputs = FJoinMode ? 1 : Fnb_output_files;
  for (int slot = 0; slot < outputs; ++slot) DumpOutput(*this, slot);
  if (Fverbose < 0 || !AState.mapped) return;
  GetLogger().Log(this, llVerbose, "Stream mapping:");
  for (const TAVOutputStream* ost : AState.ost_table) {
    const TAVInputStream& source = Finput_streams[ost->source_index];
    const char* kind = KindName(ost->enc_ctx.get());
    GetLogger().Log(this, llVerbose, "  Stream #%d.%d -> #%d.%d (%s)", source.file_index,
                    source.st->index, FJoinMode ? 0 : ost->file_index, ost->index, kind);
    if (ost->sync_ist != &source)
      GetLogger().Log(this, llVerbose, " [sync #%d.%d (%s)]", ost->sync_ist->file_index,
                      ost->sync_ist->st->index, kind);
  }
}

void TCustomFFmpeg::transcode_cleanup(TTranscodeState& AState) {
  FDecoderList.CloseAll();
  FEncoderList.CloseAll();
  for (TAVOutputStream* ost : AState.ost_table) {
    // Pass-two statistics belong to us, also when the encoder never opened.
    if (ost->enc_ctx) FF.av_freep(&ost->enc_ctx->stats_in);
    ost->logfile.reset();
    ost->fifo.reset();
    ost->resample_frame.reset();
    ost->forced_kf_pts.clear();
    ost->img_resample_ctx.reset();
    ost->resample.reset();
    ost->reformat_ctx.reset();
    ost->bitstream_filter_contexts.clear();
    ost->graph.reset();
    ost->input_video_filter = ost->output_video_filter = nullptr;
  }
  AState.ost_table.clear();
}
