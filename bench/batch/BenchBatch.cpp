// Benchmark: 20 short files through the window's batch against vorandel-cli (one process per
// file and one process for all), with the batch's per-row overhead and the GUI's responsiveness.
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Fixtures.h"
#include "FloatingPoint.h"
#include "QtMainThread.h"
#include "ScriptedDialogs.h"
#include "TempConfigFolder.h"
#include "Unit1.h"

namespace {

namespace fs = std::filesystem;
using TClock = std::chrono::steady_clock;

constexpr int cFiles = 20;
const char* const cPreset = "AVI - Audio Video Interleave (*.avi)";

double MsBetween(TClock::time_point AFrom, TClock::time_point ATo) {
  return std::chrono::duration<double, std::milli>(ATo - AFrom).count();
}

// A fresh empty folder under the temporary folder.
fs::path FreshFolder(const fs::path& ARoot, const std::string& AName) {
  const fs::path folder = ARoot / AName;
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

// Runs one command line, its output discarded; returns its wall time in ms.
double TimedRun(const std::string& ACommand) {
  const auto start = TClock::now();
  const int status = std::system((ACommand + " >/dev/null 2>&1").c_str());
  const double ms = MsBetween(start, TClock::now());
  if (status != 0) std::fprintf(stderr, "failed (%d): %s\n", status, ACommand.c_str());
  return ms;
}

std::string CliCommand(const fs::path& AOutput, const std::vector<fs::path>& AInputs) {
  std::string command = std::string(VORANDEL_CLI) + " convert --preset '" + cPreset + "' -o '" +
                        AOutput.string() + "'";
  for (const fs::path& input : AInputs) command += " '" + input.string() + "'";
  return command;
}

// What the window's batch measured.
struct TWindowFigures {
  double TotalMs = 0;         // Convert pressed .. completion message shown
  double EngineSumMs = 0;     // sum over rows of start returned .. terminate notification
  double MaxLoopGapMs = 0;    // longest gap between two ticks of a 5 ms timer
  double MaxProgressMs = 0;   // longest progress handler
  double StartTickSumMs = 0;  // sum of the timer ticks that started a row (probe, request, start)
  double MaxStartTickMs = 0;
  int ProgressCalls = 0;
  int RowsDone = 0;
  int RowsTimed = 0;
};

TWindowFigures RunWindowBatch(const std::vector<fs::path>& AInputs, const fs::path& AOutput) {
  TScriptedDialogs dialogs;
  TForm1 form;
  TWindowFigures figures;
  if (!form.LibrariesLoaded()) return figures;
  form.show();
  const int preset = form.ComboOutputFormat->findText(cPreset);
  form.ComboOutputFormat->setCurrentIndex(preset);
  emit form.ComboOutputFormat->activated(preset);
  form.EditOutputFolder->setText(QString::fromStdString(AOutput.string()));
  dialogs.FilesToOpen.assign(AInputs.begin(), AInputs.end());
  form.ButtonAddFileClick();

  // A row's engine run: from the return of the call that started it (Convert or a timer tick,
  // whichever left the encoder working on a new row) to the entry of its terminate handler.
  int startedRow = -1;
  TClock::time_point rowStart;
  auto noteStart = [&] {
    if (form.ListviewItem != startedRow && form.Vextor.Working() && !form.Vextor.Terminated()) {
      startedRow = form.ListviewItem;
      rowStart = TClock::now();
    }
  };
  // The window's tick runs inside a timed wrapper; a tick that started a row is the row's
  // probe, request and start.
  QObject::disconnect(form.TimerConvertAgain, &QTimer::timeout, &form,
                      &TForm1::TimerConvertAgainTimer);
  QObject::connect(form.TimerConvertAgain, &QTimer::timeout, &form, [&] {
    const int before = startedRow;
    const auto start = TClock::now();
    form.TimerConvertAgainTimer();
    noteStart();
    if (startedRow != before) {
      const double ms = MsBetween(start, rowStart);
      figures.StartTickSumMs += ms;
      figures.MaxStartTickMs = std::max(figures.MaxStartTickMs, ms);
    }
  });
  form.Vextor.SetOnTerminate([&](TObject* ASender, const TTerminateInfo& AInfo) {
    if (AInfo.TaskIndex >= 0 && startedRow >= 0) {
      figures.EngineSumMs += MsBetween(rowStart, TClock::now());
      ++figures.RowsTimed;
    }
    form.VextorTerminate(ASender, AInfo);
  });
  form.Vextor.SetOnProgress([&](TObject* ASender, PProgressInfo AInfo) {
    const auto start = TClock::now();
    form.VextorProgress(ASender, AInfo);
    figures.MaxProgressMs = std::max(figures.MaxProgressMs, MsBetween(start, TClock::now()));
    ++figures.ProgressCalls;
  });

  QEventLoop loop;
  QTimer watch;
  watch.setTimerType(Qt::PreciseTimer);
  watch.setInterval(5);
  TClock::time_point lastTick;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    const auto now = TClock::now();
    figures.MaxLoopGapMs = std::max(figures.MaxLoopGapMs, MsBetween(lastTick, now));
    lastTick = now;
    if (!dialogs.Informations.empty()) loop.quit();
  });
  const auto giveUp = TClock::now() + std::chrono::minutes(5);
  QTimer guard;
  QObject::connect(&guard, &QTimer::timeout, [&] {
    if (TClock::now() > giveUp) loop.quit();
  });
  guard.start(1000);

