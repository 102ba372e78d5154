// Option text: line splitting, the line appliers and the per-stream option queue.
#include "FFmpegOptionText.h"

#include <algorithm>
#include <iterator>

#include "FFmpegValues.h"

namespace {

void ReplaceAll(std::string& AText, const std::string& AFrom, const std::string& ATo) {
  for (std::size_t at = AText.find(AFrom); at != std::string::npos;
       at = AText.find(AFrom, at + ATo.size()))
    AText.replace(at, AFrom.size(), ATo);
}

bool OneOf(const std::string& AName, std::initializer_list<const char*> ANames) {
  return std::any_of(ANames.begin(), ANames.end(), [&](const char* n) { return AName == n; });
}

bool IsMarkerOrFilter(const std::string& AName) {
  return OneOf(AName, {"newvideo", "newaudio", "newsubtitle", "newdata", "vfilters", "vf"});
}

bool IsStreamCodecOrSize(const std::string& AName) {
  return OneOf(AName, {"acodec", "vcodec", "scodec", "dcodec", "s"});
}

}  // namespace

std::vector<TOptionLine> ParseOptionText(const std::string& AText) {
  std::string text = TrimText(AText);
  ReplaceAll(text, "\r\n", "\n");
  std::replace(text.begin(), text.end(), '\r', '\n');
  ReplaceAll(text, "<CRLF>", "\n");
  std::vector<TOptionLine> lines;
  if (text.empty()) return lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t lf = text.find('\n', start);
    const std::string line = text.substr(start, lf == std::string::npos ? lf : lf - start);
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos)
      lines.push_back({line, ""});
    else
      lines.push_back({line.substr(0, eq), line.substr(eq + 1)});
    if (lf == std::string::npos || lf + 1 == text.size()) break;
    start = lf + 1;
  }
  return lines;
}

void ApplyOptionLines(const std::string& AText, bool AWithStreamOptions, const TSetOption& ASet) {
  for (const TOptionLine& line : ParseOptionText(AText)) {
    const std::string name = LowerCase(line.Name);
    if (IsMarkerOrFilter(name)) continue;
    if (IsStreamCodecOrSize(name) && !AWithStreamOptions) continue;
    ASet(name, line.Value);
  }
}

void TStreamOptionQueue::Collect(const TStreamDefaults& ADefaults, const std::string& AText) {
  FDefaults.clear();
  FQueue.clear();
  const TOptionLine fields[] = {
      {"acodec", ADefaults.AudioCodec},    {"vcodec", ADefaults.VideoCodec},
      {"scodec", ADefaults.SubtitleCodec}, {"dcodec", ADefaults.DataCodec},
      {"fpre", ADefaults.FilePreset},      {"s", ADefaults.FrameSize},
      {"vf", ADefaults.VideoFilters}};
  std::copy_if(std::begin(fields), std::end(fields), std::back_inserter(FDefaults),
               [](const TOptionLine& f) { return !f.Value.empty(); });
  for (const TOptionLine& line : ParseOptionText(AText)) {
    std::string name = LowerCase(line.Name);
    if (!OneOf(name, {"acodec", "vcodec", "scodec", "dcodec", "s", "vf", "vfilters"}) ||
        line.Value.empty())
      continue;
    if (name == "vfilters") name = "vf";
    const bool hasDefault = std::any_of(FDefaults.begin(), FDefaults.end(),
                                        [&](const TOptionLine& d) { return d.Name == name; });
    if (!hasDefault) FDefaults.push_back({name, line.Value});
    FQueue.push_back({name, line.Value});
  }
}

std::string TStreamOptionQueue::Default(const std::string& AName) const {
  const auto d = std::find_if(FDefaults.begin(), FDefaults.end(),
                              [&](const TOptionLine& l) { return l.Name == AName; });
  return d == FDefaults.end() ? std::string() : d->Value;
}

void TStreamOptionQueue::TakeStreamOption(const std::string& AName, const TSetOption& ASet) {
  const auto queued = std::find_if(FQueue.begin(), FQueue.end(),
                                   [&](const TOptionLine& l) { return l.Name == AName; });
  if (queued == FQueue.end()) {
    ASet(AName, Default(AName));
    return;
  }
  const TOptionLine line = *queued;
  FQueue.erase(queued);
  ASet(line.Name, line.Value);
}

void TStreamOptionQueue::ApplyMarkers(const std::string& AText, const TSetOption& ASet) {
  struct TMarker {
    const char* Name;
    std::vector<const char*> Options;
  };
  static const TMarker Markers[] = {{"newaudio", {"acodec"}},
                                    {"newvideo", {"vcodec", "s", "vf"}},
                                    {"newsubtitle", {"scodec"}},
                                    {"newdata", {"dcodec"}}};
  for (const TOptionLine& line : ParseOptionText(AText)) {
    const std::string name = LowerCase(line.Name);
    for (const TMarker& marker : Markers) {
      if (name != marker.Name) continue;
      for (const char* option : marker.Options) TakeStreamOption(option, ASet);
      ASet(name, line.Value);
    }
  }
}
