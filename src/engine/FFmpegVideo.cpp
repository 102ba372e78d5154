// Video output: the decoded picture's preparation (deinterlacing), frame-rate sync by dropping
// and duplicating, scaling, interlacing, quality and forced key frames, the statistics lines,
// and subtitle encoding.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

#include "Deinterlace.h"
#include "FFLog.h"
#include "FFmpegLoop.h"
#include "TextFormat.h"
#include "VideoSync.h"

namespace {

constexpr int SubtitleBufferSize = 1048576;

const char* PixelFormatName(AVPixelFormat AFormat) {
  const char* name = FF.av_get_pix_fmt_name(AFormat);
  return name ? name : "none";
}

}  // namespace

void TTranscodeLoop::prepare_decoded_picture(TAVInputStream& AIst, AVFrame*& APicture) {
  ++AIst.frame_number;
  if (!Job.Fdo_deinterlace) return;
  AVFrame* work = FDeinterlaced.get();
  const bool reuse = work->buf[0] && work->width == APicture->width &&
                     work->height == APicture->height && work->format == APicture->format;
  if (!reuse) {
    FF.av_frame_unref(work);
    work->width = APicture->width;
    work->height = APicture->height;
    work->format = APicture->format;
    if (FF.av_frame_get_buffer(work, 0) < 0) {
      GetLogger().Log(&Job, llError, "hook buf malloc error.");
      return;
    }
  } else if (FF.av_frame_make_writable(work) < 0) {
    GetLogger().Log(&Job, llError, "hook buf malloc error.");
    return;
  }
  if (!DeinterlacePicture(APicture->data, APicture->linesize, work->data, work->linesize,
                          static_cast<AVPixelFormat>(APicture->format), APicture->width,
                          APicture->height)) {
    GetLogger().Log(&Job, llError, "Deinterlacing failed.");
    return;
  }
  FF.av_frame_copy_props(work, APicture);
  work->interlaced_frame = 0;
  APicture = work;
}

const AVFrame* TTranscodeLoop::ScaledPicture(TAVOutputStream& AOst, TAVInputStream& AIst,
                                             const AVFrame* APicture) {
  AVCodecContext* enc = AOst.enc_ctx.get();
  const AVPixelFormat format = static_cast<AVPixelFormat>(APicture->format);
  const bool changed = APicture->width != AOst.resample_width ||
                       APicture->height != AOst.resample_height || format != AOst.resample_pix_fmt;
  if (changed) {
    GetLogger().Log(&Job, llInfo,
                    "Input stream #%d.%d frame changed from size:%dx%d fmt:%s to size:%dx%d fmt:%s",
                    AIst.file_index, AIst.st->index, AOst.resample_width, AOst.resample_height,
                    PixelFormatName(AOst.resample_pix_fmt), APicture->width, APicture->height,
                    PixelFormatName(format));
    AOst.resample_width = APicture->width;
    AOst.resample_height = APicture->height;
    AOst.resample_pix_fmt = format;
  }
  AOst.video_resample =
      APicture->width != enc->width || APicture->height != enc->height || format != enc->pix_fmt;
  if (!AOst.video_resample) return APicture;
  if (!AOst.resample_frame) {
    AOst.resample_frame.reset(FF.av_frame_alloc());
    AVFrame* frame = AOst.resample_frame.get();
    if (frame) {
      frame->width = enc->width;
      frame->height = enc->height;
      frame->format = enc->pix_fmt;
    }
    if (!frame || FF.av_frame_get_buffer(frame, 0) < 0)
      throw FFmpegException("Cannot allocate temp picture, check pix fmt");
  }
  if (!AOst.img_resample_ctx || changed) {
    AOst.img_resample_ctx.reset(FF.sws_getContext(APicture->width, APicture->height, format,
                                                  enc->width, enc->height, enc->pix_fmt,
                                                  AOst.sws_flags, nullptr, nullptr, nullptr));
    if (!AOst.img_resample_ctx) throw FFmpegException("Cannot get resampling context");
  }
  AVFrame* frame = AOst.resample_frame.get();
  // The encoder may still hold the previous picture.
  if (FF.av_frame_make_writable(frame) < 0)
    throw FFmpegException("Cannot allocate temp picture, check pix fmt");
  FF.sws_scale(AOst.img_resample_ctx.get(), APicture->data, APicture->linesize, 0,
               AOst.resample_height, frame->data, frame->linesize);
  FF.av_frame_copy_props(frame, APicture);
  return frame;
}

