// The records' defaults and the job option steps their fields become.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FFEncodeOptions.h"
#include "FFEncodeRecords.h"

namespace {

std::vector<std::string> Texts(const std::vector<TOptionStep>& ASteps) {
  std::vector<std::string> texts;
  for (const TOptionStep& step : ASteps) texts.push_back(OptionStepText(step));
  return texts;
}

const TLocalClock cClock{45000.5, 3600};  // 2023-03-15 12:00 local, UTC+1

TEST(OutputRecordSteps, DefaultRecordSetsOnlyTheAlwaysAssignedValues) {
  const TOutputOptions options;
  EXPECT_EQ(options.VideoHookBitsPixel, 24);
  EXPECT_EQ(options.NormDefault, ntPAL);
  EXPECT_EQ(options.TimeStart, cNoTimeValue);
  EXPECT_EQ(options.Info.TimeStamp, -1.0);
  const std::vector<std::string> expected = {
      "f=",
      "ac=-1",
      "ar=-1",
      "Faudio_language := \"\"",
      "Faudio_sync_method := 0",
      "atag=",
      "r=",
      "aspect=",
      "Fvideo_sync_method := -1",
      "vtag=",
      "Fvideo_language := \"\"",
      "Fsubtitle_language := \"\"",
      "Finput_sync := false",
  };
  EXPECT_EQ(Texts(OutputRecordSteps(options, cClock)), expected);
}

TEST(OutputRecordSteps, EveryFieldInTheRecordOrder) {
  TOutputOptions o;
  o.ForceFormat = "mp4";
  o.PacketSize = 2324;
  o.MuxRate = 10080000;
  o.MuxDelay = 0.25f;
  o.MuxPreload = 0.5f;
  o.DisableAudio = true;
  o.AudioVolume = 255;
  o.AudioChannels = 2;
  o.AudioSampleRate = 44100;
  o.AudioBitrate = 128000;
  o.AudioBitRateTolerance = 4000;
  o.AudioLanguage = "eng";
  o.AudioSyncMethod = 1;
  o.AudioTag = "mp4a";
  o.DisableVideo = true;
  o.FrameRate = "29.97";
  o.FrameAspectRatio = "16:9";
  o.GroupPictureSize = 12;
  o.VideoBitrate = 2500000;
  o.VideoMaxRate = 3000000;
  o.VideoMinRate = 100000;
  o.VideoBitRateTolerance = 50000;
  o.VideoBufSize = 1835008;
  o.VideoSyncMethod = 2;
  o.VideoTag = "xvid";
  o.VideoLanguage = "fra";
  o.DisableSubtitle = true;
  o.SubtitleLanguage = "deu";
  o.InputSync = true;
  o.CopyTimestamp = true;
  o.TimeStart = 1500000;
  o.TimeLength = 60000000;
  o.Info.TimeStamp = 45000.0;
  o.Info.Year = 2011;
  o.Info.Track = 3;
  o.Info.Title = "T";
  o.Info.Author = "A";
  o.Info.Copyright = "C";
  o.Info.Comment = "N";
  o.Info.Album = "L";
  o.Info.Genre = "G";
  const std::vector<std::string> expected = {
      "f=mp4",
      "generic packetsize=2324",
      "generic muxrate=10080000",
      "Fmux_max_delay := 0.25",
      "Fmux_preload := 0.5",
      "Faudio_disable := true",
      "Faudio_volume := 255",
      "ac=2",
      "ar=44100",
      "ab=128000",
      "generic abt=4000",
      "Faudio_language := \"eng\"",
      "Faudio_sync_method := 1",
      "atag=mp4a",
      "Fvideo_disable := true",
      "r=29.97",
      "aspect=16:9",
      "generic g=12",
      "vb=2500000",
      "generic maxrate=3000000",
      "generic minrate=100000",
      "generic bt=50000",
      "generic bufsize=1835008",
      "Fvideo_sync_method := 2",
      "vtag=xvid",
      "Fvideo_language := \"fra\"",
      "Fsubtitle_disable := true",
      "Fsubtitle_language := \"deu\"",
      "Finput_sync := true",
      "Fcopy_ts := true",
      "Fstart_time := 1500000",
      "Frecording_time := 60000000",
      "FTotalOutputDuration := 60000000",
      "Frecording_timestamp := 1678834800",  // 2023-03-15 00:00 at UTC+1
      "metadata year=2011",
      "metadata track=3",
      "metadata title=T",
      "metadata author=A",
      "metadata copyright=C",
      "metadata comment=N",
      "metadata album=L",
      "metadata genre=G",
  };
  EXPECT_EQ(Texts(OutputRecordSteps(o, cClock)), expected);
}

// The steps carry typed values for the job's fields, not only their log text.
TEST(OutputRecordSteps, FieldStepsCarryTheFieldType) {
  TOutputOptions o;
  o.MuxDelay = 0.7f;
  o.TimeLength = 5;
  const std::vector<TOptionStep> steps = OutputRecordSteps(o, cClock);
  EXPECT_EQ(steps[1], TOptionStep(TFieldAssign{jfMuxMaxDelay, 0.7f}));
  EXPECT_NE(std::find(steps.begin(), steps.end(),
                      TOptionStep(TFieldAssign{jfTotalOutputDuration, std::int64_t{5}})),
            steps.end());
  EXPECT_EQ(steps.front(), TOptionStep(TOptionCall{"f", ""}));
}

// Zero is "unset" for the muxer and rate numbers, but a valid volume; -1 is unset everywhere.
TEST(OutputRecordSteps, UnsetNumbersAreLeftOut) {
  struct TCase {
    int Value;
    bool Generic;  // packetsize, abt, bufsize appear
    bool Volume;
    bool Rates;  // ab and vb appear
  };
  const TCase cases[] = {{-1, false, false, false}, {0, false, true, false}, {1, true, true, true}};
  for (const TCase& c : cases) {
    TOutputOptions o;
    o.PacketSize = o.AudioBitRateTolerance = o.VideoBufSize = c.Value;
    o.AudioVolume = c.Value;
    o.AudioBitrate = o.VideoBitrate = c.Value;
    const std::vector<std::string> texts = Texts(OutputRecordSteps(o, cClock));
    auto has = [&](const std::string& AText) {
      return std::find(texts.begin(), texts.end(), AText) != texts.end();
    };
    const std::string v = std::to_string(c.Value);
    EXPECT_EQ(has("generic packetsize=" + v), c.Generic) << c.Value;
    EXPECT_EQ(has("generic abt=" + v), c.Generic) << c.Value;
    EXPECT_EQ(has("generic bufsize=" + v), c.Generic) << c.Value;
    EXPECT_EQ(has("Faudio_volume := " + v), c.Volume) << c.Value;
    EXPECT_EQ(has("ab=" + v), c.Rates) << c.Value;
    EXPECT_EQ(has("vb=" + v), c.Rates) << c.Value;
  }
}

TEST(OutputRecordSteps, TargetPresetLeavesOutTheBitRates) {
  for (TOptionTargetType target : {ttVCD, ttSVCD, ttDVD}) {
    TOutputOptions o;
    o.TargetType = target;
    o.AudioBitrate = 448000;
    o.VideoBitrate = 6000000;
    o.AudioBitRateTolerance = 1000;
    const std::vector<std::string> texts = Texts(OutputRecordSteps(o, cClock));
    for (const std::string& text : texts) {
      EXPECT_NE(text.rfind("ab=", 0), 0u) << text;
      EXPECT_NE(text.rfind("vb=", 0), 0u) << text;
    }
    EXPECT_NE(std::find(texts.begin(), texts.end(), "generic abt=1000"), texts.end());
  }
}

TEST(OutputRecordSteps, TimeStampIsNowAMomentOrNothing) {
  struct TCase {
    TDateTime Stamp;
    const char* Step;  // nullptr: no time stamp step
  };
  const TCase cases[] = {
      {0.0, "Frecording_timestamp := 1678878000"},       // now: 45000.5 at UTC+1
      {25569.0, "Frecording_timestamp := -3600"},        // 1970-01-01 00:00 local
      {45000.25, "Frecording_timestamp := 1678856400"},  // 06:00 local
      {-1.0, nullptr},
      {-0.5, nullptr},
  };
  for (const TCase& c : cases) {
    TOutputOptions o;
    o.Info.TimeStamp = c.Stamp;
    std::vector<std::string> stamps;
    for (const std::string& text : Texts(OutputRecordSteps(o, cClock)))
      if (text.rfind("Frecording_timestamp", 0) == 0) stamps.push_back(text);
    EXPECT_EQ(stamps, c.Step ? std::vector<std::string>{c.Step} : std::vector<std::string>{})
        << c.Stamp;
  }
}

TEST(OutputRecordSteps, EmptyMetadataTextsAndUnsetNumbersGiveNoEntry) {
  TOutputOptions o;
  o.Info.Year = 0;
  o.Info.Track = -1;
  o.Info.Album = "Only";
  std::vector<std::string> metadata;
  for (const std::string& text : Texts(OutputRecordSteps(o, cClock)))
    if (text.rfind("metadata ", 0) == 0) metadata.push_back(text);
  EXPECT_EQ(metadata, std::vector<std::string>{"metadata album=Only"});
}

TEST(TargetRecordOf, TypeNormAndDefaultNorm) {
  struct TCase {
    TOptionTargetType Target;
    TOptionNormType Norm;
    TOptionNormDefault Default;
    const char *Type, *NormText, *DefaultText;
  };
  const TCase cases[] = {
      {ttVCD, ntPAL, ntNTSC, "vcd", "pal", "ntsc"},
      {ttSVCD, ntNTSC, ntPAL, "svcd", "ntsc", "pal"},
      {ttDVD, ntAuto, ntPAL, "dvd", "auto", "pal"},
      {ttDVD, ntAuto, ntAuto, "dvd", "auto", "ntsc"},  // anything but PAL defaults to NTSC
  };
  for (const TCase& c : cases) {
    TOutputOptions o;
    o.TargetType = c.Target;
    o.NormType = c.Norm;
    o.NormDefault = c.Default;
    EXPECT_EQ(TargetRecordOf(o), (TTargetRequest{c.Type, c.NormText, c.DefaultText})) << c.Type;
  }
  TOutputOptions none;
  none.NormType = ntNTSC;
  EXPECT_EQ(TargetRecordOf(none), std::nullopt);
}

TEST(InputRecordSteps, FormatThenStartTimeAndProgramWhenSet) {
  const TInputOptions defaults;
  EXPECT_EQ(Texts(InputRecordSteps(defaults)), std::vector<std::string>{"f="});

  TInputOptions o;
  o.ForceFormat = "rm";
  o.TimeStart = 0;  // zero is a start time, only the smallest Int64 means none
  o.ProgramID = 0;
  EXPECT_EQ(Texts(InputRecordSteps(o)),
            (std::vector<std::string>{"f=rm", "Fstart_time := 0", "Fopt_programid := 0"}));
  o.ProgramID = -2;
  o.TimeStart = cNoTimeValue;
  EXPECT_EQ(Texts(InputRecordSteps(o)), std::vector<std::string>{"f=rm"});
}

}  // namespace
