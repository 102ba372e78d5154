// TTranscodeLoop: the transcode loop's run state and its loop, audio and video operations.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "FFmpegSetup.h"

// What has been written to one muxer stream (in join mode the records of every block share it).
struct TStreamClock {
  std::int64_t last_dts = AV_NOPTS_VALUE;  // DTS last written, stream time base
  std::int64_t end_ts = 0;                 // end of the last written packet, stream time base
};

// What the loop keeps of one output stream besides its record.
struct TOutputRun {
  int quality = -1;                      // quality of the last encoded packet, -1 none
  char pict_type = 0;                    // picture type letter of the last encoded packet
  std::array<std::uint64_t, 4> error{};  // per-plane errors of the last encoded packet
  TFramePtr work;                        // frame handed to the encoder
  int work_capacity = 0;                 // audio: samples the work frame holds
  TFramePtr converted;                   // audio: resampler or converter output
  int converted_capacity = 0;
  // Join mode: the encoder of this block counts from block_start (encoder time base); its
  // packets move by block_shift (stream time base), set from its first packet.
  std::int64_t block_start = 0;
  std::int64_t block_shift = AV_NOPTS_VALUE;
};

// What the loop keeps of one input stream besides its record.
struct TInputRun {
  std::int64_t pending_pts = AV_NOPTS_VALUE;  // pts of the packet, microseconds
  std::int64_t packet_pts = AV_NOPTS_VALUE;   // pts of the packet as read, stream time base
  float quality = 0;                          // quality of the last decoded picture
};

// Format of one chunk of decoded audio, interleaved.
struct TDecodedAudio {
  AVSampleFormat format;  // packed
  int sample_rate;
  int channels;
  const AVChannelLayout* layout;
};

class TTranscodeLoop {
 public:
  TTranscodeLoop(TCustomFFmpeg& AJob, TTranscodeState& AState);

  // The loop; returns the current input file (join mode: the one played last).
  int Loop();
  // Drains decoders and encoders, writes the trailers, gives the final report, closes codecs.
  void WindDown(int AFile);

  // FFmpegLoop.cpp
  int process_input_packet(int AIndex, const AVPacket* APacket);
  void write_output_packet(TAVOutputStream& AOst, AVPacket* APacket);
  // FFmpegProgress.cpp
  void report_progress(bool AIsLast, int AFile);
  // FFmpegAudio.cpp
  void do_audio_out(TAVOutputStream& AOst, TAVInputStream& AIst, const std::uint8_t* ASamples,
                    int ASize, const TDecodedAudio& AFormat);
  void flush_audio(TAVOutputStream& AOst);
  // FFmpegVideo.cpp
  void prepare_decoded_picture(TAVInputStream& AIst, AVFrame*& APicture);
  int encode_video_frame(TAVOutputStream& AOst, TAVInputStream& AIst, const AVFrame* APicture);
  void write_video_stats(TAVOutputStream& AOst, int AFrameSize);
  void encode_subtitle(TAVOutputStream& AOst, TAVInputStream& AIst, AVSubtitle& ASub,
                       std::int64_t APts);
  // Sends a frame (nullptr: drains) and writes every packet the encoder gives; the bytes of
  // the last packet, 0 without one.
  int encode_frame(TAVOutputStream& AOst, AVFrame* AFrame);

  TOutputRun& RunOf(const TAVOutputStream& AOst);
  TInputRun& RunOf(const TAVInputStream& AIst);
  // The output time of a stream, microseconds.
  std::int64_t OutputTime(const TAVOutputStream& AOst);
  // The DTS last written to the stream's muxer stream, AV_NOPTS_VALUE before the first.
  std::int64_t LastDts(const TAVOutputStream& AOst);

 private:
  bool ChooseInput(int& AFile);
  // Timestamp correction, recording time and decoding of the packet just read; false when
  // decoding failed.
  bool ProcessReadPacket(int AIndex, int AFile);
  void SwitchJoinedFile(int& AFile, bool& ALeave);
  // Replaces the encoders of block 0 (shared by every block) by fresh ones from their
  // templates; the records of block ANext count from where the previous block stopped.
  void ReopenEncoders(int ANext);
  void CopyPacket(TAVOutputStream& AOst, TAVInputStream& AIst, const AVPacket& APacket);
  void AdvanceWithoutDecoding(TAVInputStream& AIst, const AVPacket& APacket);
  int DecodeFrames(int AIndex, const AVPacket* APacket);
  void OutputAudio(int AIndex, const AVFrame& AFrame);
  void OutputVideo(int AIndex, AVFrame* AFrame);
  int DecodeSubtitle(int AIndex, const AVPacket* APacket);
  void FlushOutputs(int AIndex);
  void FilterAndEncode(TAVOutputStream& AOst, TAVInputStream& AIst, AVFrame* AFrame);
  void WriteThrough(TAVOutputStream& AOst, AVPacket* APacket, std::size_t AFilter);
  void Mux(TAVOutputStream& AOst, AVPacket* APacket);
  // Converts the samples through the context into the output stream's FIFO; false when the
  // context failed.
  bool ConvertIntoFifo(TAVOutputStream& AOst, SwrContext* AContext, const std::uint8_t* AData,
                       int ASamples);
  void EncodeFifo(TAVOutputStream& AOst, int ASamples, bool APadToFrame);
  const AVFrame* ScaledPicture(TAVOutputStream& AOst, TAVInputStream& AIst,
                               const AVFrame* APicture);

  TCustomFFmpeg& Job;
  TTranscodeState& State;
  std::vector<TOutputRun> FOutputRuns;              // parallel to the output-stream list
  std::vector<TInputRun> FInputRuns;                // parallel to the input streams
  std::map<const AVStream*, TStreamClock> FClocks;  // per muxer stream
  TPacketPtr FPacket;                               // packet being read
  TPacketPtr FWorkPacket;                           // copies sent to decoders and muxers
  TPacketPtr FEncoded;                              // packets from encoders
  TFramePtr FDecoded;                               // frames from decoders
  TFramePtr FFiltered;                              // frames from filter graphs
  TFramePtr FDeinterlaced;                          // working picture of the deinterlacer
  std::vector<std::uint8_t> Fsamples;               // decoded audio, interleaved
  std::vector<std::uint8_t> Finput_tmp;             // a chunk preceded by inserted silence
  std::int64_t FLastReport = 0;
};
