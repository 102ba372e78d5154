// Sending one frame to an encoder and writing every packet it gives, with the quality side
// data, the byte counters and the two-pass statistics.
#include <cstring>

#include "DtsGuard.h"
#include "FFmpegLoop.h"

namespace {

// AV_PKT_DATA_QUALITY_STATS: quality (32 bits), picture type, error count, then 64-bit errors.
void ReadQualityStats(const AVPacket* APacket, TOutputRun& ARun) {
  std::size_t size = 0;
  const std::uint8_t* data = FF.av_packet_get_side_data(APacket, AV_PKT_DATA_QUALITY_STATS, &size);
  if (!data || size < 5) return;
  std::uint32_t quality;
  std::memcpy(&quality, data, 4);
  ARun.quality = static_cast<int>(quality);
  ARun.pict_type = FF.av_get_picture_type_char(static_cast<AVPictureType>(data[4]));
  const int errors = size >= 6 ? std::min<int>(data[5], 4) : 0;
  for (int i = 0; i < errors && 8 + 8 * (i + 1) <= static_cast<int>(size); ++i)
    std::memcpy(&ARun.error[i], data + 8 + 8 * i, 8);
}

}  // namespace

int TTranscodeLoop::encode_frame(TAVOutputStream& AOst, AVFrame* AFrame) {
  AVCodecContext* enc = AOst.enc_ctx.get();
  const bool video = enc->codec_type == AVMEDIA_TYPE_VIDEO;
  const char* failure = video ? "Video encoding failed" : "Audio encoding failed";
  TOutputRun& run = RunOf(AOst);
  // The encoder of a joined block counts from its block's start.
  if (AFrame) AFrame->pts -= run.block_start;
  int ret = FF.avcodec_send_frame(enc, AFrame);
  if (AFrame) AFrame->pts += run.block_start;
  if (ret < 0 && ret != AVERROR_EOF) throw FFmpegException(failure);
  AVPacket* pkt = FEncoded.get();
  int last = 0;
  while ((ret = FF.avcodec_receive_packet(enc, pkt)) >= 0) {
    ReadQualityStats(pkt, run);
    if (pkt->pts != AV_NOPTS_VALUE) pkt->pts += run.block_start;
    if (pkt->dts != AV_NOPTS_VALUE) pkt->dts += run.block_start;
    // A picture lasts one frame of the encoder's time base; muxers that write sample
    // durations (MP4, 3GP) would otherwise drop the last picture, whose duration is unknown.
    if (video && pkt->duration <= 0) pkt->duration = 1;
    FF.av_packet_rescale_ts(pkt, enc->time_base, AOst.st->time_base);
    if (run.block_shift == AV_NOPTS_VALUE)
      run.block_shift = BlockShift(LastDts(AOst), pkt->dts, AV_NOPTS_VALUE);
    if (pkt->pts != AV_NOPTS_VALUE) pkt->pts += run.block_shift;
    if (pkt->dts != AV_NOPTS_VALUE) pkt->dts += run.block_shift;
    (video ? Job.Fvideo_size : Job.Faudio_size) += pkt->size;
    if (AOst.logfile && enc->stats_out) std::fputs(enc->stats_out, AOst.logfile.get());
    last = pkt->size;
    write_output_packet(AOst, pkt);
    FF.av_packet_unref(pkt);
  }
  if (ret != AVERROR(EAGAIN) && ret != AVERROR_EOF) throw FFmpegException(failure);
  return last;
}
