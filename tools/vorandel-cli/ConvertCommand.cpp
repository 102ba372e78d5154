// "vorandel-cli convert": runs one conversion job from option text, printing its progress and
// log; Ctrl+C stops the job cleanly.
#include <atomic>
#include <iostream>

#include "CliInterrupt.h"
#include "CliLibraries.h"
#include "CliProgress.h"
#include "Commands.h"
#include "ConvertArgs.h"
#include "FFLoad.h"
#include "FFmpegJob.h"
#include "FFmpegOptionText.h"
#include "MainThread.h"

namespace {

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
    ReportMissingLibraries(FFLoader().LastErrMsg());
    return ExitFailure;
  }
  TProgressPrinter progress;
  GetLogger().SetLogLevel(args->LogLevel);
  GetLogger().SetOnLog([&](TObject*, TThreadID, TLogLevel, const std::string& AMsg) {
    progress.EndLine();
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
    PostToMainThread([&, line] { progress.Show(line); });
  });
  std::atomic<bool> terminated{false};
  job.SetOnTerminate([&](TObject*) { terminated = true; });

  TInterruptWatch interrupt;
  if (TConvertThread* worker = job.StartConvert(true)) worker->Resume();
  bool stopping = false;
  while (!terminated) {
    WaitForMainThreadCalls(std::chrono::milliseconds(50));
    if (interrupt.Interrupted() && !stopping) {
      stopping = true;
      job.Stop(false);
    }
  }
  job.Stop(true);  // joins the worker, serving its last calls
  ProcessMainThreadCalls();
  progress.EndLine();
  GetLogger().SetOnLog(nullptr);
  if (job.FatalException()) {
    std::cerr << job.FatalMessage() << "\n";
    return ExitFailure;
  }
  if (stopping) return ExitInterrupted;
  return job.Finished() ? ExitOK : ExitFailure;
}
