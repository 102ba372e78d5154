// Lines of the probe's file report built from a demuxer context: tags, streams, codec names.
#pragma once

#include <string>
#include <vector>

#include "FFHeaders.h"

using TReportLines = std::vector<std::string>;

enum TCodecSide { csDecoder, csEncoder };

// The codec's name and long name, "mpeg4(MPEG-4 part 2)"; for a codec the library lacks,
// "mpeg2ts" or the codec tag ("XVID / 0x44495658", "0x0000").
std::string CodecDisplayName(const AVCodecParameters* APar, TCodecSide ASide);
// The tag form of a codec tag: four printable characters and the hex value, else the hex value.
std::string CodecTagText(unsigned ATag);

// "%sMetadata:" and one "%s  %-16s: %s" line per tag but "language"; nothing when there are no
// tags or "language" is the only one.
void AppendMetadataLines(TReportLines& ALines, const AVDictionary* ATags,
                         const std::string& AIndent);
// The line of stream AIndex ("Stream #0, 1/25: Video: ...") and its tags.
void AppendStreamLine(TReportLines& ALines, const AVFormatContext* AContext, unsigned AIndex);
// "Chapter #%d: start %s, end %s" lines with their tags, then the programs with their
// streams, then every stream not shown yet.
void AppendChapterProgramAndStreamLines(TReportLines& ALines, const AVFormatContext* AContext);
// The value of a tag (default, case-insensitive matching); empty when absent.
std::string TagValue(const AVDictionary* ATags, const char* AKey);
// A tag under its own key, else under the key today's demuxers write instead ("author", then
// "artist").
std::string TagOrNewer(const AVDictionary* ATags, const char* AKey, const char* ANewerKey);
