// The request builder: the worked examples, every preset's default request, and the rules.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "AVCodecs.h"
#include "FFEncodeOptions.h"
#include "PresetRequest.h"
#include "RowStatus.h"

namespace {

const TheAVCodec& Entry(std::string_view AComboText) {
  const TheAVCodec* entry = FindAVCodec(AComboText);
  if (entry == nullptr) throw std::runtime_error("no entry " + std::string(AComboText));
  return *entry;
}

TOutputOptions Collected(const TPresetSelections& ASelections,
                         std::string_view AProbedSize = "640x360") {
  const TCollectResult result = CollectPresetSettings(ASelections, AProbedSize);
  EXPECT_TRUE(result.Success) << result.ErrorMsg;
  return result.Options;
}

TOutputOptions DefaultRequest(std::string_view AComboText) {
  return Collected(DefaultSelectionsOf(Entry(AComboText)));
}

// Input clip.rm with a 640 x 360 video stream and an audio stream, volume 100 %. The expected
// record is the default record with the named fields set; nothing else may differ.
TEST(CollectPresetSettings, WorkedExamples) {
  struct TCase {
    const char* ComboText;
    TOutputOptions Expected;
  };
  auto with = [](auto ASet) {
    TOutputOptions o;
    o.AudioVolume = 255;
    o.AudioChannels = 2;
    ASet(o);
    return o;
  };
  const TCase cases[] = {
      {"iPod (*.mp4)", with([](TOutputOptions& o) {
         o.VideoCodec = "mpeg4";
         o.AudioCodec = "ac3";
         o.FrameSize = "320x240";
         o.FrameRate = "29.97";
         o.VideoBitrate = 2500000;
         o.AudioBitrate = 128000;
         o.AudioSampleRate = 44100;
       })},
      {"AVI - Audio Video Interleave (*.avi)", with([](TOutputOptions& o) {
         o.VideoCodec = "mpeg4";
         o.AudioCodec = "libmp3lame";
         o.FrameSize = "640x360";
         o.FrameRate = "29.97";
         o.VideoBitrate = 6000000;
         o.AudioBitrate = 128000;
         o.AudioSampleRate = 48000;
       })},
      {"OGG - Ogg Vorbis Audio (*.ogg)", with([](TOutputOptions& o) {
         o.DisableVideo = true;
         o.AudioCodec = "libvorbis";
         o.ExtOptions = "astrict=experimental\r\n";
         o.VideoBitrate = 0;  // the empty bit-rate list reads as 0
         o.AudioBitrate = 160000;
         o.AudioSampleRate = 48000;
       })},
      {"3GP - Mobile Video Format (*.3gp)", with([](TOutputOptions& o) {
         o.VideoCodec = "mpeg4";
         o.FrameSize = "176x144";
         o.VideoBitrate = 512000;
         o.FrameRate = "29.97";
         o.AudioCodec = "libopencore_amrnb";
         o.AudioChannels = 1;
         o.AudioBitrate = 12200;
         o.AudioSampleRate = 8000;
       })},
      {"DVD - DVD Mpeg2 Format (*.mpg)", with([](TOutputOptions& o) {
         o.VideoCodec = "mpeg2video";
         o.FrameRate = "29.97";
         o.VideoBitrate = 6000000;
         o.AudioCodec = "ac3";
         o.AudioBitrate = 448000;
         o.AudioSampleRate = 48000;
         o.TargetType = ttDVD;
         o.NormType = ntAuto;
       })},
  };
  for (const TCase& c : cases) {
    const TOutputOptions actual = DefaultRequest(c.ComboText);
    EXPECT_EQ(actual.VideoCodec, c.Expected.VideoCodec) << c.ComboText;
    EXPECT_EQ(actual.AudioCodec, c.Expected.AudioCodec) << c.ComboText;
    EXPECT_EQ(actual.FrameSize, c.Expected.FrameSize) << c.ComboText;
    EXPECT_EQ(actual.FrameRate, c.Expected.FrameRate) << c.ComboText;
    EXPECT_EQ(actual.ExtOptions, c.Expected.ExtOptions) << c.ComboText;
    EXPECT_TRUE(actual == c.Expected) << c.ComboText;
  }
}

// Every catalogue entry with its default selections: the record's codecs, size and rates, and
// the option lines that carry the rates, channels and target to the job.
TEST(CollectPresetSettings, EveryPresetsDefaultRequest) {
  struct TCase {
    const char* ComboText;
    const char* Fields;  // video codec|audio codec|frame size|video bit rate
    const char* Lines;   // the job's channel, rate and target options
  };
  const TCase cases[] = {
      {"AVI - Audio Video Interleave (*.avi)", "mpeg4|libmp3lame|640x360|6000000",
       "ac=2 ar=48000 ab=128000 r=29.97 vb=6000000"},
      {"DVD - DVD Mpeg2 Format (*.mpg)", "mpeg2video|ac3||6000000",
       "ac=2 ar=48000 r=29.97 target=dvd/auto/pal"},
      {"FLV - Flash Video (*.flv)", "flv|libmp3lame|640x360|2500000",
       "ac=2 ar=44100 ab=128000 r=15.0 vb=2500000"},
      {"MKV - Matroska Video (*.mkv)", "libx264|ac3|640x360|6000000",
       "ac=2 ar=44100 ab=128000 r=29.97 vb=6000000"},
      {"MOV - QuickTime Video (*.mov)", "mpeg4|libfaac|640x360|6000000",
       "ac=2 ar=44100 ab=128000 r=29.97 vb=6000000"},
      {"MP4 - MPEG4 Video (*.mp4)", "mpeg4|libfaac|640x360|6000000",
       "ac=2 ar=44100 ab=128000 r=29.97 vb=6000000"},
      {"MPEG-1 Movie (*.mpg)", "mpeg1video|mp2|640x360|6000000",
       "ac=2 ar=44100 ab=192000 r=25.0 vb=6000000"},
      {"MPEG-2 Movie (*.mpg)", "mpeg2video|mp2|640x360|6000000",
       "ac=2 ar=44100 ab=192000 r=25.0 vb=6000000"},
      {"SWF - Flash Swf (*.swf)", "flv|libmp3lame|640x360|2500000",
       "ac=2 ar=44100 ab=128000 r=15.0 vb=2500000"},
      {"SVCD (*.mpg)", "mpeg2video|mp2|480x576|2040000",
       "ac=2 ar=44100 ab=224000 r=29.97 vb=2040000"},
      {"VCD (*.mpg)", "mpeg1video|mp2|352x288|1150000",
       "ac=2 ar=44100 ab=224000 r=29.97 vb=1150000"},
      {"WMV - Windows Media Video (*.wmv)", "wmv2|wmav2|640x360|6000000",
       "ac=2 ar=48000 ab=128000 r=29.97 vb=6000000"},
      {"AAC - Advance Audio Coding (*.aac)", "|libfaac||0", "vn ac=2 ar=44100 ab=128000 r="},
      {"M4A - Mpeg4 Audio File (*.m4a)", "|libfaac||0", "vn ac=2 ar=48000 ab=128000 r="},
      {"MP3 - Mpeg Layer3 Audio (*.mp3)", "|libmp3lame||0", "vn ac=2 ar=48000 ab=192000 r="},
      {"OGG - Ogg Vorbis Audio (*.ogg)", "|libvorbis||0", "vn ac=2 ar=48000 ab=160000 r="},
      {"WAV - Waveform Audio (*.wav)", "|pcm_s16le||0", "vn ac=2 ar=44100 ab=128000 r="},
      {"WMA - Windows Media Audio (*.wma)", "|wmav2||0", "vn ac=2 ar=48000 ab=128000 r="},
      {"3GP - Mobile Video Format (*.3gp)", "mpeg4|libopencore_amrnb|176x144|512000",
       "ac=1 ar=8000 ab=12200 r=29.97 vb=512000"},
      {"3G2 - Mobile Video Format (*.3g2)", "mpeg4|libopencore_amrnb|176x144|512000",
       "ac=1 ar=8000 ab=7400 r=29.97 vb=512000"},
      {"Apple TV (*.mp4)", "mpeg4|libfaac|640x480|2500000",
       "ac=2 ar=44100 ab=128000 r=29.97 vb=2500000"},
      {"iPad (*.mp4)", "mpeg4|libfaac|640x480|2500000",
       "ac=2 ar=44100 ab=128000 r=29.97 vb=2500000"},
      {"iPhone (*.mp4)", "mpeg4|libfaac|640x480|2500000",
       "ac=2 ar=44100 ab=128000 r=29.97 vb=2500000"},
      {"iPod (*.mp4)", "mpeg4|ac3|320x240|2500000", "ac=2 ar=44100 ab=128000 r=29.97 vb=2500000"},
      {"MP4 for Android (*.mp4)", "mpeg4|libfaac|640x480|2500000",
       "ac=2 ar=44100 ab=128000 r=29.97 vb=2500000"},
      {"Samsung Galaxy Series (*.mp4)", "mpeg4|libfaac|640x480|2500000",
       "ac=2 ar=44100 ab=128000 r=30.0 vb=2500000"},
      {"BlackBerry MPEG-4 Video (*.mp4)", "mpeg4|libfaac|320x240|512000",
       "ac=2 ar=44100 ab=80000 r=24 vb=512000"},
      // The kept channel list shows "Stereo" after start-up, so the 3GP rule picks AAC.
      {"BlackBerry 3GP Video (*.3gp)", "mpeg4|libfaac|176x144|256000",
       "ac=2 ar=8000 ab=12200 r=15 vb=256000"},
      {"PSP Video (*.mp4)", "mpeg4|libfaac|368x208|768000",
       "ac=2 ar=24000 ab=64000 r=29.97 vb=768000"},
      {"PS3 Video (*.mp4)", "libx264|libfaac|720x480|3000000",
       "ac=2 ar=44100 ab=96000 r=29.97 vb=3000000"},
  };
  const std::set<std::string> shown = {"ac", "ar", "ab", "r", "vb"};
  std::set<std::string> covered;
  for (const TCase& c : cases) {
    covered.insert(c.ComboText);
    const TOutputOptions o = DefaultRequest(c.ComboText);
    EXPECT_EQ(o.VideoCodec + "|" + o.AudioCodec + "|" + o.FrameSize + "|" +
                  std::to_string(o.VideoBitrate),
              c.Fields)
        << c.ComboText;
    std::string lines = o.DisableVideo ? "vn" : "";
    for (const TOptionStep& step : OutputRecordSteps(o, {})) {
      const auto* call = std::get_if<TOptionCall>(&step);
      if (call == nullptr || shown.count(call->Name) == 0) continue;
      lines += (lines.empty() ? "" : " ") + call->Name + "=" + call->Value;
    }
    if (const auto target = TargetRecordOf(o))
      lines += " target=" + target->Type + "/" + target->Norm + "/" + target->DefaultNorm;
    EXPECT_EQ(lines, c.Lines) << c.ComboText;
    EXPECT_EQ(o.AudioVolume, 255) << c.ComboText;
    EXPECT_EQ(o.VideoTag, "") << c.ComboText;
  }
  for (const TheAVCodec& entry : AVCodecs) {
    if (entry.Number != cSeparatorNumber) {
      EXPECT_EQ(covered.count(std::string(entry.ComboText)), 1u) << entry.ComboText;
    }
  }
  EXPECT_EQ(covered.size(), 30u);
}

TEST(CodecTables, MapTrimmedLowerCaseTextsAndPassOthers) {
  struct TVideo {
    const char *Selected, *Codec, *Tag;
  };
  const TVideo videos[] = {
      {"h264", "libx264", ""},   {"H264", "libx264", ""},          {" XviD ", "mpeg4", "xvid"},
      {"divx", "mpeg4", "DIVX"}, {"uncompress", "rawvideo", ""},   {"mpeg4", "mpeg4", ""},
      {"flv", "flv", ""},        {"mpeg2video", "mpeg2video", ""}, {"", "", ""},
  };
  for (const TVideo& v : videos) {
    const TVideoCodecChoice choice = VideoCodecOf(v.Selected);
    EXPECT_EQ(choice.Codec, v.Codec) << v.Selected;
    EXPECT_EQ(choice.Tag, v.Tag) << v.Selected;
  }
  struct TAudio {
    const char *Selected, *Codec, *Extra;
  };
  const TAudio audios[] = {
      {"aac", "libfaac", ""},
      {"mp3", "libmp3lame", ""},
      {"MPEG4AAC", "libfaac", ""},
      {"amr_nb", "libopencore_amrnb", ""},
      {"vorbis", "libvorbis", "astrict=experimental\r\n"},
      {"libvorbis", "libvorbis", ""},  // only the table's row asks for the strictness line
      {"ac3", "ac3", ""},
      {"libopencore_amrnb", "libopencore_amrnb", ""},
      {"", "", ""},
  };
  for (const TAudio& a : audios) {
    const TAudioCodecChoice choice = AudioCodecOf(a.Selected);
    EXPECT_EQ(choice.Codec, a.Codec) << a.Selected;
    EXPECT_EQ(choice.ExtraLine, a.Extra) << a.Selected;
  }
}

// One selection changed from an entry's defaults, and the fields it gives.
TEST(CollectPresetSettings, SelectionRules) {
  auto from = [](const char* AComboText, auto AChange) {
    TPresetSelections s = DefaultSelectionsOf(Entry(AComboText));
    AChange(s);
    return s;
  };
  const char* avi = "AVI - Audio Video Interleave (*.avi)";
  const char* dvd = "DVD - DVD Mpeg2 Format (*.mpg)";
  struct TCase {
    const char* What;
    TPresetSelections Selections;
    std::string Probed;
    std::string (*Field)(const TOutputOptions&);
    const char* Expected;
  };
  auto rate = [](const TOutputOptions& o) { return o.FrameRate; };
  auto size = [](const TOutputOptions& o) { return o.FrameSize; };
  auto aspect = [](const TOutputOptions& o) { return o.FrameAspectRatio; };
  auto norm = [](const TOutputOptions& o) { return std::to_string(o.NormType); };
  auto video = [](const TOutputOptions& o) { return o.VideoCodec + "/" + o.VideoTag; };
  auto audio = [](const TOutputOptions& o) {
    return o.AudioCodec + "/" + std::to_string(o.AudioChannels) + "/" +
           std::to_string(o.AudioBitrate) + "/" + std::to_string(o.AudioSampleRate);
  };
  auto volume = [](const TOutputOptions& o) { return std::to_string(o.AudioVolume); };
  const TCase cases[] = {
      {"Auto is 29.97", from(avi, [](auto& s) { s.VideoFramerate = "Auto"; }), "640x360", rate,
       "29.97"},
      {"note dropped", from(avi, [](auto& s) { s.VideoFramerate = "25.0 fps [PAL]"; }), "640x360",
       rate, "25.0"},
      {"whole number", from(avi, [](auto& s) { s.VideoFramerate = "15 fps"; }), "640x360", rate,
       "15"},
      {"PAL has no rate", from(dvd, [](auto& s) { s.VideoFramerate = "PAL"; }), "640x360", rate,
       ""},
      {"NTSC has no rate", from(dvd, [](auto& s) { s.VideoFramerate = "NTSC"; }), "640x360", rate,
       ""},
      {"size from the list", from(avi, [](auto& s) { s.VideoSize = "352 x 288 (CIF)"; }), "640x360",
       size, "352x288"},
      {"original size is probed", from(avi, [](auto&) {}), "1280x720", size, "1280x720"},
      {"no video stream", from(avi, [](auto&) {}), ProbedSizeText(-1, -1), size, "-1x-1"},
      {"unopened input", from(avi, [](auto& s) { s.VideoSize = "352 x 288 (CIF)"; }), "", size,
       "640x480"},
      {"unopened audio input", from("MP3 - Mpeg Layer3 Audio (*.mp3)", [](auto&) {}), "", size,
       "640x480"},
      {"aspect original", from(avi, [](auto& s) { s.AspectRatioRow = 0; }), "640x360", aspect, ""},
      {"aspect 4:3", from(avi, [](auto& s) { s.AspectRatioRow = 1; }), "640x360", aspect, "4:3"},
      {"aspect 16:9", from(avi, [](auto& s) { s.AspectRatioRow = 2; }), "640x360", aspect, "16:9"},
      {"DVD PAL", from(dvd, [](auto& s) { s.VideoFramerateRow = 1; }), "640x360", norm, "1"},
      {"DVD NTSC", from(dvd, [](auto& s) { s.VideoFramerateRow = 2; }), "640x360", norm, "2"},
      {"DVD no rate", from(dvd, [](auto& s) { s.VideoFramerateRow = -1; }), "640x360", norm, "0"},
      {"VCD has no target", from("VCD (*.mpg)", [](auto& s) { s.VideoFramerateRow = 1; }),
       "640x360", [](const TOutputOptions& o) { return std::to_string(o.TargetType); }, "0"},
      {"uncompress", from(avi, [](auto& s) { s.VideoCodec = "uncompress"; }), "640x360", video,
       "rawvideo/"},
      {"H264", from(avi, [](auto& s) { s.VideoCodec = "H264"; }), "640x360", video, "libx264/"},
      {"divx", from(avi, [](auto& s) { s.VideoCodec = "divx"; }), "640x360", video, "mpeg4/DIVX"},
      {"xvid leaves no audio codec",
       from("MP4 - MPEG4 Video (*.mp4)",
            [](auto& s) {
              s.VideoCodec = "xvid";
              s.AudioCodec = "";
            }),
       "640x360", audio, "/2/128000/44100"},
      {"3GP mono",
       from("3GP - Mobile Video Format (*.3gp)", [](auto& s) { s.AudioBitrate = "4750 bps"; }),
       "640x360", audio, "libopencore_amrnb/1/12200/8000"},
      {"3GP stereo",
       from("3GP - Mobile Video Format (*.3gp)", [](auto& s) { s.AudioChannels = "Stereo"; }),
       "640x360", audio, "libfaac/2/12200/8000"},
      {"BlackBerry 3GP mono",
       from("BlackBerry 3GP Video (*.3gp)",
            [](auto& s) {
              s.AudioChannels = "Mono";
              s.SamplingRate = "16000 Hz";
            }),
       "640x360", audio, "libopencore_amrnb/1/12200/8000"},
      {"3G2 keeps its choice",
       from("3G2 - Mobile Video Format (*.3g2)",
            [](auto& s) {
              s.AudioBitrate = "4750 bps";
              s.AudioChannels = "Stereo";
            }),
       "640x360", audio, "libopencore_amrnb/2/4750/8000"},
      {"volume 200%", from(avi, [](auto& s) { s.VolumePosition = 10; }), "640x360", volume, "600"},
      {"volume 0%", from(avi, [](auto& s) { s.VolumePosition = 0; }), "640x360", volume, "1"},
  };
  for (const TCase& c : cases) {
    const TCollectResult result = CollectPresetSettings(c.Selections, c.Probed);
    ASSERT_TRUE(result.Success) << c.What << ": " << result.ErrorMsg;
    EXPECT_EQ(c.Field(result.Options), c.Expected) << c.What;
  }
}

// A number that cannot be read fails the request with the text that was read.
TEST(CollectPresetSettings, UnreadableNumberFailsTheRequest) {
  struct TCase {
    const char *VideoBitrate, *AudioBitrate, *SamplingRate;
    const char* Error;  // nullptr: the request succeeds
  };
  const TCase cases[] = {
      {"", "128 Kbps", "44100 Hz", nullptr},  // no video bit rate reads as 0
      {"6000 Kbps", "", "44100 Hz", "'' is not a valid integer value"},
      {"6000 Kbps", "128 Kbps", "", "'' is not a valid integer value"},
      {"6000 Kbps", "abc Kbps", "44100 Hz", "'abc000' is not a valid integer value"},
      {"fast", "128 Kbps", "44100 Hz", "'fast000' is not a valid integer value"},
      {"6000 Kbps", "128 Kbps", "44.1 kHz", "'44.1' is not a valid integer value"},
      {"9999999 Kbps", "128 Kbps", "44100 Hz", "'9999999000' is not a valid integer value"},
      {"6000 Kbps", "12200bps", "8000 Hz", "'12200bps' is not a valid integer value"},
  };
  for (const TCase& c : cases) {
    TPresetSelections s = DefaultSelectionsOf(Entry("AVI - Audio Video Interleave (*.avi)"));
    s.VideoBitrate = c.VideoBitrate;
    s.AudioBitrate = c.AudioBitrate;
    s.SamplingRate = c.SamplingRate;
    const TCollectResult result = CollectPresetSettings(s, "640x360");
    EXPECT_EQ(result.Success, c.Error == nullptr) << c.VideoBitrate << c.AudioBitrate;
    EXPECT_EQ(result.ErrorMsg, c.Error ? c.Error : "") << c.VideoBitrate << c.AudioBitrate;
  }
  EXPECT_EQ(RowFailureStatus(rfBadNumber), "Fail");
}

TEST(DefaultSelectionsOf, KeptListsShowTheirStartupRows) {
  const TPresetSelections ipod = DefaultSelectionsOf(Entry("iPod (*.mp4)"));
  EXPECT_EQ(ipod.AudioChannels, "Stereo");
  EXPECT_EQ(ipod.AspectRatioRow, 0);
  EXPECT_EQ(ipod.AudioCodec, "ac3");
  EXPECT_EQ(ipod.VideoFramerate, "29.97 fps [NTSC]");
  EXPECT_EQ(ipod.VideoFramerateRow, 5);
  EXPECT_EQ(ipod.OutputCell, "MP4");
  EXPECT_EQ(ipod.VolumePosition, cVolumeStartPosition);
  const TPresetSelections g3 = DefaultSelectionsOf(Entry("3GP - Mobile Video Format (*.3gp)"));
  EXPECT_EQ(g3.AudioChannels, "Mono");
  EXPECT_EQ(g3.AspectRatioRow, 0);
  const TPresetSelections dvd = DefaultSelectionsOf(Entry("DVD - DVD Mpeg2 Format (*.mpg)"));
  EXPECT_EQ(dvd.VideoSize, "");
  EXPECT_EQ(dvd.VideoFramerateRow, 0);
  const TPresetSelections mp3 = DefaultSelectionsOf(Entry("MP3 - Mpeg Layer3 Audio (*.mp3)"));
  EXPECT_EQ(mp3.VideoCodec + mp3.VideoSize + mp3.VideoBitrate + mp3.VideoFramerate, "");
  EXPECT_EQ(mp3.VideoFramerateRow, -1);
}

TEST(RowStatus, FailureTexts) {
  EXPECT_EQ(RowFailureStatus(rfAddTask), "Fail");
  EXPECT_EQ(RowFailureStatus(rfNoAudio), "Fail-This file has no audio");
  EXPECT_EQ(RowFailureStatus(rfOutputIsInput), "Fail");
  EXPECT_EQ(RowFailureStatus(rfSetOutputFile), "Fail");
  EXPECT_EQ(cLibrariesMissingMessage, "Some files are missing. Please re-install this software");
}

}  // namespace
