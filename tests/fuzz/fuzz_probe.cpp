// libFuzzer target: TFFDecoder.LoadFile and every query of the probe on arbitrary file contents.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "FFDecode.h"
#include "FFLog.h"
#include "MainThread.h"

namespace {

// One file per fuzzing process, rewritten for each input.
const std::string& InputFileName() {
  static const std::string name = [] {
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder && *folder ? folder : "/tmp") + "/fuzz_probe-" +
           std::to_string(::getpid()) + ".bin";
  }();
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetMainThread();
  TFFDecoder probe;
  if (!probe.LoadAVLib(ProgramFolder())) {
    std::fprintf(stderr, "%s\n", probe.LastErrMsg().c_str());
    std::abort();
  }
  GetLogger().SetLogLevel(llQuiet);
  std::atexit([] { std::remove(InputFileName().c_str()); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
  {
    std::ofstream file(InputFileName(), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(AData), static_cast<std::streamsize>(ASize));
  }
  TFFDecoder probe;
  if (!probe.LoadFile(InputFileName())) return 0;
  probe.FileInfoText();
  probe.FileStreamInfo();
  TVideoStreamInfo video;
  TAudioStreamInfo audio;
  TSubtitleStreamInfo subtitle;
  for (int i = -1; i < probe.StreamCount(); ++i) {
    probe.GetVideoStreamInfo(i, video);
    probe.GetAudioStreamInfo(i, audio);
    probe.GetSubtitleStreamInfo(i, subtitle);
  }
  return 0;
}
