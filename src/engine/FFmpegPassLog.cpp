// Two-pass statistics files: their names and opening them for pass one or pass two.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "FFmpegSetup.h"
#include "TextFormat.h"

std::string PassLogFileName(const std::string& APrefix, int AIndex) {
  std::string name = (APrefix.empty() ? std::string("ffmpeg2pass") : APrefix) + "-" +
                     std::to_string(AIndex) + ".log";
  if (name.size() > 1023) name.resize(1023);
  return name;
}

void open_pass_log(TCustomFFmpeg& AJob, int AIndex, TAVOutputStream& AOst, AVCodecContext* ACodec) {
  const std::string name = PassLogFileName(AJob.Fpass_logfilename_prefix, AIndex);
  if (ACodec->flags & AV_CODEC_FLAG_PASS1) {
    AOst.logfile.reset(std::fopen(name.c_str(), "wb"));
    if (!AOst.logfile)
      throw FFmpegException(Format("Cannot write log file %s for pass-1 encoding", name.c_str()));
    return;
  }
  TFilePtr file(std::fopen(name.c_str(), "rb"));
  std::string text;
  char buffer[65536];
  bool failed = !file;
  while (!failed) {
    const std::size_t n = std::fread(buffer, 1, sizeof(buffer), file.get());
    try {
      text.append(buffer, n);
    } catch (const std::bad_alloc&) {
      throw FFmpegException(Format(
          "Could not allocate file buffer: Error reading log file \"%s\" for pass-2 encoding",
          name.c_str()));
    }
    if (n < sizeof(buffer)) {
      failed = std::ferror(file.get()) != 0;
      break;
    }
  }
  if (failed)
    throw FFmpegException(Format(
        "Cannot read file: Error reading log file \"%s\" for pass-2 encoding", name.c_str()));
  auto* stats = static_cast<char*>(FF.av_malloc(text.size() + 1));
  if (!stats)
    throw FFmpegException(
        Format("Could not allocate file buffer: Error reading log file \"%s\" for pass-2 encoding",
               name.c_str()));
  std::memcpy(stats, text.c_str(), text.size() + 1);
  ACodec->stats_in = stats;
}