  const auto start = TClock::now();
  lastTick = start;
  watch.start();
  form.ButtonConvertClick();
  noteStart();
  loop.exec();
  const std::vector<std::string>& infos = dialogs.Informations;
  const auto end = TClock::now();
  figures.TotalMs = MsBetween(start, end);
  if (infos.empty() || infos.front() != "All Conversions Completed")
    std::fprintf(stderr, "the batch did not complete: %s\n",
                 infos.empty() ? "(no message)" : infos.front().c_str());
  for (int row = 0; row < form.RowCount(); ++row)
    if (form.CellText(row, lcStatus) == "Done") ++figures.RowsDone;
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  TFloatingPointScope floatingPoint;
  TTempConfigFolder config;
  QApplication application(argc, argv);
  TQtMainThreadWaker waker;

  const fs::path root = fs::temp_directory_path() / "vorandel-bench-batch";
  const fs::path inputs = FreshFolder(root, "in");
  std::vector<fs::path> files;
  for (int i = 0; i < cFiles; ++i) {
    files.push_back(inputs / ("clip" + std::to_string(i) + ".avi"));
    fs::copy_file(FixturePath(fxAviMpeg4Mp3), files.back());
  }

  const TWindowFigures window = RunWindowBatch(files, FreshFolder(root, "window"));

  const fs::path perFileOut = FreshFolder(root, "cli-each");
  double perFileMs = 0;
  for (const fs::path& file : files) perFileMs += TimedRun(CliCommand(perFileOut, {file}));
  const double allInOneMs = TimedRun(CliCommand(FreshFolder(root, "cli-all"), files));

  const double overheadMs = (window.TotalMs - window.EngineSumMs) / cFiles;
  std::printf("%d copies of a 2 s AVI, preset \"%s\"\n", cFiles, cPreset);
  std::printf("%-52s %10s\n", "measure", "value");
  std::printf("%-52s %10.1f ms\n", "window batch total (Convert .. completion message)",
              window.TotalMs);
  std::printf("%-52s %10.1f ms\n", "window: sum of engine runs (start .. terminate)",
              window.EngineSumMs);
  std::printf("%-52s %10.1f ms\n", "window: overhead per row", overheadMs);
  std::printf("%-52s %10.1f ms\n", "window: mean timer tick starting a row",
              window.StartTickSumMs / (cFiles - 1));
  std::printf("%-52s %10.1f ms\n", "window: longest timer tick starting a row",
              window.MaxStartTickMs);
  std::printf("%-52s %10.1f ms\n", "cli: one process per file, total", perFileMs);
  std::printf("%-52s %10.1f ms\n", "cli: one process for all 20, total", allInOneMs);
  std::printf("%-52s %10.1f ms\n", "GUI: longest gap between 5 ms timer ticks",
              window.MaxLoopGapMs);
  std::printf("%-52s %10.2f ms\n", "GUI: longest progress handler", window.MaxProgressMs);
  std::printf("%-52s %10d\n", "progress handler calls", window.ProgressCalls);
  std::printf("%-52s %7d/%d\n", "rows Done / rows timed", window.RowsDone, window.RowsTimed);
  std::printf("overhead per row %s the 150 ms budget\n", overheadMs <= 150 ? "within" : "OVER");
  std::error_code ignored;
  fs::remove_all(root, ignored);
  return window.RowsDone == cFiles ? EXIT_SUCCESS : EXIT_FAILURE;
}
