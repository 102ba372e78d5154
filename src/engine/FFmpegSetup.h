// The run-level state of one transcode and the set-up steps that work on single streams.
#pragma once

#include <string>
#include <vector>

#include "FFmpegJob.h"
#include "FFmpegOutputStream.h"

struct TTranscodeState {
  std::vector<TAVOutputStream*> ost_table;  // every output stream, slot by slot
  int block_size = 0;                       // stream count of output slot 0
  std::vector<int> no_packet;               // per input file: the last read had no packet
  int no_packet_count = 0;
  std::vector<int> thresholds;  // frame-count thresholds of the mapping, per media kind
  bool mapped = false;          // the mapping is complete (the report can be given)
};

// "<prefix or ffmpeg2pass>-<index>.log", at most 1023 characters.
std::string PassLogFileName(const std::string& APrefix, int AIndex);

// Step 4 for one output stream and its source: copy or encoding parameters, filter graph, pass
// log. Raises FFmpegException with the messages of the set-up.
void SetupStreamParameters(TCustomFFmpeg& AJob, TAVOutputStream& AOst, TAVInputStream& AIst,
                           int AIndex, bool AAudioHook);

// Pass one: creates the statistics file; pass two: reads it into the encoder's stats_in.
void open_pass_log(TCustomFFmpeg& AJob, int AIndex, TAVOutputStream& AOst, AVCodecContext* ACodec);

// Metadata maps, the global metadata copy, chapter maps and automatic chapters.
void CopyMetadataAndChapters(TCustomFFmpeg& AJob);
