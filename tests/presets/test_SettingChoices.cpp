// Choosing presets one after another, as the main window applies them to its lists, and the
// codec and frame-rate handlers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AVCodecs.h"
#include "SettingChoices.h"

namespace {

struct TFakeList {
  std::vector<std::string> Rows;
  int Selected = -1;

  void Fill(TChoiceRows ARows, int ASelected) {
    Rows.assign(ARows.begin(), ARows.end());
    Select(ASelected);
  }
  // Like a drop-down list: a position beyond the rows selects nothing.
  void Select(int ARow) {
    Selected = ARow >= 0 && ARow < static_cast<int>(Rows.size()) ? ARow : -1;
  }
  std::string Text() const { return Selected < 0 ? std::string() : Rows[Selected]; }
};

// The window's setting lists in their start-up state, driven through the preset rules.
struct TFakeWindow {
  std::array<TFakeList, cSettingListCount> Lists;
  TOutputFormatState State;
  int FormatIndex = 0;

  TFakeWindow() {
    Lists[slAudioBitrate].Fill(InitialAudioBitrateRows, -1);
    Lists[slSamplingRate].Fill(InitialSamplingRateRows, -1);
    Lists[slAudioChannels].Fill(AudioChannelRows, 0);
    Lists[slAspectRatio].Fill(AspectRatioRows, 0);
  }

  TFormatChange Choose(int APos) {
    FormatIndex = APos;
    TFormatChange change = ChooseOutputFormat(State, APos, AVCodecs[APos].ComboText);
    if (change.Refused) {
      FormatIndex = State.LastFormatIndex;
      return change;
    }
    for (std::size_t i = 0; i < cSettingListCount; ++i) {
      if (!change.Choices[i].Keep)
        Lists[i].Fill(change.Choices[i].Rows, change.Choices[i].Selected);
    }
    return change;
  }
  int Choose(std::string_view AComboText) {
    const int pos = static_cast<int>(FindAVCodec(AComboText) - AVCodecs.data());
    Choose(pos);
    return pos;
  }

  void PickVideoCodec(const std::string& ACodec) {
    TFakeList& codecs = Lists[slVideoCodec];
    codecs.Select(static_cast<int>(std::find(codecs.Rows.begin(), codecs.Rows.end(), ACodec) -
                                   codecs.Rows.begin()));
    ASSERT_EQ(codecs.Text(), ACodec);
    const auto row = AudioCodecRowForVideoCodec(codecs.Text(),
                                                static_cast<int>(Lists[slAudioCodec].Rows.size()));
    if (row) Lists[slAudioCodec].Select(*row);
  }

  void PickFramerate(const std::string& ARate) {
    TFakeList& rates = Lists[slVideoFramerate];
    rates.Select(static_cast<int>(std::find(rates.Rows.begin(), rates.Rows.end(), ARate) -
                                  rates.Rows.begin()));
    ASSERT_EQ(rates.Text(), ARate);
    const auto row = VideoSizeRowForFramerate(AVCodecs[FormatIndex].ComboText, rates.Text());
    if (row) Lists[slVideoSize].Select(*row);
  }

