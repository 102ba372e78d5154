// The progress report of a running transcode: the progress line, the progress event and the
// final statistics.
#include <cmath>

#include "FFLog.h"
#include "FFmpegLoop.h"
#include "TextFormat.h"

namespace {

// Quantiser histogram of the progress line, shared by every job of the process.
std::array<int, 52> QpHistogram{};

// Output size so far: the size of output 0's I/O, or its position while the size is unknown.
std::int64_t TotalSize(AVFormatContext* AOutput) {
  if (!AOutput || !AOutput->pb) return 0;
  const std::int64_t size = FF.avio_size(AOutput->pb);
  return size < 0 ? IOContextPosition(AOutput->pb) : size;
}

double Psnr(double AError) {
  return -10.0 * std::log10(AError);
}

}  // namespace

void TTranscodeLoop::report_progress(bool AIsLast, int AFile) {
  const std::int64_t total_size = TotalSize(Job.OutputContext(0));
  std::size_t first = 0, last = State.ost_table.size();
  if (Job.FJoinMode) {
    first = static_cast<std::size_t>(State.block_size) * AFile;
    last = std::min(last, first + State.block_size);
  }
  std::string line;
  bool videoSeen = false;
  int frame_number = -1, fps = -1;
  float q = -1;
  std::int64_t ti = INT64_MAX, current = 0;
  for (std::size_t o = first; o < last; ++o) {
    TAVOutputStream& ost = *State.ost_table[o];
    const AVCodecContext* enc = ost.enc_ctx.get();
    const TOutputRun& run = FOutputRuns[o];
    q = ost.encoding_needed && run.quality >= 0 ? run.quality / static_cast<float>(FF_QP2LAMBDA)
                                                : -1.0f;
    if (videoSeen && enc->codec_type == AVMEDIA_TYPE_VIDEO) line += Format("q=%2.1f ", q);
    if (!videoSeen && enc->codec_type == AVMEDIA_TYPE_VIDEO && ost.show_fps) {
      frame_number = ost.frame_number;
      if (frame_number < 1) return;  // nothing encoded yet: no report
      const double t = (FF.av_gettime() - Job.Ftimer_start) / 1000000.0;
      fps = t > 1 ? static_cast<int>(frame_number / t + 0.5) : 0;
      line += Format("frame=%5d fps=%3d q=%3.1f ", frame_number, fps, q);
      if (AIsLast) line += "L";
      if (Job.Fqp_hist) {
        const int qp = static_cast<int>(std::lrint(q));
        if (qp >= 0 && qp < static_cast<int>(QpHistogram.size())) ++QpHistogram[qp];
        for (int j = 0; j < 32; ++j)
          line += Format("%X", static_cast<int>(std::lrint(std::log2(QpHistogram[j] + 1))));
      }
      if (enc->flags & AV_CODEC_FLAG_PSNR) {
        double scale = enc->width * enc->height * 255.0 * 255.0, total = 0, scales = 0;
        if (AIsLast) scale *= frame_number;
        line += "PSNR=";
        for (int j = 0; j < 3; ++j) {
          const double error =
              AIsLast ? static_cast<double>(enc->error[j]) : static_cast<double>(run.error[j]);
          const double s = j ? scale / 4 : scale;
          total += error;
          scales += s;
          line += Format("%c:%2.2f ", "YUV"[j], Psnr(error / s));
        }
        line += Format("*:%2.2f ", Psnr(total / scales));
      }
      videoSeen = true;
    }
    current = OutputTime(ost);
    ti = std::min(ti, current);
  }
  if (ti == INT64_MAX) ti = 0;
  if (!(Job.FOnProgress || Job.Fverbose > 0 || AIsLast)) return;
  const int hours = static_cast<int>(ti / 3600000000LL);
  const int mins = static_cast<int>(ti / 60000000LL % 60);
  const int secs = static_cast<int>(ti / 1000000 % 60);
  const int hundredths = static_cast<int>(ti % 1000000 * 100 / 1000000);
  const double bitrate = ti > 0 ? total_size * 8 / (ti / 1000.0) : 0;
  line += Format("size=%8.0fkB time=%02d:%02d:%02d.%02d bitrate=%6.1fkbits/s", total_size / 1024.0,
                 hours, mins, secs, hundredths, bitrate);
  if (Job.Fnb_frames_dup || Job.Fnb_frames_drop) {
    line += Format(" dup=%d drop=%d", Job.Fnb_frames_dup, Job.Fnb_frames_drop);
    if (Job.FShowDupOrDrop && Job.Fverbose >= 0 && Job.FOnProgress) {
      Job.FShowDupOrDrop = false;
      GetLogger().Log(&Job, llVerbose, line);
    }
  }
  if (Job.FOnProgress)
    Job.FOnProgress(&Job, AIsLast ? -1 : AFile, frame_number, fps, q, static_cast<float>(bitrate),
                    total_size, current, Job.FTotalOutputDuration);
  else if (Job.Fverbose >= 0)
    GetLogger().Log(&Job, llVerbose, line);
  if (AIsLast && Job.Fverbose >= 0) {
    const double raw = static_cast<double>(Job.Fvideo_size + Job.Faudio_size + Job.Fextra_size);
    // Nothing written: no overhead to speak of.
    const double overhead = raw > 0 ? 100.0 * (total_size - raw) / raw : 0.0;
    GetLogger().Log(&Job, llVerbose,
                    "video:%1.0fkB audio:%1.0fkB global headers:%1.0fkB muxing overhead %f%%\r\n",
                    Job.Fvideo_size / 1024.0, Job.Faudio_size / 1024.0, Job.Fextra_size / 1024.0,
                    overhead);
  }
}
