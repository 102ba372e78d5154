// Lines of the probe's file report built from a demuxer context: tags, streams, codec names.
#include "ProbeReport.h"

#include "FFLoad.h"
#include "FFOwners.h"
#include "ProbeText.h"
#include "TextFormat.h"

namespace {

std::string Trim(const std::string& AText) {
  std::size_t first = AText.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return std::string();
  return AText.substr(first, AText.find_last_not_of(" \t\r\n") - first + 1);
}

// FFmpeg's one-line description of the stream's codec, from a temporary decoder-side context.
std::string CodecDescription(const AVCodecParameters* APar) {
  TCodecContextPtr context(FF.avcodec_alloc_context3(nullptr));
  if (!context || FF.avcodec_parameters_to_context(context.get(), APar) < 0) return std::string();
  char text[256];
  FF.avcodec_string(text, sizeof text, context.get(), 0);
  return UTF8ToText(text);
}

std::int64_t ToMicroseconds(std::int64_t AValue, AVRational ATimeBase) {
  return FF.av_rescale_q(AValue, ATimeBase, AVRational{1, 1000000});
}

}  // namespace

std::string CodecTagText(unsigned ATag) {
  char c[4];
  bool printable = true;
  for (int i = 0; i < 4; ++i) {
    c[i] = static_cast<char>((ATag >> (8 * i)) & 0xFF);
    printable = printable && c[i] >= 32 && c[i] <= 126;
  }
  if (printable) return Format("%c%c%c%c / 0x%04X", c[0], c[1], c[2], c[3], ATag);
  return Format("0x%04x", ATag);
}

std::string CodecDisplayName(const AVCodecParameters* APar, TCodecSide ASide) {
  const AVCodec* codec = ASide == csEncoder ? FF.avcodec_find_encoder(APar->codec_id)
                                            : FF.avcodec_find_decoder(APar->codec_id);
  if (codec) {
    std::string longName = Trim(codec->long_name ? UTF8ToText(codec->long_name) : "");
    std::string name = UTF8ToText(codec->name);
    return longName.empty() ? name : name + "(" + longName + ")";
  }
  if (APar->codec_id == AV_CODEC_ID_MPEG2TS) return "mpeg2ts";
  return CodecTagText(APar->codec_tag);
}

std::string TagValue(const AVDictionary* ATags, const char* AKey) {
  const AVDictionaryEntry* entry = FF.av_dict_get(ATags, AKey, nullptr, 0);
  return entry ? UTF8ToText(entry->value) : std::string();
}

std::string TagOrNewer(const AVDictionary* ATags, const char* AKey, const char* ANewerKey) {
  std::string value = TagValue(ATags, AKey);
  return value.empty() ? TagValue(ATags, ANewerKey) : value;
}

void AppendMetadataLines(TReportLines& ALines, const AVDictionary* ATags,
                         const std::string& AIndent) {
  std::vector<const AVDictionaryEntry*> entries;
  for (const AVDictionaryEntry* e = nullptr;
       (e = FF.av_dict_get(ATags, "", e, AV_DICT_IGNORE_SUFFIX));)
    entries.push_back(e);
  if (entries.empty() ||
      (entries.size() == 1 && FF.av_dict_get(ATags, "language", nullptr, 0) != nullptr))
    return;
  ALines.push_back(Format("%sMetadata:", AIndent.c_str()));
  for (const AVDictionaryEntry* e : entries) {
    if (std::string(e->key) == "language") continue;
    ALines.push_back(Format("%s  %-16s: %s", AIndent.c_str(),
                            MetadataKeyAliases(UTF8ToText(e->key)).c_str(),
                            UTF8ToText(e->value).c_str()));
  }
}

