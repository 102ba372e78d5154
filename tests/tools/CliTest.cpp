// vorandel-cli run on generated media and on files it cannot read: output and exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "AVCodecs.h"
#include "FFDecode.h"
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

// ---- presets and convert --preset ------------------------------------------------------------

namespace {

namespace fs = std::filesystem;

TEST(CliPresets, ListsTheCatalogueTextsWithoutSeparators) {
  TRun run = RunCli("presets");
  EXPECT_EQ(run.Status, 0) << run.Err;
  std::vector<std::string> lines;
  std::istringstream out(run.Out);
  for (std::string line; std::getline(out, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 30u) << run.Out;
  EXPECT_EQ(lines.front(), "AVI - Audio Video Interleave (*.avi)");
  EXPECT_EQ(lines[12], "AAC - Advance Audio Coding (*.aac)") << "the separator rows are left out";
  EXPECT_EQ(lines.back(), "PS3 Video (*.mp4)");
  for (const std::string& line : lines) EXPECT_NE(FindAVCodec(line), nullptr) << line;
  EXPECT_EQ(RunCli("presets extra").Status, 2);
}

// What the probe finds in an output file; numbers of a missing stream are -1.
struct TOutputFacts {
  std::string Format;
  std::string Video;
  int Width = -1, Height = -1;
  double FrameRate = -1;
  std::string Audio;
  int SampleRate = -1, Channels = -1;
  double Seconds = -1;
};

// The name of the stream's codec ("mp3"), not of the decoder the probe picked ("mp3float").
std::string CodecIdName(const TFFDecoder& AProbe, int AStreamIndex) {
  const AVCodecDescriptor* descriptor =
      FF.avcodec_descriptor_get(AProbe.FileHandle()->streams[AStreamIndex]->codecpar->codec_id);
  return descriptor ? descriptor->name : "";
}

TOutputFacts ProbeOutput(const std::string& AFileName) {
  EXPECT_TRUE(FFLoader().Load(TLibraries::All())) << FFLoader().LastErrMsg();
  TFFDecoder probe;
  TOutputFacts facts;
  if (!probe.LoadFile(AFileName)) {
    ADD_FAILURE() << AFileName << ": " << probe.LastErrMsg();
    return facts;
  }
  facts.Format = probe.FormatName();
  if (probe.FirstVideoStreamIndex() >= 0) {
    const TVideoStreamInfo video = probe.FirstVideoStreamInfo();
    facts.Video = CodecIdName(probe, probe.FirstVideoStreamIndex());
    facts.Width = video.Width;
    facts.Height = video.Height;
    facts.FrameRate = av_q2d(video.FrameRate);
  }
  if (probe.FirstAudioStreamIndex() >= 0) {
    const TAudioStreamInfo audio = probe.FirstAudioStreamInfo();
    facts.Audio = CodecIdName(probe, probe.FirstAudioStreamIndex());
    facts.SampleRate = audio.SampleRate;
    facts.Channels = audio.Channels;
  }
  facts.Seconds = probe.FileStreamInfo().Duration / 1e6;
  return facts;
}

std::vector<std::string> Lines(const std::string& AText) {
  std::vector<std::string> lines;
  std::istringstream in(AText);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The status lines of a run: "INPUT -> OUTPUT: STATUS", in order.
std::vector<std::string> StatusLines(const std::string& AOut) {
  std::vector<std::string> result;
  for (const std::string& line : Lines(AOut))
    if (line.find(" -> ") != std::string::npos) result.push_back(line);
  return result;
}

std::string StatusLine(const std::string& AInput, const std::string& AOutput,
                       const std::string& AStatus) {
  return AInput + " -> " + AOutput + ": " + AStatus;
}

class CliPresetConvert : public ::testing::Test {
 protected:
  void SetUp() override {
    FFolder = ::testing::TempDir() + "cli-preset-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
    fs::remove_all(FFolder);
    fs::create_directories(FFolder);
  }
  void TearDown() override { fs::remove_all(FFolder); }

  TRun Convert(const std::string& APreset, const std::string& AInputs,
               const std::string& AOptions = "") {
    return RunCli("convert --preset " + Quoted(APreset) + " " + AOptions + " -o " +
                  Quoted(FFolder) + " " + AInputs);
  }
  // The output path the command names: the folder text, "/", the file name.
  std::string Out(const std::string& AName) const { return FFolder + "/" + AName; }

  std::string FFolder;  // ends with "/", so output paths show a doubled delimiter
};

// What a preset's default selections give. A size of 0 x 0 is the input's own size, a height of
// cDvdNormHeight the height of the DVD norm the input's frame rate picks; no video codec means
// no video stream. Codecs are the names of the streams' codecs as the engine resolves the
// preset's encoders: the catalogue's "libfaac" is "aac", and its AMR-NB encoder is "aac" too
// where the libraries have none.
struct TPresetCase {
  const char* Preset;
  const char* Extension;
  const char* Format;
  const char* Video;
  int Width, Height;
  double FrameRate;  // frames per second
  const char* Audio;
  int SampleRate, Channels;
};

const char* const cMp4Format = "mov,mp4,m4a,3gp,3g2,mj2";
// "Auto" and "29.97 fps" ask for 29.97 fps.
constexpr double cNtscRate = 29.97;
constexpr int cDvdNormHeight = -2;

// Every entry of the catalogue, in its order, with the defaults the window selects.
const TPresetCase cPresetCases[] = {
    {"AVI - Audio Video Interleave (*.avi)", ".avi", "avi", "mpeg4", 0, 0, cNtscRate, "mp3", 48000,
     2},
    // No frame size is selected: the DVD target sizes the picture for the norm of the input's
    // frame rate, while "Auto" still asks for 29.97 fps.
    {"DVD - DVD Mpeg2 Format (*.mpg)", ".mpg", "mpeg", "mpeg2video", 720, cDvdNormHeight, cNtscRate,
     "ac3", 48000, 2},
    {"FLV - Flash Video (*.flv)", ".flv", "flv", "flv1", 0, 0, 15, "mp3", 44100, 2},
    {"MKV - Matroska Video (*.mkv)", ".mkv", "matroska,webm", "h264", 0, 0, cNtscRate, "ac3", 44100,
     2},
    {"MOV - QuickTime Video (*.mov)", ".mov", cMp4Format, "mpeg4", 0, 0, cNtscRate, "aac", 44100,
     2},
    {"MP4 - MPEG4 Video (*.mp4)", ".mp4", cMp4Format, "mpeg4", 0, 0, cNtscRate, "aac", 44100, 2},
    {"MPEG-1 Movie (*.mpg)", ".mpg", "mpeg", "mpeg1video", 0, 0, 25, "mp2", 44100, 2},
    {"MPEG-2 Movie (*.mpg)", ".mpg", "mpeg", "mpeg2video", 0, 0, 25, "mp2", 44100, 2},
    {"SWF - Flash Swf (*.swf)", ".swf", "swf", "flv1", 0, 0, 15, "mp3", 44100, 2},
    {"SVCD (*.mpg)", ".mpg", "mpeg", "mpeg2video", 480, 576, cNtscRate, "mp2", 44100, 2},
    {"VCD (*.mpg)", ".mpg", "mpeg", "mpeg1video", 352, 288, cNtscRate, "mp2", 44100, 2},
    {"WMV - Windows Media Video (*.wmv)", ".wmv", "asf", "wmv2", 0, 0, cNtscRate, "wmav2", 48000,
     2},
    {"AAC - Advance Audio Coding (*.aac)", ".aac", "aac", "", -1, -1, 0, "aac", 44100, 2},
    {"M4A - Mpeg4 Audio File (*.m4a)", ".m4a", cMp4Format, "", -1, -1, 0, "aac", 48000, 2},
    {"MP3 - Mpeg Layer3 Audio (*.mp3)", ".mp3", "mp3", "", -1, -1, 0, "mp3", 48000, 2},
    {"OGG - Ogg Vorbis Audio (*.ogg)", ".ogg", "ogg", "", -1, -1, 0, "vorbis", 48000, 2},
    {"WAV - Waveform Audio (*.wav)", ".wav", "wav", "", -1, -1, 0, "pcm_s16le", 44100, 2},
    {"WMA - Windows Media Audio (*.wma)", ".wma", "asf", "", -1, -1, 0, "wmav2", 48000, 2},
    // The 3GP rule: 8000 Hz, mono AMR-NB.
    {"3GP - Mobile Video Format (*.3gp)", ".3gp", cMp4Format, "mpeg4", 176, 144, cNtscRate,
     "amr_nb", 8000, 1},
    {"3G2 - Mobile Video Format (*.3g2)", ".3g2", cMp4Format, "mpeg4", 176, 144, cNtscRate,
     "amr_nb", 8000, 1},
    {"Apple TV (*.mp4)", ".mp4", cMp4Format, "mpeg4", 640, 480, cNtscRate, "aac", 44100, 2},
    {"iPad (*.mp4)", ".mp4", cMp4Format, "mpeg4", 640, 480, cNtscRate, "aac", 44100, 2},
    {"iPhone (*.mp4)", ".mp4", cMp4Format, "mpeg4", 640, 480, cNtscRate, "aac", 44100, 2},
    {"iPod (*.mp4)", ".mp4", cMp4Format, "mpeg4", 320, 240, cNtscRate, "ac3", 44100, 2},
    {"MP4 for Android (*.mp4)", ".mp4", cMp4Format, "mpeg4", 640, 480, cNtscRate, "aac", 44100, 2},
    {"Samsung Galaxy Series (*.mp4)", ".mp4", cMp4Format, "mpeg4", 640, 480, 30, "aac", 44100, 2},
    {"BlackBerry MPEG-4 Video (*.mp4)", ".mp4", cMp4Format, "mpeg4", 320, 240, 24, "aac", 44100, 2},
    // The 3GP rule with the kept "Stereo": AAC at 8000 Hz.
    {"BlackBerry 3GP Video (*.3gp)", ".3gp", cMp4Format, "mpeg4", 176, 144, 15, "aac", 8000, 2},
    {"PSP Video (*.mp4)", ".mp4", cMp4Format, "mpeg4", 368, 208, cNtscRate, "aac", 24000, 2},
    {"PS3 Video (*.mp4)", ".mp4", cMp4Format, "h264", 720, 480, cNtscRate, "aac", 44100, 2},
};
static_assert(std::size(cPresetCases) == 30);

// The codec an AMR-NB request gives: AAC where the libraries have no AMR-NB encoder.
std::string ResolvedAudio(const std::string& ACodec) {
  if (ACodec == "amr_nb" && !FF.avcodec_find_encoder_by_name("libopencore_amrnb")) return "aac";
  return ACodec;
}

int ExpectedHeight(const TPresetCase& ACase, const TFixtureFacts& ASource) {
  if (ACase.Height == cDvdNormHeight) return av_q2d(ASource.FrameRate) == 25 ? 576 : 480;
  return ACase.Height ? ACase.Height : ASource.Height;
}

// Samples per frame of the audio encoders; PCM has no frames.
int AudioFrameSamples(const std::string& ACodec) {
  static const std::pair<const char*, int> cFrames[] = {
      {"mp3", 1152},   {"mp2", 1152},    {"aac", 1024},   {"ac3", 1536},
      {"wmav2", 2048}, {"vorbis", 2048}, {"amr_nb", 160}, {"pcm_s16le", 0},
  };
  for (const auto& [codec, samples] : cFrames)
    if (ACodec == codec) return samples;
  ADD_FAILURE() << "no frame size for " << ACodec;
  return 0;
}

// How far the output's duration may be from the input's: one video frame (30 ms without video),
// plus two frames of the audio encoder, whose start delay and silence-filled last frame the
// container's duration includes.
double DurationTolerance(const TPresetCase& ACase) {
  const double frame = *ACase.Video ? 1 / ACase.FrameRate : 0.03;
  return frame + 2.0 * AudioFrameSamples(ResolvedAudio(ACase.Audio)) / ACase.SampleRate;
}

// Matroska keeps millisecond timestamps: 33 ms frames read back as 30.3 fps.
double FrameRateTolerance(const std::string& AFormat) {
  return AFormat == "matroska,webm" ? 0.34 : 0.01;
}

TEST_F(CliPresetConvert, EveryPresetConvertsWithItsDefaults) {
  ASSERT_TRUE(FFLoader().Load(TLibraries::All())) << FFLoader().LastErrMsg();
  const TFixture inputs[] = {fxRealMediaRv10Ac3, fxMp4H264Aac640x360};
  // Every catalogue entry has a row.
  std::vector<std::string> covered;
  for (const TPresetCase& c : cPresetCases) covered.push_back(c.Preset);
  std::vector<std::string> catalogue;
  for (const TheAVCodec& entry : AVCodecs)
    if (entry.Number != cSeparatorNumber) catalogue.emplace_back(entry.ComboText);
  EXPECT_EQ(covered, catalogue);

  for (const TFixture input : inputs) {
    const std::string inputPath = FixturePath(input);
    const TFixtureFacts& source = FixtureFacts(input);
    for (const TPresetCase& c : cPresetCases) {
      SCOPED_TRACE(std::string(c.Preset) + " from " + source.FileName);
      const std::string output = Out(fs::path(inputPath).stem().string() + c.Extension);
      TRun run = Convert(c.Preset, Quoted(inputPath));
      EXPECT_EQ(run.Status, 0) << run.Err;
      EXPECT_EQ(StatusLines(run.Out), std::vector{StatusLine(inputPath, output, "Done")})
          << run.Out;
      EXPECT_NE(run.Out.find("size="), std::string::npos) << "progress is shown";
      const TOutputFacts facts = ProbeOutput(output);
      EXPECT_EQ(facts.Format, c.Format);
      EXPECT_EQ(facts.Video, c.Video);
      EXPECT_EQ(facts.Width, c.Width ? c.Width : source.Width);
      EXPECT_EQ(facts.Height, ExpectedHeight(c, source));
      EXPECT_EQ(facts.Audio, ResolvedAudio(c.Audio));
      EXPECT_EQ(facts.SampleRate, c.SampleRate);
      EXPECT_EQ(facts.Channels, c.Channels);
      if (*c.Video) {
        EXPECT_NEAR(facts.FrameRate, c.FrameRate, FrameRateTolerance(c.Format));
      }
      if (c.Extension != std::string(".swf")) {  // the SWF demuxer reads no duration
        EXPECT_NEAR(facts.Seconds, source.Seconds, DurationTolerance(c));
      }
      fs::remove(output);  // the next case may write the same name
    }
  }
}

TEST_F(CliPresetConvert, AnExistingOutputGivesTheNextFreeNameUnlessOverwriting) {
  const std::string wav = FixturePath(fxWav);
  const std::string mp3 = "MP3 - Mpeg Layer3 Audio (*.mp3)";
  const std::string stem = fs::path(wav).stem().string();
  std::ofstream(Out(stem + ".mp3")) << "taken";
  std::ofstream(Out(stem + "-1.mp3")) << "taken";
  TRun unique = Convert(mp3, Quoted(wav));
  EXPECT_EQ(unique.Status, 0) << unique.Err;
  EXPECT_EQ(StatusLines(unique.Out), std::vector{StatusLine(wav, Out(stem + "-2.mp3"), "Done")});
  EXPECT_EQ(ProbeOutput(Out(stem + "-2.mp3")).Audio, "mp3");

  TRun overwrite = Convert(mp3, Quoted(wav), "--overwrite");
  EXPECT_EQ(overwrite.Status, 0) << overwrite.Err;
  EXPECT_EQ(StatusLines(overwrite.Out), std::vector{StatusLine(wav, Out(stem + ".mp3"), "Done")});
  EXPECT_EQ(ProbeOutput(Out(stem + ".mp3")).Audio, "mp3");
  EXPECT_FALSE(fs::exists(Out(stem + "-3.mp3")));
}

TEST_F(CliPresetConvert, OverwritingTheInputItselfFailsAndLeavesItUntouched) {
  const std::string input = Out("tone.wav");
  fs::copy_file(FixturePath(fxWav), input);
  const std::string before = ReadFile(input);
  TRun run = Convert("WAV - Waveform Audio (*.wav)", Quoted(input), "--overwrite");
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(StatusLines(run.Out), std::vector{StatusLine(input, Out("tone.wav"), "Fail")});
  EXPECT_NE(run.Err.find("would overwrite the input"), std::string::npos) << run.Err;
  EXPECT_EQ(ReadFile(input), before);
  // Without --overwrite the free name keeps the input safe.
  TRun unique = Convert("WAV - Waveform Audio (*.wav)", Quoted(input));
  EXPECT_EQ(unique.Status, 0) << unique.Err;
  EXPECT_EQ(StatusLines(unique.Out), std::vector{StatusLine(input, Out("tone-1.wav"), "Done")});
  EXPECT_EQ(ReadFile(input), before);
}

TEST_F(CliPresetConvert, EachFileGetsItsOwnStatusAndTheOthersStillConvert) {
  const std::string text = FixturePath(fxTextAsRm), wav = FixturePath(fxWav),
                    silent = FixturePath(fxUnknownDuration);
  auto outOf = [&](const std::string& AInput) {
    return Out(fs::path(AInput).stem().string() + ".mp3");
  };
  TRun run = Convert("MP3 - Mpeg Layer3 Audio (*.mp3)",
                     Quoted(text) + " " + Quoted(wav) + " " + Quoted(silent));
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(StatusLines(run.Out),
            (std::vector{StatusLine(text, outOf(text), "Fail"), StatusLine(wav, outOf(wav), "Done"),
                         StatusLine(silent, outOf(silent), "Fail-This file has no audio")}))
      << run.Out;
  EXPECT_NE(run.Err.find("Invalid data found when processing input"), std::string::npos) << run.Err;
  EXPECT_EQ(ProbeOutput(outOf(wav)).Audio, "mp3");
  EXPECT_FALSE(fs::exists(outOf(text)));
  EXPECT_FALSE(fs::exists(outOf(silent)));
  // A video preset fails the file without audio the same way.
  TRun video = Convert("AVI - Audio Video Interleave (*.avi)", Quoted(silent));
  EXPECT_EQ(video.Status, 1);
  EXPECT_EQ(StatusLines(video.Out),
            std::vector{StatusLine(silent, Out(fs::path(silent).stem().string() + ".avi"),
                                   "Fail-This file has no audio")});
}

TEST_F(CliPresetConvert, UsageErrorsAndAMissingFolder) {
  const std::string wav = Quoted(FixturePath(fxWav));
  TRun unknown = RunCli("convert --preset 'iPod' -o " + Quoted(FFolder) + " " + wav);
  EXPECT_EQ(unknown.Status, 2);
  EXPECT_NE(unknown.Err.find("Unknown preset: iPod"), std::string::npos) << unknown.Err;
  EXPECT_EQ(RunCli("convert --preset 'iPod (*.mp4)' " + wav).Status, 2);  // no folder
  EXPECT_EQ(RunCli("convert --preset 'iPod (*.mp4)' -o " + Quoted(FFolder)).Status, 2);
  EXPECT_EQ(RunCli("convert --preset").Status, 2);
  EXPECT_EQ(
      RunCli("convert --preset 'iPod (*.mp4)' --bogus -o " + Quoted(FFolder) + " " + wav).Status,
      2);
  TRun missing =
      RunCli("convert --preset 'iPod (*.mp4)' -o " + Quoted(FFolder + "gone") + " " + wav);
  EXPECT_EQ(missing.Status, 1);
  EXPECT_NE(missing.Err.find("does not exist or has been deleted!"), std::string::npos)
      << missing.Err;
}

TEST_F(CliPresetConvert, MissingLibrariesStopItBeforeAnyFile) {
  // A copy of the program whose folder holds a file that only has the name of libavutil.
  const fs::path program = fs::path(FFolder) / "vorandel-cli";
  fs::copy_file(VORANDEL_CLI, program);
  std::ofstream((fs::path(FFolder) / TFFLoader::LibraryFileName(avUtil)).string())
      << "not a library\n";
  TRun run = RunProgram(program.string(), "convert --preset 'iPod (*.mp4)' -o " + Quoted(FFolder) +
                                              " " + Quoted(FixturePath(fxWav)));
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Out, "");
  EXPECT_TRUE(run.Err.ends_with("\nSome files are missing. Please re-install this software\n"))
      << run.Err;
  EXPECT_FALSE(fs::exists(Out(fs::path(FixturePath(fxWav)).stem().string() + ".mp4")));
}

// Runs the program with its standard output on a pipe, sends SIGINT as soon as the first
// progress line arrives, and collects the rest.
TRun RunInterruptedAtFirstProgress(const std::vector<std::string>& AArgs) {
  int out[2];
  EXPECT_EQ(::pipe(out), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::close(out[0]);
    ::close(out[1]);
    std::vector<char*> argv{const_cast<char*>(VORANDEL_CLI)};
    for (const std::string& a : AArgs) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(VORANDEL_CLI, argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  TRun run{-1, "", ""};
  bool sent = false;
  char buffer[4096];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) {
    run.Out.append(buffer, static_cast<std::size_t>(n));
    if (!sent && run.Out.find("size=") != std::string::npos) {
      ::kill(child, SIGINT);
      sent = true;
    }
  }
  ::close(out[0]);
  int raw = 0;
  ::waitpid(child, &raw, 0);
  run.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  EXPECT_TRUE(sent) << "no progress line came";
  return run;
}

TEST_F(CliPresetConvert, InterruptAbortsTheCurrentFileAndConvertsNoFurther) {
  // Two minutes of generated media take far longer to convert than the first progress report.
  const std::string input = Out("long.avi");
  TRun made = RunCli(
      "convert --log-level quiet --input-options f=lavfi -i "
      "'testsrc=duration=120:size=320x240:rate=25[out0];sine=duration=120[out1]' --options "
      "'vcodec=mpeg4<CRLF>acodec=libmp3lame' " +
      Quoted(input));
  ASSERT_EQ(made.Status, 0) << made.Err;
  const std::string wav = FixturePath(fxWav);
  TRun run = RunInterruptedAtFirstProgress(
      {"convert", "--preset", "iPod (*.mp4)", "-o", FFolder, input, wav});
  EXPECT_EQ(run.Status, 130);
  EXPECT_EQ(StatusLines(run.Out), std::vector{StatusLine(input, Out("long.mp4"), "Abort")})
      << run.Out;
  const TOutputFacts facts = ProbeOutput(Out("long.mp4"));
  EXPECT_EQ(facts.Video, "mpeg4") << "the stopped output is closed properly";
  EXPECT_LT(facts.Seconds, 120);
  EXPECT_FALSE(fs::exists(Out(fs::path(wav).stem().string() + ".mp4")));
}

}  // namespace
