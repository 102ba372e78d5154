// libFuzzer target: option text through the line appliers, the stream-option queue and
// SetExtOption of a job.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "FFLog.h"
#include "FFmpegJob.h"
#include "FFmpegOptionText.h"
#include "MainThread.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetMainThread();
  if (!FFLoader().Load(TLibraries::All())) std::abort();
  GetLogger().SetLogLevel(llQuiet);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
  const std::string text(reinterpret_cast<const char*>(AData), ASize);
  TCustomFFmpeg job(4);
  job.HaltOnInvalidOption = (ASize & 1) != 0;
  // Each line on its own, so that one failing line does not hide the ones after it.
  const TSetOption set = [&](const std::string& AName, const std::string& AValue) {
    try {
      job.SetExtOption(AName, AValue);
    } catch (const std::exception&) {
    }
  };
  ApplyOptionLines(text, true, set);
  TStreamOptionQueue queue;
  TStreamDefaults defaults;
  defaults.AudioCodec = "mp2";
  queue.Collect(defaults, text);
  queue.ApplyMarkers(text, set);
  for (const TOptionLine& line : ParseOptionText(text)) set(line.Name, line.Value);
  GetLogger().SetLogLevel(llQuiet);  // "loglevel" and "debug" lines may have raised it
  return 0;
}
