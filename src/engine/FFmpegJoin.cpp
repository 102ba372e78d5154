// Join mode: the switch from one input file to the next, with a fresh set of encoders for the
// next file's block built from the set-up's encoder templates.
#include <algorithm>
#include <cmath>
#include <utility>

#include "EncoderTemplate.h"
#include "FFmpegLoop.h"
#include "FFmpegMapping.h"
#include "TextFormat.h"

void TTranscodeLoop::SwitchJoinedFile(int& AFile, bool& ALeave) {
  // Drain the decoders of the file and, behind them, the encoders of its block.
  const TAVInputFile& in = Job.Finput_files[AFile];
  for (int i = in.ist_index; i < in.ist_index + in.nb_streams; ++i) {
    TAVInputStream& ist = Job.Finput_streams[i];
    if (!ist.decoding_needed) continue;
    process_input_packet(i, nullptr);
    ist.decoder_flushed = 1;
  }
  const std::size_t n = State.block_size;
  for (std::size_t o = n * (AFile + 1); o < State.ost_table.size(); ++o) {
    State.ost_table[o]->sync_opts = State.ost_table[o - n]->sync_opts;
    State.ost_table[o]->frame_number = State.ost_table[o - n]->frame_number;
  }
  // The next input starts behind everything written and everything the encoders were given
  // (a B-frame stream's last DTS lies before the end of its pictures).
  double max_opts = 0;
  for (std::size_t o = n * AFile; o < n * AFile + n && o < State.ost_table.size(); ++o) {
    TAVOutputStream& ost = *State.ost_table[o];
    max_opts = std::max(max_opts, OutputTime(ost) / 1e6);
    if (ost.encoding_needed)
      max_opts = std::max(max_opts, ost.sync_opts * av_q2d(ost.enc_ctx->time_base));
    ost.show_fps = 0;
  }
  if (AFile + 1 >= Job.Fnb_input_files) {
    ALeave = true;
    return;
  }
  ReopenEncoders(AFile + 1);
  Job.Finput_files_ts_offset[AFile + 1] += std::llrint(max_opts * 1000000);
  ++AFile;
}

void TTranscodeLoop::ReopenEncoders(int ANext) {
  const std::size_t n = State.block_size;
  for (std::size_t j = 0; j < n && j < State.ost_table.size(); ++j) {
    TAVOutputStream& first = *State.ost_table[j];
    if (!first.encoding_needed || !first.enc_template) continue;
    Job.FEncoderList.Remove(&first);
    TCodecContextPtr fresh = CopyEncoderSettings(first.enc_template.get(), first.enc);
    // Pass-two statistics go on to the fresh encoder.
    fresh->stats_in = std::exchange(first.enc_ctx->stats_in, nullptr);
    FF.avcodec_close(first.enc_ctx.get());
    fresh->codec_id = first.codec_id;
    if (Job.FEnableFilter)
      fresh->sample_aspect_ratio = FF.av_d2q(av_q2d(first.st->sample_aspect_ratio), 255);
    // The constant-rate factor is kept as the template has it: libx264 reads 0 as lossless.
    if (FF.avcodec_open2(fresh.get(), first.enc, nullptr) < 0) {
      FF.av_freep(&fresh->stats_in);
      throw FFmpegException(Format(
          "Error while opening codec for output stream #%d.%d (%s) - maybe incorrect parameters "
          "such as bit_rate, rate, width or height",
          first.file_index, first.index, MediaKindName(fresh->codec_type)));
    }
    AVCodecContext* codec = fresh.get();
    const TSharedCodecContext shared(fresh.release(), TCodecContextDeleter());
    Job.FEncoderList.Insert(&first, [codec] {
      FF.av_freep(&codec->stats_in);
      FF.avcodec_close(codec);
    });
    for (std::size_t o = j; o < State.ost_table.size(); o += n)
      State.ost_table[o]->enc_ctx = shared;
    const std::size_t next = n * ANext + j;
    if (next < State.ost_table.size()) {
      TOutputRun& run = RunOf(*State.ost_table[next]);
      run.block_start = State.ost_table[next]->sync_opts;
      run.block_shift = AV_NOPTS_VALUE;
    }
  }
}
