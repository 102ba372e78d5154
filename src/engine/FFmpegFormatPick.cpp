// Sample format, sample rate and pixel format choice against an encoder's supported lists.
#include "FFmpegFormatPick.h"

#include <cstdlib>

#include "FFLoad.h"
#include "FFLog.h"

namespace {

const char* SampleFormatName(AVSampleFormat AFormat) {
  const char* name = FF.av_get_sample_fmt_name(AFormat);
  return name ? name : "none";
}

const char* PixelFormatName(AVPixelFormat AFormat) {
  const char* name = FF.av_get_pix_fmt_name(AFormat);
  return name ? name : "none";
}

template <typename T>
bool Listed(const T* AList, T AValue, T AEnd) {
  for (; *AList != AEnd; ++AList)
    if (*AList == AValue) return true;
  return false;
}

// Formats MJPEG and lossless JPEG take with strictness below 0.
constexpr AVPixelFormat MjpegFormats[] = {AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUVJ422P,
                                          AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUV422P, AV_PIX_FMT_NONE};
constexpr AVPixelFormat LjpegFormats[] = {
    AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUVJ422P, AV_PIX_FMT_YUVJ444P, AV_PIX_FMT_YUV420P,
    AV_PIX_FMT_YUV422P,  AV_PIX_FMT_YUV444P,  AV_PIX_FMT_BGRA,     AV_PIX_FMT_NONE};

// The formats JPEG encoders of old took only with strictness below 0; current ones list them
// themselves, so the encoder's list always counts too.
bool PixelCandidate(const AVCodecContext* AContext, const AVCodec* AEncoder,
                    AVPixelFormat AFormat) {
  if (Listed(AEncoder->pix_fmts, AFormat, AV_PIX_FMT_NONE)) return true;
  if (AContext->strict_std_compliance >= 0) return false;
  if (AEncoder->id == AV_CODEC_ID_MJPEG) return Listed(MjpegFormats, AFormat, AV_PIX_FMT_NONE);
  if (AEncoder->id == AV_CODEC_ID_LJPEG) return Listed(LjpegFormats, AFormat, AV_PIX_FMT_NONE);
  return false;
}

}  // namespace

void pick_sample_format(TObject* ASender, AVCodecContext* AContext, const AVCodec* AEncoder) {
  // With no format asked for, the set-up takes the decoder's and picks then.
  if (!AEncoder || !AEncoder->sample_fmts || AContext->sample_fmt == AV_SAMPLE_FMT_NONE) return;
  const AVSampleFormat wanted = AContext->sample_fmt;
  const AVSampleFormat first = AEncoder->sample_fmts[0];
  if (Listed(AEncoder->sample_fmts, wanted, AV_SAMPLE_FMT_NONE)) return;
  // A lossless encoder loses precision when it has to take a narrower format.
  const AVCodecDescriptor* descriptor = FF.avcodec_descriptor_get(AEncoder->id);
  if (descriptor && (descriptor->props & AV_CODEC_PROP_LOSSLESS) &&
      FF.av_get_bytes_per_sample(first) < FF.av_get_bytes_per_sample(wanted))
    GetLogger().Log(ASender, llError, "Convertion will not be lossless");
  GetLogger().Log(ASender, llWarning,
                  "Incompatible sample format \"%s\" for codec \"%s\", auto-selecting format "
                  "\"%s\"",
                  SampleFormatName(wanted), AEncoder->name, SampleFormatName(first));
  AContext->sample_fmt = first;
}

void pick_sample_rate(TObject* ASender, AVCodecContext* AContext, const AVCodec* AEncoder) {
  if (!AEncoder || !AEncoder->supported_samplerates) return;
  const int wanted = AContext->sample_rate;
  int best = AEncoder->supported_samplerates[0];
  for (const int* p = AEncoder->supported_samplerates; *p; ++p)
    if (std::llabs(static_cast<long long>(wanted) - *p) <
        std::llabs(static_cast<long long>(wanted) - best))
      best = *p;
  if (best != wanted)
    GetLogger().Log(ASender, llWarning,
                    "Requested sampling rate unsupported using closest supported (%d)", best);
  AContext->sample_rate = best;
}

void pick_pixel_format(TObject* ASender, AVCodecContext* AContext, const AVCodec* AEncoder) {
  if (!AEncoder || !AEncoder->pix_fmts) return;
  const AVPixelFormat wanted = AContext->pix_fmt;
  if (PixelCandidate(AContext, AEncoder, wanted)) return;
  const AVPixelFormat first = AEncoder->pix_fmts[0];
  if (wanted != AV_PIX_FMT_NONE)
    GetLogger().Log(ASender, llWarning,
                    "Incompatible pixel format \"%s\" for codec \"%s\", auto-selecting format "
                    "\"%s\"",
                    PixelFormatName(wanted), AEncoder->name, PixelFormatName(first));
  AContext->pix_fmt = first;
}