int TTranscodeLoop::encode_video_frame(TAVOutputStream& AOst, TAVInputStream& AIst,
                                       const AVFrame* APicture) {
  AVCodecContext* enc = AOst.enc_ctx.get();
  AVFormatContext* oc = Job.OutputContext(AOst.file_index);
  const double sync_ipts = static_cast<double>(AOst.sync_ist->pts - Job.Fstart_time) / 1000000.0 /
                           av_q2d(enc->time_base);
  const TVideoSyncResult sync = VideoSyncFrames(
      Job.Fvideo_sync_method, oc->oformat->flags & AVFMT_VARIABLE_FPS, sync_ipts, AOst.sync_opts);
  AOst.sync_opts = sync.sync_opts;
  int nb_frames = sync.nb_frames;
  if (Job.Fvideo_sync_method != 0) {
    if (nb_frames == 0) {
      ++Job.Fnb_frames_drop;
      Job.FShowDupOrDrop = true;
      if (Job.Fverbose > 2) GetLogger().Log(&Job, llVerbose, "*** drop!");
    } else if (nb_frames > 1) {
      Job.Fnb_frames_dup += nb_frames - 1;
      Job.FShowDupOrDrop = true;
      if (Job.Fverbose > 2) GetLogger().Log(&Job, llVerbose, "*** %d dup!", nb_frames - 1);
    }
  }
  nb_frames = std::min(nb_frames, Job.Fmax_frames[mfVideo] - AOst.frame_number);
  if (nb_frames <= 0) return 0;
  const AVFrame* picture = Job.FEnableFilter ? APicture : ScaledPicture(AOst, AIst, APicture);

  int frame_size = 0;
  AVFrame* work = RunOf(AOst).work.get();
  for (int i = 0; i < nb_frames && !Job.Broken(); ++i) {
    Job.CheckPaused();
    if (FF.av_frame_ref(work, picture) < 0) throw FFmpegException("Video encoding failed");
    work->interlaced_frame = APicture->interlaced_frame;
    if (enc->flags & (AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME))
      work->top_field_first =
          Job.Ftop_field_first == -1 ? APicture->top_field_first : Job.Ftop_field_first;
    work->quality =
        static_cast<int>(std::lrint(Job.Fsame_quality ? RunOf(AIst).quality : enc->global_quality));
    if (Job.Fme_threshold == 0) work->pict_type = AV_PICTURE_TYPE_NONE;
    work->pts = AOst.sync_opts;
    work->key_frame = 0;
    if (AOst.forced_kf_index < static_cast<int>(AOst.forced_kf_pts.size()) &&
        work->pts >= AOst.forced_kf_pts[AOst.forced_kf_index]) {
      work->pict_type = AV_PICTURE_TYPE_I;
      work->key_frame = 1;
      ++AOst.forced_kf_index;
    }
    const int size = encode_frame(AOst, work);
    FF.av_frame_unref(work);
    if (size) frame_size = size;
    ++AOst.sync_opts;
    ++AOst.frame_number;
  }
  return frame_size;
}

void TTranscodeLoop::write_video_stats(TAVOutputStream& AOst, int AFrameSize) {
  AVCodecContext* enc = AOst.enc_ctx.get();
  if (!Job.Fvstats_file) {
    Job.Fvstats_file.reset(std::fopen(Job.Fvstats_filename.c_str(), "w"));
    if (!Job.Fvstats_file) throw FFmpegException("fopen fail: " + Job.Fvstats_filename);
  }
  if (enc->codec_type != AVMEDIA_TYPE_VIDEO) return;
  const TOutputRun& run = RunOf(AOst);
  std::FILE* f = Job.Fvstats_file.get();
  std::fprintf(f, "frame= %5d q= %2.1f ", AOst.frame_number,
               run.quality < 0 ? -1.0 : run.quality / static_cast<double>(FF_QP2LAMBDA));
  if (enc->flags & AV_CODEC_FLAG_PSNR)
    std::fprintf(f, "PSNR= %6.2f ",
                 -10.0 * std::log10(static_cast<double>(run.error[0]) /
                                    (enc->width * enc->height * 255.0 * 255.0)));
  std::fprintf(f, "f_size= %6d ", AFrameSize);
  const double ti = std::max(AOst.sync_opts * av_q2d(enc->time_base), 0.01);
  const double bitrate = AFrameSize * 8 / av_q2d(enc->time_base) / 1000.0;
  const double avg = Job.Fvideo_size * 8 / ti / 1000.0;
  std::fprintf(f, "s_size= %8.0fkB time= %0.3f br= %7.1fkbits/s avg_br= %7.1fkbits/s ",
               Job.Fvideo_size / 1024.0, ti, bitrate, avg);
  std::fprintf(f, "type= %c\n", run.pict_type ? run.pict_type : '?');
}

void TTranscodeLoop::encode_subtitle(TAVOutputStream& AOst, TAVInputStream& AIst, AVSubtitle& ASub,
                                     std::int64_t APts) {
  if (APts == AV_NOPTS_VALUE) {
    if (Job.Fexit_on_error) throw FFmpegException("Subtitle packets must have a pts");
    GetLogger().Log(&Job, llError, "Subtitle packets must have a pts");
    return;
  }
  // One buffer for every job of the process.
  static std::vector<std::uint8_t> buffer(SubtitleBufferSize);
  static std::mutex bufferLock;
  std::lock_guard lock(bufferLock);
  AVCodecContext* enc = AOst.enc_ctx.get();
  const bool dvb = enc->codec_id == AV_CODEC_ID_DVB_SUBTITLE;
  for (int i = 0; i < (dvb ? 2 : 1); ++i) {
    ASub.pts = FF.av_rescale_q(APts, AIst.st->time_base, AV_TIME_BASE_Q) +
               FF.av_rescale_q(ASub.start_display_time, {1, 1000}, AV_TIME_BASE_Q);
    ASub.end_display_time -= ASub.start_display_time;
    ASub.start_display_time = 0;
    const int size = FF.avcodec_encode_subtitle(enc, buffer.data(), SubtitleBufferSize, &ASub);
    if (size < 0) throw FFmpegException("Subtitle encoding failed");
    AVPacket* pkt = FEncoded.get();
    if (FF.av_new_packet(pkt, size) < 0) throw FFmpegException("Subtitle encoding failed");
    std::memcpy(pkt->data, buffer.data(), size);
    pkt->pts = FF.av_rescale_q(ASub.pts, AV_TIME_BASE_Q, AOst.st->time_base);
    if (dvb) pkt->pts += 90 * (i == 0 ? ASub.start_display_time : ASub.end_display_time);
    pkt->dts = pkt->pts;
    write_output_packet(AOst, pkt);
    FF.av_packet_unref(pkt);
  }
}
