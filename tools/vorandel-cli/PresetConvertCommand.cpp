// "vorandel-cli convert --preset": converts each input the way the window converts a checked list
// row with the preset's default selections, one after the other, printing the progress and each
// file's final status.
#include <iostream>
#include <optional>

#include "CliInterrupt.h"
#include "CliLibraries.h"
#include "CliProgress.h"
#include "Commands.h"
#include "ConvertArgs.h"
#include "FFEncode.h"
#include "MainThread.h"
#include "OutputPath.h"
#include "PresetConvertArgs.h"
#include "RowRequest.h"

namespace {

// The final statuses the window writes into a row when its conversion ends.
constexpr const char* cDone = "Done";
constexpr const char* cFail = "Fail";
constexpr const char* cAbort = "Abort";

// How one file ended: its status text and, for a failure, why.
struct TRowOutcome {
  std::string Status;
  std::string Reason;
};

// What the batch keeps from file to file.
struct TPresetBatch {
  TPresetSelections Selections;
  TFFEncoder Encoder;
  TFFDecoder Probe;
  TProgressPrinter Progress;
  TInterruptWatch Interrupt;
  bool Stopped = false;  // Ctrl+C stopped a conversion
  // The notifications of the running row: its task's, then the encoder's final one.
  std::optional<TTerminateInfo> TaskEnd;
  bool AllEnded = false;
};

// Runs the task that was set up and waits for the encoder's final notification; the task's own
// notification tells how it ended. Ctrl+C stops it, waiting until the output is closed.
TRowOutcome RunTask(TPresetBatch& ABatch) {
  ABatch.TaskEnd.reset();
  ABatch.AllEnded = false;
  try {
    ABatch.Encoder.Start(1);
  } catch (const std::exception& e) {
    ABatch.Encoder.Stop(true);
    return {cFail, e.what()};
  }
  while (!ABatch.AllEnded) {
    WaitForMainThreadCalls(std::chrono::milliseconds(50));
    if (!ABatch.Stopped && ABatch.Interrupt.Interrupted()) {
      ABatch.Stopped = true;
      ABatch.Encoder.Stop(true);
    }
  }
  ABatch.Progress.EndLine();
  const std::optional<TTerminateInfo>& taskEnd = ABatch.TaskEnd;
  if (!taskEnd) return {cFail, ABatch.Encoder.LastErrMsg()};
  if (taskEnd->Exception)
    return {cFail,
            taskEnd->ExceptionMsg.empty() ? ABatch.Encoder.LastErrMsg() : taskEnd->ExceptionMsg};
  if (ABatch.Stopped) return {cAbort, ""};
  return {cDone, ""};
}

// The steps of the window's row: task, probe, request, output, start.
TRowOutcome ConvertRow(TPresetBatch& ABatch, const TPathFileName& AInput,
                       const TPathFileName& AOutput) {
  TFFEncoder& encoder = ABatch.Encoder;
  encoder.ClearTasks();
  TInputOptions inputOptions;
  inputOptions.FileName = AInput;
  const int task = encoder.AddTask(AInput, &inputOptions);
  if (task < 0) return {std::string(RowFailureStatus(rfAddTask)), encoder.LastErrMsg()};
  TRowRequest request =
      BuildRowRequest(ABatch.Selections, ProbeFactsOf(ABatch.Probe, AInput), AInput, AOutput);
  if (request.Failure)
    return {std::string(RowFailureStatus(*request.Failure)), request.FailureReason};
  if (!encoder.SetOutputFile(task, AOutput, &request.Options)) {
    TRowOutcome outcome{std::string(RowFailureStatus(rfSetOutputFile)), encoder.LastErrMsg()};
    encoder.RemoveTask(task);
    return outcome;
  }
  return RunTask(ABatch);
}

void PrintOutcome(const TPathFileName& AInput, const TPathFileName& AOutput,
                  const TRowOutcome& AOutcome) {
  std::cout << AInput << " -> " << AOutput << ": " << AOutcome.Status << "\n" << std::flush;
  // The loader's and the engine's messages may name the file already.
  if (AOutcome.Reason.starts_with(AInput))
    std::cerr << AOutcome.Reason << "\n";
  else if (!AOutcome.Reason.empty())
    std::cerr << AInput << ": " << AOutcome.Reason << "\n";
}

}  // namespace

int RunPresetConvertCommand(const TCommandArgs& AArgs) {
  std::string error;
  const std::optional<TPresetConvertArgs> args = ParsePresetConvertArgs(AArgs, error);
  if (!args) {
    std::cerr << error
              << "\nUsage: vorandel-cli convert --preset PRESET [--overwrite] -o OUTPUT_FOLDER "
                 "INPUT...\n";
    return ExitUsage;
  }
  if (!DirectoryExists(args->OutputFolder)) {
    std::cerr << "The output folder \"" << args->OutputFolder
              << "\" does not exist or has been deleted!\n";
    return ExitFailure;
  }
  TPresetBatch batch;
  batch.Selections = DefaultSelectionsOf(*args->Preset);
  if (!LoadProgramLibraries(batch.Probe) || !LoadProgramLibraries(batch.Encoder))
    return ExitFailure;
  batch.Encoder.SetOnProgress([&batch](TObject*, PProgressInfo AInfo) {
    batch.Progress.Show(ProgressLine(AInfo->FrameNumber, AInfo->FPS, AInfo->CurrentSize,
                                     AInfo->BitRate, AInfo->CurrentDuration, AInfo->TotalDuration));
  });
  batch.Encoder.SetOnTerminate([&batch](TObject*, const TTerminateInfo& AInfo) {
    if (AInfo.TaskIndex >= 0)
      batch.TaskEnd = AInfo;
    else
      batch.AllEnded = true;
  });
  const std::string extension = OutputExtension(args->Preset->OutFormat);
  bool allDone = true;
  for (const TPathFileName& input : args->Inputs) {
    if (batch.Interrupt.Interrupted()) break;
    const TPathFileName output =
        OutputPathOf(args->OutputFolder, input, extension, args->Overwrite);
    TRowOutcome outcome;
    try {
      outcome = ConvertRow(batch, input, output);
    } catch (const std::exception& e) {
      batch.Progress.EndLine();
      outcome = {cFail, e.what()};
    }
    PrintOutcome(input, output, outcome);
    allDone = allDone && outcome.Status == cDone;
  }
  // The events refer to the batch; none may arrive while it is taken down.
  batch.Encoder.SetOnProgress(nullptr);
  batch.Encoder.SetOnTerminate(nullptr);
  if (batch.Interrupt.Interrupted()) return ExitInterrupted;
  return allDone ? ExitOK : ExitFailure;
}
