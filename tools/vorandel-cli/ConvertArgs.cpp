// The arguments of "vorandel-cli convert" and the progress line it prints.
#include "ConvertArgs.h"

#include "TextFormat.h"

namespace {

struct TLevelName {
  const char* Name;
  TLogLevel Level;
};
const TLevelName LevelNames[] = {
    {"quiet", llQuiet},     {"panic", llPanic}, {"fatal", llFatal},     {"error", llError},
    {"warning", llWarning}, {"info", llInfo},   {"verbose", llVerbose}, {"debug", llDebug},
};

}  // namespace

std::optional<TConvertArgs> ParseConvertArgs(const std::vector<std::string>& AArgs,
                                             std::string& AError) {
  TConvertArgs result;
  for (std::size_t i = 0; i < AArgs.size(); ++i) {
    const std::string& a = AArgs[i];
    const bool valued =
        a == "-i" || a == "--input-options" || a == "--options" || a == "--log-level";
    if (valued && i + 1 >= AArgs.size()) {
      AError = "Missing value of " + a;
      return std::nullopt;
    }
    if (a == "-i") {
      result.Inputs.push_back(AArgs[++i]);
    } else if (a == "--input-options") {
      result.InputOptions = AArgs[++i];
    } else if (a == "--options") {
      result.Options = AArgs[++i];
    } else if (a == "--log-level") {
      const std::string& name = AArgs[++i];
      bool known = false;
      for (const TLevelName& l : LevelNames)
        if (name == l.Name) result.LogLevel = l.Level, known = true;
      if (!known) {
        AError = "Unknown log level: " + name;
        return std::nullopt;
      }
    } else if (!a.empty() && a[0] == '-') {
      AError = "Unknown argument: " + a;
      return std::nullopt;
    } else if (result.Output.empty()) {
      result.Output = a;
    } else {
      AError = "Only one output file can be given";
      return std::nullopt;
    }
  }
  if (result.Inputs.empty())
    AError = "At least one input file must be given with -i";
  else if (result.Output.empty())
    AError = "The output file is missing";
  if (!AError.empty()) return std::nullopt;
  return result;
}

std::string ProgressLine(int AFrameNumber, int AFPS, std::int64_t ASize, float ABitRate,
                         std::int64_t ACurrentDuration, std::int64_t ATotalDuration) {
  std::string line;
  if (AFrameNumber >= 0) line = Format("frame=%5d fps=%3d ", AFrameNumber, AFPS);
  const std::int64_t t = std::max<std::int64_t>(ACurrentDuration, 0);
  line +=
      Format("size=%8.0fkB time=%02d:%02d:%02d.%02d bitrate=%6.1fkbits/s", ASize / 1024.0,
             static_cast<int>(t / 3600000000LL), static_cast<int>(t / 60000000LL % 60),
             static_cast<int>(t / 1000000 % 60), static_cast<int>(t % 1000000 / 10000), ABitRate);
  if (ATotalDuration > 0)
    line +=
        Format(" %3d%%", static_cast<int>(std::min<std::int64_t>(100, t * 100 / ATotalDuration)));
  return line;
}
