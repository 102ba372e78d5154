// Engine speed and memory against the minimal transcoder: a 720p H.264 source of 30 s (made once
// with the fixtures' writer), converted by each in a child process, median of three wall times
// and the peak resident memory of the children, with one and with automatic threads.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "FFLoad.h"
#include "FFLog.h"
#include "FFmpegJob.h"
#include "FFmpegOptionText.h"
#include "MediaWriter.h"
#include "MinimalTranscode.h"

namespace {

struct TCase {
  const char* Name;
  const char* Extension;
  const char* EngineOptions;  // option lines
  TMinimalSettings Minimal;   // the same settings for the minimal transcoder
};

const TCase Cases[] = {
    {"AVI mpeg4 1M + mp3 128k, 640x360",
     "avi",
     "vcodec=mpeg4\nb=1000000\nacodec=libmp3lame\nab=128000\ns=640x360",
     {"", "", "mpeg4", "libmp3lame", 1000000, 128000, 640, 360, 0, {}}},
    {"MP4 libx264 ultrafast + aac 128k",
     "mp4",
     "vcodec=libx264\npreset=ultrafast\nacodec=aac\nab=128000",
     {"", "", "libx264", "aac", 0, 128000, 0, 0, 0, {{"preset", "ultrafast"}}}},
};

std::string SourceFile() {
  return (std::filesystem::temp_directory_path() / "vorandel-bench-720p-30s.mp4").string();
}

void MakeSource(const std::string& AFile) {
  if (std::filesystem::exists(AFile)) return;
  std::printf("generating %s ...\n", AFile.c_str());
  std::fflush(stdout);
  WriteMedia(
      AFile,
      {"mp4",
       TVideoSpec{"libx264", 1280, 720, {30, 1}, AV_PIX_FMT_YUV420P, {{"preset", "veryfast"}}},
       TAudioSpec{"aac", 44100, 2},
       30.0,
       {}});
}

// Child: one conversion by the engine.
int RunEngine(const TCase& ACase, const std::string& AIn, const std::string& AOut, int AThreads) {
  TCustomFFmpeg job(4);
  const auto set = [&job](const std::string& n, const std::string& v) { job.SetExtOption(n, v); };
  const std::string threads = "threads=" + std::to_string(AThreads);
  ApplyOptionLines(threads, true, set);
  if (!job.add_input_file(AIn)) return 2;
  ApplyOptionLines(threads + "\n" + ACase.EngineOptions, true, set);
  if (job.add_output_file(AOut, false) < 0) return 3;
  job.StartConvert(false);
  if (job.FatalException()) std::fprintf(stderr, "%s\n", job.FatalMessage().c_str());
  return job.Finished() ? 0 : 4;
}

int RunMinimal(const TCase& ACase, const std::string& AIn, const std::string& AOut, int AThreads) {
  TMinimalSettings s = ACase.Minimal;
  s.Input = AIn;
  s.Output = AOut;
  s.Threads = AThreads;
  return MinimalTranscode(s) ? 0 : 5;
}

struct TRun {
  double Seconds;
  long PeakKiB;
};

// Runs this program as a child in the given mode; wall time and peak RSS of the child.
TRun Child(const char* AMode, int ACase, int AThreads, const std::string& AOut) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    const std::string c = std::to_string(ACase), t = std::to_string(AThreads);
    execl("/proc/self/exe", "bench_engine", AMode, c.c_str(), t.c_str(), SourceFile().c_str(),
          AOut.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    std::fprintf(stderr, "%s run of case %d failed (status %d)\n", AMode, ACase, status);
  return {seconds, usage.ru_maxrss};
}

TRun Median(const char* AMode, int ACase, int AThreads, const std::string& AOut, int ARuns) {
  std::vector<double> times;
  long peak = 0;
  for (int i = 0; i < ARuns; ++i) {
    const TRun r = Child(AMode, ACase, AThreads, AOut);
    times.push_back(r.Seconds);
    peak = std::max(peak, r.PeakKiB);
  }
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], peak};
}

}  // namespace

int main(int argc, char** argv) {
  if (!FFLoader().Load(TLibraries::All())) {
    std::fprintf(stderr, "%s\n", FFLoader().LastErrMsg().c_str());
    return 1;
  }
  if (argc == 6) {  // child: MODE CASE THREADS INPUT OUTPUT
    SetMainThread();
    GetLogger().SetLogLevel(llQuiet);
    const TCase& c = Cases[std::atoi(argv[2])];
    const int threads = std::atoi(argv[3]);
    return std::strcmp(argv[1], "engine") == 0 ? RunEngine(c, argv[4], argv[5], threads)
                                               : RunMinimal(c, argv[4], argv[5], threads);
  }
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  MakeSource(SourceFile());
  std::printf("%-36s %7s %9s %9s %7s %9s %9s %7s\n", "case", "threads", "engine s", "minimal s",
              "ratio", "eng MiB", "min MiB", "ratio");
  for (int c = 0; c < static_cast<int>(std::size(Cases)); ++c)
    for (const int threads : {1, 0}) {
      const std::string out = (std::filesystem::temp_directory_path() /
                               (std::string("vorandel-bench-out.") + Cases[c].Extension))
                                  .string();
      const TRun engine = Median("engine", c, threads, out, runs);
      const TRun minimal = Median("minimal", c, threads, out, runs);
      std::printf("%-36s %7s %9.2f %9.2f %7.3f %9.1f %9.1f %7.3f\n", Cases[c].Name,
                  threads ? "1" : "auto", engine.Seconds, minimal.Seconds,
                  engine.Seconds / minimal.Seconds, engine.PeakKiB / 1024.0,
                  minimal.PeakKiB / 1024.0, static_cast<double>(engine.PeakKiB) / minimal.PeakKiB);
      std::fflush(stdout);
      std::filesystem::remove(out);
    }
  return 0;
}