  std::string Text(TSettingList AList) const { return Lists[AList].Text(); }
};

bool SameLists(const TFakeWindow& A, const TFakeWindow& B) {
  for (std::size_t i = 0; i < cSettingListCount; ++i) {
    if (A.Lists[i].Rows != B.Lists[i].Rows || A.Lists[i].Selected != B.Lists[i].Selected)
      return false;
  }
  return true;
}

TEST(ChooseOutputFormat, SeparatorIsRefusedAndChangesNothing) {
  TFakeWindow window;
  const int mkv = window.Choose("MKV - Matroska Video (*.mkv)");
  window.PickVideoCodec("h264");
  const TFakeWindow before = window;
  for (int separator : {12, 19}) {
    const TFormatChange change = window.Choose(separator);
    EXPECT_TRUE(change.Refused);
    EXPECT_EQ(window.FormatIndex, mkv);
    EXPECT_EQ(window.State.LastFormatIndex, mkv);
    EXPECT_EQ(window.State.CurrentOutputFormat, "MKV");
    EXPECT_TRUE(SameLists(window, before));
  }
}

TEST(ChooseOutputFormat, AcceptedEntrySetsFormatCodeAndIndex) {
  TFakeWindow window;
  EXPECT_EQ(window.State.CurrentOutputFormat, "");
  window.Choose("SVCD (*.mpg)");
  EXPECT_EQ(window.State.CurrentOutputFormat, "MPG");
  EXPECT_EQ(window.State.LastFormatIndex, 9);
  window.Choose("BlackBerry 3GP Video (*.3gp)");
  EXPECT_EQ(window.State.CurrentOutputFormat, "3GP");
  EXPECT_EQ(window.State.LastFormatIndex, 29);
}

TEST(ChooseOutputFormat, UnknownTextKeepsFormatCodeAndLists) {
  TOutputFormatState state;
  ChooseOutputFormat(state, 5, "MP4 - MPEG4 Video (*.mp4)");
  for (std::string_view text : {"", "mp4 - mpeg4 video (*.mp4)", "MP4 - MPEG4 Video (*.mp4) "}) {
    const TFormatChange change = ChooseOutputFormat(state, -1, text);
    EXPECT_FALSE(change.Refused);
    EXPECT_EQ(state.CurrentOutputFormat, "MP4");
    EXPECT_EQ(state.LastFormatIndex, -1);
    for (const TListChoice& list : change.Choices) EXPECT_TRUE(list.Keep);
  }
}

TEST(ChooseOutputFormat, FirstEntryGivesAviChoices) {
  TFakeWindow window;
  window.Choose(0);
  EXPECT_EQ(window.State.CurrentOutputFormat, "AVI");
  EXPECT_EQ(window.Text(slVideoCodec), "mpeg4");
  EXPECT_EQ(window.Text(slVideoSize), "Original Video Size");
  EXPECT_EQ(window.Text(slVideoBitrate), "6000 Kbps");
  EXPECT_EQ(window.Text(slVideoFramerate), "Auto");
  EXPECT_EQ(window.Text(slAudioCodec), "mp3");
  EXPECT_EQ(window.Text(slAudioBitrate), "128 Kbps");
  EXPECT_EQ(window.Text(slSamplingRate), "48000 Hz");
  EXPECT_EQ(window.Text(slAudioChannels), "Stereo");
  EXPECT_EQ(window.Text(slAspectRatio), "Original");
}

TEST(SettingChoices, KeptListsSurviveTheNextEntry) {
  TFakeWindow window;
  window.Choose("3GP - Mobile Video Format (*.3gp)");
  EXPECT_EQ(window.Text(slAudioChannels), "Mono");
  EXPECT_EQ(window.Text(slSamplingRate), "8000 bps");
  window.Lists[slAspectRatio].Select(2);

  window.Choose("iPod (*.mp4)");
  EXPECT_EQ(window.Text(slAudioChannels), "Mono");
  EXPECT_EQ(window.Text(slAspectRatio), "16:9 (Wide Screen)");
  EXPECT_EQ(window.Text(slAudioCodec), "ac3");
  EXPECT_EQ(window.Text(slVideoSize), "320 x 240");

  window.Choose("iPhone (*.mp4)");
  EXPECT_EQ(window.Text(slAudioChannels), "Stereo");
  EXPECT_EQ(window.Text(slAspectRatio), "Original");
  EXPECT_EQ(window.Lists[slAudioChannels].Rows, (std::vector<std::string>{"Stereo", "Mono"}));
}

TEST(SettingChoices, AudioEntryEmptiesTheVideoLists) {
  TFakeWindow window;
  window.Choose("AVI - Audio Video Interleave (*.avi)");
  window.Choose("MP3 - Mpeg Layer3 Audio (*.mp3)");
  for (TSettingList list : {slVideoCodec, slVideoSize, slVideoBitrate, slVideoFramerate}) {
    EXPECT_TRUE(window.Lists[list].Rows.empty()) << list;
    EXPECT_EQ(window.Text(list), "");
  }
  EXPECT_EQ(window.Text(slAudioCodec), "mp3");
  EXPECT_EQ(window.Text(slAudioBitrate), "192 Kbps");
  EXPECT_EQ(window.Text(slSamplingRate), "48000 Hz");
}

TEST(SettingChoices, AacOffersNumbersWhateverCameBefore) {
  // PSP leaves a six-row bit-rate list and a one-row sampling-rate list behind.
  TFakeWindow window;
  window.Choose("PSP Video (*.mp4)");
  window.Choose("AAC - Advance Audio Coding (*.aac)");
  EXPECT_EQ(window.Text(slAudioCodec), "aac");
  EXPECT_EQ(window.Text(slAudioBitrate), "128 Kbps");
  EXPECT_EQ(window.Lists[slAudioBitrate].Selected, 7);
  EXPECT_EQ(window.Text(slSamplingRate), "44100 Hz");
  EXPECT_EQ(window.Lists[slSamplingRate].Selected, 5);
}

TEST(SettingChoices, ChoosingAnEntryDiscardsEarlierPicks) {
  TFakeWindow window;
  window.Choose("MP4 - MPEG4 Video (*.mp4)");
  window.PickVideoCodec("xvid");
  window.Lists[slVideoBitrate].Select(0);
  window.Choose("MP4 - MPEG4 Video (*.mp4)");
  EXPECT_EQ(window.Text(slVideoCodec), "mpeg4");
  EXPECT_EQ(window.Text(slAudioCodec), "mpeg4aac");
  EXPECT_EQ(window.Text(slVideoBitrate), "6000 Kbps");
}

struct TCodecCase {
  const char* Entry;
  std::vector<std::string> Picks;  // video codecs picked in order
  const char* AudioCodec;          // audio codec shown afterwards
};

TEST(VideoCodecHandler, SelectsTheMatchingAudioCodec) {
  const TCodecCase cases[] = {
      {"MP4 - MPEG4 Video (*.mp4)", {"xvid"}, ""},  // one-row list: second row is no row
      {"MP4 - MPEG4 Video (*.mp4)", {"xvid", "mpeg4"}, "mpeg4aac"},
      {"MP4 - MPEG4 Video (*.mp4)", {"xvid", "h264"}, "mpeg4aac"},
      {"AVI - Audio Video Interleave (*.avi)", {"divx"}, "ac3"},
      {"AVI - Audio Video Interleave (*.avi)", {"divx", "H264"}, "mp3"},
      {"AVI - Audio Video Interleave (*.avi)", {"xvid"}, "ac3"},
      {"AVI - Audio Video Interleave (*.avi)", {"divx", "uncompress"}, "ac3"},
      {"3GP - Mobile Video Format (*.3gp)", {"h263"}, "libopencore_amrnb"},
      {"BlackBerry 3GP Video (*.3gp)", {"h263", "mpeg4"}, "amr_nb"},
  };
  for (const TCodecCase& c : cases) {
    SCOPED_TRACE(std::string(c.Entry) + " / " + c.Picks.back());
    TFakeWindow window;
    window.Choose(c.Entry);
    for (const std::string& pick : c.Picks) window.PickVideoCodec(pick);
    EXPECT_EQ(window.Text(slAudioCodec), c.AudioCodec);
  }
}

TEST(VideoCodecHandler, OtherCodecsLeaveTheAudioCodec) {
  for (std::string_view codec : {"uncompress", "h263", "flv", "", "mpeg4 "})
    EXPECT_EQ(AudioCodecRowForVideoCodec(codec, 2), std::nullopt) << codec;
  EXPECT_EQ(AudioCodecRowForVideoCodec("MPEG4", 2), 0);
  EXPECT_EQ(AudioCodecRowForVideoCodec("DivX", 2), 1);
  EXPECT_EQ(AudioCodecRowForVideoCodec("mpeg4", 0), -1);
}

struct TFramerateCase {
  const char* Entry;
  const char* Rate;
  const char* Size;  // frame size shown afterwards
};

TEST(FramerateHandler, DiscEntriesPickTheirNormSize) {
  const TFramerateCase cases[] = {
      {"DVD - DVD Mpeg2 Format (*.mpg)", "NTSC", "720 x 480"},
      {"DVD - DVD Mpeg2 Format (*.mpg)", "PAL", "720 x 576"},
      {"DVD - DVD Mpeg2 Format (*.mpg)", "Auto", "720 x 576"},
      {"VCD (*.mpg)", "Auto", "352 x 288 (CIF)"},
      {"VCD (*.mpg)", "PAL", "352 x 288 (CIF)"},
      {"VCD (*.mpg)", "NTSC", "352 x 240"},
      {"SVCD (*.mpg)", "Auto", "480 x 576"},
      {"SVCD (*.mpg)", "PAL", "480 x 576"},
      {"SVCD (*.mpg)", "NTSC", "480 x 480"},
  };
  for (const TFramerateCase& c : cases) {
    SCOPED_TRACE(std::string(c.Entry) + " / " + c.Rate);
    TFakeWindow window;
    window.Choose(c.Entry);
    window.PickFramerate(c.Rate);
    EXPECT_EQ(window.Text(slVideoSize), c.Size);
  }
}

TEST(FramerateHandler, DefaultsAndOtherEntries) {
  TFakeWindow window;
  window.Choose("DVD - DVD Mpeg2 Format (*.mpg)");
  EXPECT_EQ(window.Text(slVideoSize), "");  // left to the DVD target until a rate is chosen
  EXPECT_EQ(window.Lists[slVideoSize].Rows.size(), 12u);
  window.PickFramerate("NTSC");
  EXPECT_EQ(window.Lists[slVideoSize].Selected, 9);
  window.PickFramerate("PAL");
  EXPECT_EQ(window.Lists[slVideoSize].Selected, 8);

  window.Choose("SVCD (*.mpg)");
  EXPECT_EQ(window.Text(slVideoSize), "480 x 576");
  window.Choose("VCD (*.mpg)");
  EXPECT_EQ(window.Text(slVideoSize), "352 x 288 (CIF)");

  window.Choose("MPEG-2 Movie (*.mpg)");
  window.Lists[slVideoSize].Select(3);
  window.PickFramerate("29.97 fps");
  EXPECT_EQ(window.Text(slVideoSize), "176 x 120");
  EXPECT_EQ(VideoSizeRowForFramerate("", "PAL"), std::nullopt);
}

}  // namespace
