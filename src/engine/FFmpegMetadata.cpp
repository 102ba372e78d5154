// Metadata maps and chapter copies from the inputs to the outputs.
#include <algorithm>
#include <climits>

#include "FFLog.h"
#include "FFmpegSetup.h"
#include "TextFormat.h"

namespace {

[[noreturn]] void Fail(TCustomFFmpeg& AJob, const std::string& AMessage) {
  GetLogger().Log(&AJob, llError, AMessage);
  throw FFmpegException(AMessage);
}

// The dictionary one side of a metadata map selects.
AVDictionary** MapDictionary(TCustomFFmpeg& AJob, AVFormatContext* AContext,
                             const TAVMetaDataMap& ASide) {
  const auto check = [&](const char* AWhat, unsigned ACount) {
    if (ASide.index < 0 || static_cast<unsigned>(ASide.index) >= ACount)
      Fail(AJob, Format("Invalid %s index %d while processing metadata maps", AWhat, ASide.index));
  };
  switch (ASide.type_) {
    case 's':
      check("stream", AContext->nb_streams);
      return &AContext->streams[ASide.index]->metadata;
    case 'c':
      check("chapter", AContext->nb_chapters);
      return &AContext->chapters[ASide.index]->metadata;
    case 'p':
      check("program", AContext->nb_programs);
      return &AContext->programs[ASide.index]->metadata;
    default:
      return &AContext->metadata;
  }
}

void CopyChapters(TCustomFFmpeg& AJob, int AInput, AVFormatContext* AOutput) {
  const AVFormatContext* is = AJob.Finput_files[AInput].ctx.get();
  for (unsigned i = 0; i < is->nb_chapters; ++i) {
    const AVChapter* in = is->chapters[i];
    const std::int64_t offset = FF.av_rescale_q(
        AJob.Fstart_time - AJob.Finput_files_ts_offset[AInput], AV_TIME_BASE_Q, in->time_base);
    const bool limited = AJob.Frecording_time != NoTimeLimit;
    const std::int64_t limit =
        limited ? FF.av_rescale_q(AJob.Frecording_time, AV_TIME_BASE_Q, in->time_base) : INT64_MAX;
    if (in->end < offset) continue;
    if (limited && in->start > limit + offset) break;
    auto* out = static_cast<AVChapter*>(FF.av_mallocz(sizeof(AVChapter)));
    if (!out) throw FFmpegException("av_mallocz fail");
    out->id = in->id;
    out->time_base = in->time_base;
    out->start = std::max<std::int64_t>(0, in->start - offset);
    out->end = std::min(limit, in->end - offset);
    if (AJob.Fmetadata_chapters_autocopy) FF.av_dict_copy(&out->metadata, in->metadata, 0);
    int count = static_cast<int>(AOutput->nb_chapters);
    // The keeping form: a failure must not lose the chapters already copied.
    if (FF.av_dynarray_add_nofree(&AOutput->chapters, &count, out) < 0) {
      FF.av_dict_free(&out->metadata);
      FF.av_free(out);
      throw FFmpegException("av_realloc fail");
    }
    AOutput->nb_chapters = static_cast<unsigned>(count);
  }
}

int OutputCount(const TCustomFFmpeg& AJob) {
  return AJob.FJoinMode ? 1 : AJob.Fnb_output_files;
}

}  // namespace

void CopyMetadataAndChapters(TCustomFFmpeg& AJob) {
  for (int m = 0; m < AJob.Fnb_meta_data_maps; ++m) {
    const TAVMetaDataMap& out = AJob.Fmeta_data_maps[m][0];
    const TAVMetaDataMap& in = AJob.Fmeta_data_maps[m][1];
    if (out.file_idx < 0 || in.file_idx < 0) continue;
    if (out.file_idx >= AJob.Fnb_output_files)
      Fail(AJob, Format("Invalid %s index %d while processing metadata maps", "output file",
                        out.file_idx));
    if (in.file_idx >= AJob.Fnb_input_files)
      Fail(AJob,
           Format("Invalid %s index %d while processing metadata maps", "input file", in.file_idx));
    AVDictionary** target = MapDictionary(AJob, AJob.OutputContext(out.file_idx), out);
    AVDictionary** source = MapDictionary(AJob, AJob.Finput_files[in.file_idx].ctx.get(), in);
    FF.av_dict_copy(target, *source, AV_DICT_DONT_OVERWRITE);
  }
  if (AJob.Fmetadata_global_autocopy && AJob.Fnb_input_files > 0)
    for (int o = 0; o < OutputCount(AJob); ++o)
      FF.av_dict_copy(&AJob.OutputContext(o)->metadata, AJob.Finput_files[0].ctx->metadata,
                      AV_DICT_DONT_OVERWRITE);

  for (int c = 0; c < AJob.Fnb_chapter_maps; ++c) {
    const TAVChapterMap& map = AJob.Fchapter_maps[c];
    if (map.in_file < 0 || map.out_file < 0) continue;
    if (map.in_file >= AJob.Fnb_input_files)
      Fail(AJob, Format("Invalid input file index %d in chapter mapping.", map.in_file));
    if (map.out_file >= AJob.Fnb_output_files)
      Fail(AJob, Format("Invalid output file index %d in chapter mapping.", map.out_file));
    CopyChapters(AJob, map.in_file, AJob.OutputContext(map.out_file));
  }
  if (AJob.Fnb_chapter_maps == 0) {
    for (int i = 0; i < AJob.Fnb_input_files; ++i) {
      if (AJob.Finput_files[i].ctx->nb_chapters == 0) continue;
      for (int o = 0; o < OutputCount(AJob); ++o) CopyChapters(AJob, i, AJob.OutputContext(o));
      break;
    }
  }
}