void AppendStreamLine(TReportLines& ALines, const AVFormatContext* AContext, unsigned AIndex) {
  const AVStream* st = AContext->streams[AIndex];
  const AVCodecParameters* par = st->codecpar;
  const AVRational tb = st->time_base;
  std::string line = Format("Stream #%u", AIndex);
  if (AContext->iformat && (AContext->iformat->flags & AVFMT_SHOW_IDS))
    line += Format("[0x%x]", st->id);
  if (std::string language = TagValue(st->metadata, "language"); !language.empty())
    line += "(" + language + ")";
  std::int64_t divisor = FF.av_gcd(tb.num, tb.den);
  if (divisor == 0) divisor = 1;
  line += Format(", %lld/%lld", static_cast<long long>(tb.num / divisor),
                 static_cast<long long>(tb.den / divisor));
  line += ": " + CodecDescription(par);
  if (st->sample_aspect_ratio.num && av_cmp_q(st->sample_aspect_ratio, par->sample_aspect_ratio)) {
    int darNum = 0, darDen = 0;
    FF.av_reduce(&darNum, &darDen,
                 static_cast<std::int64_t>(par->width) * st->sample_aspect_ratio.num,
                 static_cast<std::int64_t>(par->height) * st->sample_aspect_ratio.den, 1048576);
    line += Format(", PAR %d:%d DAR %d:%d", st->sample_aspect_ratio.num,
                   st->sample_aspect_ratio.den, darNum, darDen);
  }
  if (par->codec_type == AVMEDIA_TYPE_VIDEO) {
    if (st->avg_frame_rate.num && st->avg_frame_rate.den)
      line += FormatRateSuffix(av_q2d(st->avg_frame_rate), "fps");
    if (st->r_frame_rate.num && st->r_frame_rate.den)
      line += FormatRateSuffix(av_q2d(st->r_frame_rate), "tbr");
    if (tb.num && tb.den) line += FormatRateSuffix(av_q2d(av_inv_q(tb)), "tbn");
  }
  if (st->start_time != AV_NOPTS_VALUE)
    line += ", StartTime: " + FormatSecondsText(ToMicroseconds(st->start_time, tb));
  if (st->duration == AV_NOPTS_VALUE)
    line += ", Duration: N/A";
  else
    line += ", Duration: " + FormatTimeText(ToMicroseconds(st->duration, tb));
  ALines.push_back(line);
  AppendMetadataLines(ALines, st->metadata, "  ");
}

void AppendChapterProgramAndStreamLines(TReportLines& ALines, const AVFormatContext* AContext) {
  for (unsigned i = 0; i < AContext->nb_chapters; ++i) {
    const AVChapter* ch = AContext->chapters[i];
    double base = av_q2d(ch->time_base);
    ALines.push_back(Format("Chapter #%u: start %s, end %s", i,
                            FormatDecimal("%.2f", static_cast<double>(ch->start) * base).c_str(),
                            FormatDecimal("%.2f", static_cast<double>(ch->end) * base).c_str()));
    AppendMetadataLines(ALines, ch->metadata, "  ");
  }
  std::vector<bool> shown(AContext->nb_streams, false);
  for (unsigned p = 0; p < AContext->nb_programs; ++p) {
    const AVProgram* program = AContext->programs[p];
    std::string provider = TagValue(program->metadata, "service_provider");
    // Today's MPEG-TS demuxer writes the name as "service_name".
    std::string name = TagOrNewer(program->metadata, "name", "service_name");
    ALines.push_back(Format("Program %d %s@%s", program->id,
                            provider.empty() ? "N/A" : provider.c_str(),
                            name.empty() ? "N/A" : name.c_str()));
    AppendMetadataLines(ALines, program->metadata, "  ");
    for (unsigned k = 0; k < program->nb_stream_indexes; ++k) {
      unsigned index = program->stream_index[k];
      if (index >= AContext->nb_streams) continue;
      AppendStreamLine(ALines, AContext, index);
      shown[index] = true;
    }
  }
  for (unsigned i = 0; i < AContext->nb_streams; ++i)
    if (!shown[i]) AppendStreamLine(ALines, AContext, i);
}
