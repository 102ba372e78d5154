// Option text: splitting into name/value lines, the line appliers and the per-stream option queue
// of an output's text.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct TOptionLine {
  std::string Name;
  std::string Value;
};

// Trims the text, normalises CR LF, lone CR and "<CRLF>" to LF, and splits every line at its
// first "=" (no "=": empty value). Names and values are not trimmed.
std::vector<TOptionLine> ParseOptionText(const std::string& AText);

using TSetOption = std::function<void(const std::string& AName, const std::string& AValue)>;

// Applies the lines with lower-cased names: the new-stream markers and "vf"/"vfilters" are
// skipped, the per-stream codec and size options only with AWithStreamOptions.
void ApplyOptionLines(const std::string& AText, bool AWithStreamOptions, const TSetOption& ASet);

// The options record's per-stream defaults of an output.
struct TStreamDefaults {
  std::string AudioCodec;
  std::string VideoCodec;
  std::string SubtitleCodec;
  std::string DataCodec;
  std::string FilePreset;
  std::string FrameSize;
  std::string VideoFilters;
};

// The per-stream options of one output's text ("acodec", "vcodec", "scodec", "dcodec", "s",
// "vf"/"vfilters"), kept apart so that each new-stream marker takes its own.
class TStreamOptionQueue {
 public:
  // Collects the defaults ("def_" entries) and the queued lines of the text.
  void Collect(const TStreamDefaults& ADefaults, const std::string& AText);
  // The value of the "def_" entry of the name, or "".
  std::string Default(const std::string& AName) const;
  // Hands the first queued line of the name to ASet and drops it; without one, the default.
  void TakeStreamOption(const std::string& AName, const TSetOption& ASet);
  // For every new-stream marker of the text, in order: its stream's options, then the marker.
  void ApplyMarkers(const std::string& AText, const TSetOption& ASet);
  const std::vector<TOptionLine>& Queue() const { return FQueue; }

 private:
  std::vector<TOptionLine> FDefaults;  // names with "def_"
  std::vector<TOptionLine> FQueue;
};
