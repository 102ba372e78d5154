// Stream mapping: explicit map checks, the frame-count bisection and the choice of sources.
#include "FFmpegMapping.h"

#include <array>

#include "TextFormat.h"

namespace {

constexpr int KindCount = AVMEDIA_TYPE_NB;  // video, audio, data, subtitle, attachment

bool KnownKind(AVMediaType AKind) {
  return AKind >= 0 && AKind < KindCount;
}

// Unmapped, not disabled, inside the selected program, of a known kind.
bool Selectable(const TMapInputStream& AStream) {
  return AStream.discard == 1 && !AStream.DiscardAll && AStream.InProgram &&
         KnownKind(AStream.Kind);
}

bool StreamExists(const TStreamMapping& AMapping, int AFile, int AStream) {
  return AFile >= 0 && AFile < static_cast<int>(AMapping.Files.size()) && AStream >= 0 &&
         AStream < AMapping.Files[AFile].nb_streams;
}

int StreamIndex(const TStreamMapping& AMapping, int AFile, int AStream) {
  return AMapping.Files[AFile].ist_index + AStream;
}

std::string CheckMaps(const TStreamMapping& AMapping) {
  if (AMapping.Maps.empty()) return {};
  if (AMapping.Maps.size() != AMapping.Outputs.size())
    return "Number of stream maps must match number of output streams";
  for (const TAVStreamMap& map : AMapping.Maps) {
    if (!StreamExists(AMapping, map.file_index, map.stream_index))
      return Format("Could not find input stream #%d.%d", map.file_index, map.stream_index);
    if (!StreamExists(AMapping, map.sync_file_index, map.sync_stream_index))
      return Format("Could not find sync stream #%d.%d", map.sync_file_index,
                    map.sync_stream_index);
  }
  return {};
}

// The automatic choice for one output stream, or -1.
int ChooseSource(TStreamMapping& AMapping, const TMapOutputStream& AOutput,
                 const std::vector<int>& AThresholds) {
  const int count = static_cast<int>(AMapping.Inputs.size());
  const auto inBlock = [&](const TMapInputStream& s) {
    return !AMapping.JoinMode || (s.FileIndex == AOutput.Slot && !s.used);
  };
  for (int i = 0; i < count; ++i) {
    TMapInputStream& s = AMapping.Inputs[i];
    if (Selectable(s) && s.Kind == AOutput.Kind && s.FrameCount >= AThresholds[s.Kind] &&
        inBlock(s)) {
      if (AMapping.JoinMode) s.used = 1;
      return i;
    }
  }
  if (AMapping.ProgramSelected) return -1;
  // Second pass: a stream of the kind may feed more than one output stream.
  int found = -1;
  for (int i = 0; i < count; ++i) {
    TMapInputStream& s = AMapping.Inputs[i];
    if (s.Kind != AOutput.Kind || s.DiscardAll || !inBlock(s)) continue;
    found = i;
    if (AMapping.JoinMode) {
      s.used = 1;
      break;
    }
  }
  return found;
}

}  // namespace

const char* MediaKindName(AVMediaType AKind) {
  switch (AKind) {
    case AVMEDIA_TYPE_VIDEO:
      return "Video";
    case AVMEDIA_TYPE_AUDIO:
      return "Audio";
    case AVMEDIA_TYPE_DATA:
      return "Data";
    case AVMEDIA_TYPE_SUBTITLE:
      return "Subtitle";
    case AVMEDIA_TYPE_ATTACHMENT:
      return "Attachment";
    default:
      return "Unknown";
  }
}

int ProbeFrameCount(const AVCodecParameters& AParameters) {
  if (AParameters.codec_id == AV_CODEC_ID_NONE) return 0;
  switch (AParameters.codec_type) {
    case AVMEDIA_TYPE_VIDEO:
      return AParameters.width > 0 && AParameters.height > 0 && AParameters.format >= 0;
    case AVMEDIA_TYPE_AUDIO:
      return AParameters.sample_rate > 0 && AParameters.ch_layout.nb_channels > 0 &&
             AParameters.format >= 0;
    default:
      return 1;
  }
}

std::vector<int> MappingThresholds(const TStreamMapping& AMapping) {
  std::array<int, KindCount> wanted{};
  for (const TMapOutputStream& o : AMapping.Outputs)
    if (KnownKind(o.Kind)) ++wanted[o.Kind];
  std::vector<int> thresholds(KindCount, 0);
  for (int step = 1 << 30; step; step >>= 1) {
    for (int& t : thresholds) t += step;
    std::array<int, KindCount> found{};
    for (const TMapInputStream& s : AMapping.Inputs)
      if (Selectable(s) && s.FrameCount >= thresholds[s.Kind]) ++found[s.Kind];
    for (int k = 0; k < KindCount; ++k)
      if (found[k] < wanted[k]) thresholds[k] -= step;
  }
  return thresholds;
}

TMappingResult MapStreams(TStreamMapping& AMapping) {
  TMappingResult result;
  result.Error = CheckMaps(AMapping);
  if (!result.Ok()) return result;
  const std::vector<int> thresholds = MappingThresholds(AMapping);
  for (std::size_t o = 0; o < AMapping.Outputs.size(); ++o) {
    const TMapOutputStream& output = AMapping.Outputs[o];
    TMappedStream mapped;
    if (!AMapping.Maps.empty()) {
      const TAVStreamMap& map = AMapping.Maps[o];
      mapped.Source = StreamIndex(AMapping, map.file_index, map.stream_index);
      mapped.Sync = StreamIndex(AMapping, map.sync_file_index, map.sync_stream_index);
      const AVMediaType kind = AMapping.Inputs[mapped.Source].Kind;
      if (kind != output.Kind) {
        result.Error = Format("Codec type mismatch for mapping #%d.%d (%s) -> #%d.%d (%s)",
                              map.file_index, map.stream_index, MediaKindName(kind), output.Slot,
                              output.Index, MediaKindName(output.Kind));
        result.DumpSlot = output.Slot;
        return result;
      }
    } else {
      mapped.Source = ChooseSource(AMapping, output, thresholds);
      if (mapped.Source < 0) {
        result.Error = Format("Could not find input stream matching output stream #%d.%d (%s)",
                              output.Slot, output.Index, MediaKindName(output.Kind));
        result.DumpSlot = output.Slot;
        return result;
      }
      mapped.Sync = mapped.Source;
    }
    AMapping.Inputs[mapped.Source].discard = 0;
    result.Streams.push_back(mapped);
  }
  return result;
}
