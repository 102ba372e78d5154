// "vorandel-cli convert": runs one conversion job from option text, printing its progress and
// log; Ctrl+C stops the job cleanly.
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <iostream>

#include "Commands.h"
#include "ConvertArgs.h"
#include "FFLoad.h"
#include "FFmpegJob.h"
#include "FFmpegOptionText.h"
#include "MainThread.h"

namespace {

std::atomic<bool> Interrupted{false};

void OnInterrupt(int) {
  Interrupted = true;
}

// Applies option text the way the encoder component does, filter chains included.
void ApplyText(TCustomFFmpeg& AJob, const std::string& AText) {
  const auto set = [&AJob](const std::string& AName, const std::string& AValue) {
    AJob.SetExtOption(AName, AValue);
  };
  ApplyOptionLines(AText, true, set);
  for (const TOptionLine& line : ParseOptionText(AText))
    if (line.Name == "vf" || line.Name == "vfilters") set("vf", line.Value);
}

std::string TrimLineEnd(std::string AText) {
  while (!AText.empty() && (AText.back() == '\n' || AText.back() == '\r')) AText.pop_back();
  return AText;
}

}  // namespace

int RunConvertCommand(const TCommandArgs& AArgs) {
  std::string error;
  const std::optional<TConvertArgs> args = ParseConvertArgs(AArgs, error);
  if (!args) {
    std::cerr << error
              << "\nUsage: vorandel-cli convert [--input-options TEXT] -i INPUT "
                 "[-i INPUT2 ...] [--options TEXT] [--log-level LEVEL] OUTPUT\n";
    return ExitUsage;
  }
  FFLoader().SetLibraryPath(ProgramFolder());
  if (!FFLoader().Load(TLibraries::All())) {
    std::cerr << FFLoader().LastErrMsg() << "\n"
              << "Some files are missing. Please re-install this software\n";
    return ExitFailure;
  }
  const bool terminal = isatty(STDOUT_FILENO);
  bool progressShown = false;
  GetLogger().SetLogLevel(args->LogLevel);
  GetLogger().SetOnLog([&](TObject*, TThreadID, TLogLevel, const std::string& AMsg) {
    if (progressShown && terminal) std::cout << "\n";
    progressShown = false;
    std::cerr << TrimLineEnd(AMsg) << "\n";
  });

  TCustomFFmpeg job(static_cast<int>(args->Inputs.size()) + 1);
  for (const std::string& input : args->Inputs) {
    ApplyText(job, args->InputOptions);
    if (!job.add_input_file(input)) {
      std::cerr << job.LastErrMsg() << "\n";
      return ExitFailure;
    }
  }
  ApplyText(job, args->Options);
  if (job.add_output_file(args->Output, false) < 0) {
    std::cerr << job.LastErrMsg() << "\n";
    return ExitFailure;
  }
  // Progress is printed on the main thread, in order with the log lines.
  job.SetOnProgress([&](TObject*, int, int AFrame, int AFPS, float, float ABitRate,
                        std::int64_t ASize, std::int64_t ACurrent, std::int64_t ATotal) {
    const std::string line = ProgressLine(AFrame, AFPS, ASize, ABitRate, ACurrent, ATotal);
    PostToMainThread([&, line] {
      if (terminal) {
        std::cout << "\r" << line << "\033[K" << std::flush;
        progressShown = true;
      } else {
        std::cout << line << "\n" << std::flush;
      }
    });
  });
  std::atomic<bool> terminated{false};
  job.SetOnTerminate([&](TObject*) { terminated = true; });

  Interrupted = false;
  const auto previous = std::signal(SIGINT, OnInterrupt);
  if (TConvertThread* worker = job.StartConvert(true)) worker->Resume();
  bool stopping = false;
  while (!terminated) {
    WaitForMainThreadCalls(std::chrono::milliseconds(50));
    if (Interrupted && !stopping) {
      stopping = true;
      job.Stop(false);
    }
  }
  job.Stop(true);  // joins the worker, serving its last calls
  ProcessMainThreadCalls();
  std::signal(SIGINT, previous);
  if (progressShown && terminal) std::cout << "\n";
  GetLogger().SetOnLog(nullptr);
  if (job.FatalException()) {
    std::cerr << job.FatalMessage() << "\n";
    return ExitFailure;
  }
  if (stopping) return ExitInterrupted;
  return job.Finished() ? ExitOK : ExitFailure;
}
