// The video filter pipeline of one encoded stream.
#include "FFmpegVideoFilter.h"

int build_video_filter_graph(TObject* ASender, TAVOutputStream& AOst, TAVInputStream& AIst) {
  AVCodecContext* codec = AOst.enc_ctx.get();
  const AVCodecContext* icodec = AIst.dec_ctx.get();
  TVideoGeometry source;
  source.Width = icodec->width;
  source.Height = icodec->height;
  source.Format = icodec->pix_fmt;
  source.TimeBase = {1, 1000000};
  source.SampleAspect =
      AIst.st->sample_aspect_ratio.num ? AIst.st->sample_aspect_ratio : icodec->sample_aspect_ratio;
  AOst.graph = std::make_unique<TVideoFilterPipeline>();
  const int ret = AOst.graph->Build(ASender, AOst.avfilter, source, codec->width, codec->height,
                                    codec->pix_fmt, AOst.sws_flags);
  AOst.avfilter.clear();
  if (ret < 0) return ret;
  AOst.input_video_filter = AOst.graph->Source();
  AOst.output_video_filter = AOst.graph->Sink();
  const TVideoGeometry output = AOst.graph->Output();
  codec->width = output.Width;
  codec->height = output.Height;
  codec->sample_aspect_ratio =
      AOst.frame_aspect_ratio != 0.0f
          ? FF.av_d2q(AOst.frame_aspect_ratio * codec->height / codec->width, 255)
          : output.SampleAspect;
  AOst.st->sample_aspect_ratio = codec->sample_aspect_ratio;
  return 0;
}
