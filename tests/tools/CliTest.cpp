// vorandel-cli run on generated media and on files it cannot read: output and exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "FFLoad.h"
#include "Fixtures.h"

namespace {

struct TRun {
  int Status;
  std::string Out;
  std::string Err;
};

std::string ReadFile(const std::string& AFileName) {
  std::ifstream in(AFileName);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Quoted(const std::string& AText) {
  return "'" + AText + "'";
}

TRun RunProgram(const std::string& AProgram, const std::string& AArguments) {
  const std::string base = ::testing::TempDir() + "cli-" + std::to_string(::getpid());
  const std::string command = Quoted(AProgram) + " " + AArguments + " >" + Quoted(base + ".out") +
                              " 2>" + Quoted(base + ".err");
  int raw = std::system(command.c_str());
  TRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(base + ".out"),
           ReadFile(base + ".err")};
  std::remove((base + ".out").c_str());
  std::remove((base + ".err").c_str());
  return run;
}

TRun RunCli(const std::string& AArguments) {
  return RunProgram(VORANDEL_CLI, AArguments);
}

TEST(Cli, ProbePrintsTheReportOfEachFile) {
  const std::string avi = FixturePath(fxAviMpeg4Mp3), wav = FixturePath(fxWav);
  TRun run = RunCli("probe " + Quoted(avi) + " " + Quoted(wav));
  EXPECT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Err, "");
  EXPECT_EQ(run.Out.find("File Name: " + avi + "\nFormat Name: avi\n"), 0u) << run.Out;
  EXPECT_NE(run.Out.find("\nStream #0, 1/25: Video: mpeg4"), std::string::npos);
  EXPECT_NE(run.Out.find("\n\nFile Name: " + wav + "\nFormat Name: wav\n"), std::string::npos);
  EXPECT_EQ(run.Out.find('\r'), std::string::npos);
}

TEST(Cli, AFileItCannotOpenGivesItsMessageAndAFailureStatus) {
  const std::string text = FixturePath(fxTextAsRm), wav = FixturePath(fxWav);
  TRun run = RunCli("probe " + Quoted(text) + " " + Quoted(wav));
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Err, text + ": Invalid data found when processing input\n");
  EXPECT_NE(run.Out.find("File Name: " + wav), std::string::npos) << "later files are probed";
}

TEST(Cli, BrokenLibrariesInTheProgramFolderStopIt) {
  // A copy of the program next to a file that only has the name of libavutil: the loader takes
  // the program folder's file first and fails on it.
  namespace fs = std::filesystem;
  const fs::path folder =
      fs::path(::testing::TempDir()) / ("cli-libs-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const fs::path program = folder / "vorandel-cli";
  fs::copy_file(VORANDEL_CLI, program, fs::copy_options::overwrite_existing);
  const std::string library = (folder / TFFLoader::LibraryFileName(avUtil)).string();
  std::ofstream(library) << "not a library\n";
  TRun run = RunProgram(program.string(), "probe " + Quoted(FixturePath(fxWav)));
  fs::remove_all(folder);
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Out, "");
  EXPECT_EQ(run.Err.find("Load library " + library + " error: "), 0u) << run.Err;
  EXPECT_TRUE(run.Err.ends_with("\nSome files are missing. Please re-install this software\n"))
      << run.Err;
}

TEST(Cli, UsageErrors) {
  EXPECT_EQ(RunCli("").Status, 2);
  EXPECT_EQ(RunCli("probe").Status, 2);
  TRun unknown = RunCli("frobnicate");
  EXPECT_EQ(unknown.Status, 2);
  EXPECT_NE(unknown.Err.find("Unknown command: frobnicate"), std::string::npos);
}

}  // namespace

// ---- convert -------------------------------------------------------------------------------

class CliConvert : public ::testing::Test {
 protected:
  std::string Output(const std::string& AName) {
    return ::testing::TempDir() + "cli-convert-" + std::to_string(::getpid()) + "-" + AName;
  }
};

TEST_F(CliConvert, ConvertsAndReportsProgressLines) {
  const std::string out = Output("rm.avi");
  TRun run =
      RunCli("convert -i " + Quoted(FixturePath(fxRealMediaRv10Ac3)) +
             " --options 'vcodec=mpeg4<CRLF>b=1000000<CRLF>acodec=libmp3lame' " + Quoted(out));
  EXPECT_EQ(run.Status, 0) << run.Err;
  // Not a terminal: one plain line per report, the last one at 100 %.
  EXPECT_EQ(run.Out.find('\r'), std::string::npos);
  EXPECT_NE(run.Out.find("frame="), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("100%\n"), std::string::npos) << run.Out;
  TRun probe = RunCli("probe " + Quoted(out));
  EXPECT_NE(probe.Out.find("Video: mpeg4"), std::string::npos) << probe.Out;
  EXPECT_NE(probe.Out.find("Audio: mp3"), std::string::npos) << probe.Out;
  std::remove(out.c_str());
}

TEST_F(CliConvert, FailuresAndUsage) {
  const std::string out = Output("fail.avi");
  TRun missing = RunCli("convert -i /nonexistent/in.rm " + Quoted(out));
  EXPECT_EQ(missing.Status, 1);
  EXPECT_NE(missing.Err.find("No such file or directory"), std::string::npos) << missing.Err;
  // A fatal error of the run: its message is the last line on stderr.
  TRun fatal = RunCli("convert --log-level quiet -i " + Quoted(FixturePath(fxRealMediaRv10Ac3)) +
                      " --options vcodec=copy " + Quoted(Output("copy.mkv")));
  EXPECT_EQ(fatal.Status, 1);
  EXPECT_NE(fatal.Err.find("Could not write header for output file #0"), std::string::npos)
      << fatal.Err;
  EXPECT_EQ(RunCli("convert").Status, 2);
  EXPECT_EQ(RunCli("convert -i " + Quoted(FixturePath(fxWav))).Status, 2);  // no output
  EXPECT_EQ(RunCli("convert --log-level loud -i a b").Status, 2);
}

TEST_F(CliConvert, InterruptStopsCleanlyWithTrailer) {
  const std::string out = Output("long.avi");
  // Ten minutes of generated video cannot finish before the interrupt.
  TRun run = RunProgram("timeout", "--preserve-status -s INT 2 " + Quoted(VORANDEL_CLI) +
                                       " convert --input-options f=lavfi -i "
                                       "testsrc=duration=600:size=320x240 --options vcodec=mpeg4 " +
                                       Quoted(out));
  EXPECT_EQ(run.Status, 130) << run.Err;
  TRun probe = RunCli("probe " + Quoted(out));
  EXPECT_EQ(probe.Status, 0);
  EXPECT_EQ(probe.Out.find("Duration: N/A"), std::string::npos) << probe.Out;
  std::remove(out.c_str());
}
