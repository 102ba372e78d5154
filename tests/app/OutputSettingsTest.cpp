// The Output Format list, the setting lists each preset fills, their two handlers and the
// volume track bar, on the real window.
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>

#include "AVCodecs.h"
#include "Fixtures.h"
#include "SettingChoices.h"
#include "Unit4.h"
#include "WindowFixture.h"

namespace {

using TTexts = std::vector<std::string>;

class TOutputSettingsTest : public TWindowFixture {
 protected:
  // The nine setting lists, indexed by TSettingList.
  std::array<QComboBox*, cSettingListCount> Lists() {
    std::array<QComboBox*, cSettingListCount> lists{};
    lists[slVideoCodec] = Form().ComboVideoCodec;
    lists[slVideoSize] = Form().ComboVideoSize;
    lists[slVideoBitrate] = Form().ComboVideoBitrate;
    lists[slVideoFramerate] = Form().ComboVideoFramerate;
    lists[slAudioCodec] = Form().ComboAudioCodec;
    lists[slAudioBitrate] = Form().ComboAudioBitrate;
    lists[slSamplingRate] = Form().ComboSamplingRate;
    lists[slAudioChannels] = Form().ComboAudioChannels;
    lists[slAspectRatio] = Form().ComboAspectRatio;
    return lists;
  }
  std::array<TComboState, cSettingListCount> States() {
    std::array<TComboState, cSettingListCount> states;
    const auto lists = Lists();
    for (std::size_t list = 0; list < cSettingListCount; ++list)
      states[list] = StateOf(*lists[list]);
    return states;
  }
  std::string Selected(QComboBox* ACombo) { return ACombo->currentText().toStdString(); }
  void ChooseFormat(const std::string& AText) { Choose(*Form().ComboOutputFormat, AText); }
  // Two list rows, one of them already converted.
  void AddTwoRows() {
    FDialogs.FilesToOpen = {FixturePath(fxTextAsRm), FixturePath(fxEmpty)};
    Form().ButtonAddFileClick();
    ASSERT_EQ(Form().RowCount(), 2);
    Form().SetCellText(1, lcStatus, "Done");
  }
  TTexts OutputCells() {
    TTexts cells;
    for (int row = 0; row < Form().RowCount(); ++row)
      cells.push_back(Form().CellText(row, lcOutput));
    return cells;
  }
};

TEST_F(TOutputSettingsTest, TheListHoldsTheCatalogueAndTheFirstShowingAppliesAVI) {
  QComboBox& formats = *Form().ComboOutputFormat;
  ASSERT_EQ(formats.count(), 32);
  for (int row = 0; row < 32; ++row)
    EXPECT_EQ(formats.itemText(row).toStdString(), AVCodecs[row].ComboText) << row;
  const std::string separator = std::string(14, ' ') + std::string(41, '-');
  EXPECT_EQ(formats.itemText(12).toStdString(), separator);
  EXPECT_EQ(formats.itemText(19).toStdString(), separator);
  EXPECT_EQ(formats.itemText(13), "AAC - Advance Audio Coding (*.aac)");
  EXPECT_EQ(formats.itemText(31), "PS3 Video (*.mp4)");
  EXPECT_FALSE(formats.isEditable());

  // Until the window shows, the lists are the start-up ones and no format is accepted.
  EXPECT_EQ(formats.currentIndex(), 0);
  EXPECT_EQ(formats.maxVisibleItems(), 26);
  EXPECT_EQ(Form().ComboVideoCodec->count(), 0);
  EXPECT_EQ(Form().ComboAudioBitrate->count(), 10);
  EXPECT_EQ(Form().CurrentOutputFormat, "");

  Form().show();
  EXPECT_EQ(Form().CurrentOutputFormat, "AVI");
  EXPECT_EQ(StateOf(*Form().ComboVideoCodec),
            (TComboState{{"mpeg4", "xvid", "divx", "H264", "uncompress"}, 0}));
  EXPECT_EQ(Form().ComboVideoSize->count(), 28);
  EXPECT_EQ(Selected(Form().ComboVideoSize), "Original Video Size");
  EXPECT_EQ(Selected(Form().ComboVideoBitrate), "6000 Kbps");
  EXPECT_EQ(Selected(Form().ComboVideoFramerate), "Auto");
  EXPECT_EQ(StateOf(*Form().ComboAudioCodec), (TComboState{{"mp3", "ac3"}, 0}));
  EXPECT_EQ(Selected(Form().ComboAudioBitrate), "128 Kbps");
  EXPECT_EQ(Selected(Form().ComboSamplingRate), "48000 Hz");
  EXPECT_EQ(StateOf(*Form().ComboAudioChannels), (TComboState{{"Stereo", "Mono"}, 0}));
  EXPECT_EQ(Selected(Form().ComboAspectRatio), "Original");
  EXPECT_EQ(formats.maxVisibleItems(), 28);

  // Showing the window again does not apply the format again.
  Choose(*Form().ComboVideoBitrate, "2500 Kbps");
  Form().hide();
  Form().show();
  EXPECT_EQ(Selected(Form().ComboVideoBitrate), "2500 Kbps");
}

TEST_F(TOutputSettingsTest, EveryPresetFillsItsListsAndEveryOutputCell) {
  Form().show();
  AddTwoRows();
  for (int index = 0; index < static_cast<int>(AVCodecs.size()); ++index) {
    const TheAVCodec& entry = AVCodecs[index];
    if (entry.Number == cSeparatorNumber) continue;
    SCOPED_TRACE(std::string(entry.ComboText));
    const auto before = States();
    Choose(*Form().ComboOutputFormat, index);
    const auto after = States();
    const TSettingChoices choices = SettingChoicesOf(entry);
    for (std::size_t list = 0; list < cSettingListCount; ++list) {
      if (choices[list].Keep) {
        EXPECT_EQ(after[list], before[list]) << "kept list " << list;
      } else {
        EXPECT_EQ(after[list],
                  (TComboState{TTexts(choices[list].Rows.begin(), choices[list].Rows.end()),
                               choices[list].Selected}))
            << "list " << list;
      }
    }
    EXPECT_EQ(Form().CurrentOutputFormat, entry.OutFormat);
    EXPECT_EQ(Form().LastFormatIndex, index);
    EXPECT_EQ(OutputCells(), TTexts(2, std::string(entry.OutFormat)));
    EXPECT_EQ(Form().ComboOutputFormat->maxVisibleItems(), 28);
  }
}

TEST_F(TOutputSettingsTest, OutputCellsFollowThePresetWhateverTheRowState) {
  AddTwoRows();
  EXPECT_EQ(OutputCells(), (TTexts{"", ""}));  // rows of unreadable files have no file type
  Form().show();
  EXPECT_EQ(OutputCells(), (TTexts{"AVI", "AVI"}));
  ChooseFormat("BlackBerry 3GP Video (*.3gp)");
  EXPECT_EQ(OutputCells(), (TTexts{"3GP", "3GP"}));
  ChooseFormat("SVCD (*.mpg)");
  EXPECT_EQ(Form().CurrentOutputFormat, "MPG");
  EXPECT_EQ(OutputCells(), (TTexts{"MPG", "MPG"}));
  EXPECT_EQ(Form().CellText(1, lcStatus), "Done");
}

TEST_F(TOutputSettingsTest, ASeparatorIsRefusedKeepingTheEntryListsAndCells) {
  Form().show();
  AddTwoRows();
  ChooseFormat("MKV - Matroska Video (*.mkv)");
  Choose(*Form().ComboVideoBitrate, "2500 Kbps");  // the user's own choice survives too
  Form().SetCellText(0, lcOutput, "OLD");
  Form().Form4->SpinEdit1->setValue(40);
  const auto lists = States();
  for (int separator : {12, 19}) {
    SCOPED_TRACE(separator);
    Choose(*Form().ComboOutputFormat, separator);
    EXPECT_EQ(Form().ComboOutputFormat->currentIndex(), 3);
    EXPECT_EQ(Form().ComboOutputFormat->currentText(), "MKV - Matroska Video (*.mkv)");
    EXPECT_EQ(States(), lists);
    EXPECT_EQ(OutputCells(), (TTexts{"OLD", "MKV"}));
    EXPECT_EQ(Form().CurrentOutputFormat, "MKV");
    EXPECT_EQ(Form().LastFormatIndex, 3);
    EXPECT_EQ(Form().ComboOutputFormat->maxVisibleItems(), 40);
  }
  // The next accepted choice goes on from there.
  ChooseFormat("WAV - Waveform Audio (*.wav)");
  EXPECT_EQ(Form().LastFormatIndex, 17);
  EXPECT_EQ(OutputCells(), (TTexts{"WAV", "WAV"}));
}

TEST_F(TOutputSettingsTest, KeptChannelListsStayAsThePreviousPresetLeftThem) {
  Form().show();
  ChooseFormat("3GP - Mobile Video Format (*.3gp)");
  EXPECT_EQ(Selected(Form().ComboAudioChannels), "Mono");
  ChooseFormat("iPod (*.mp4)");
  EXPECT_EQ(Selected(Form().ComboAudioChannels), "Mono");
  EXPECT_EQ(Selected(Form().ComboAudioCodec), "ac3");
  ChooseFormat("iPhone (*.mp4)");
  EXPECT_EQ(Selected(Form().ComboAudioChannels), "Stereo");

  // A user's channel choice survives an entry that keeps the list.
  Choose(*Form().ComboAudioChannels, "Mono");
  ChooseFormat("DVD - DVD Mpeg2 Format (*.mpg)");
  EXPECT_EQ(Selected(Form().ComboAudioChannels), "Mono");
}

TEST_F(TOutputSettingsTest, AVideoCodecChoiceSelectsTheAudioCodec) {
  struct TCase {
    const char* Format;
    const char* AudioFirst;  // the user's audio codec before the video codec, or nullptr
    const char* VideoCodec;
    const char* AudioCodec;  // selected afterwards; "" for no selection
  };
  const TCase cases[] = {
      {"MP4 - MPEG4 Video (*.mp4)", nullptr, "xvid", ""},  // one audio codec: no second row
      {"MP4 - MPEG4 Video (*.mp4)", nullptr, "h264", "mpeg4aac"},
      {"AVI - Audio Video Interleave (*.avi)", nullptr, "divx", "ac3"},
      {"AVI - Audio Video Interleave (*.avi)", "ac3", "H264", "mp3"},
      {"AVI - Audio Video Interleave (*.avi)", "ac3", "uncompress", "ac3"},  // no rule
      {"3GP - Mobile Video Format (*.3gp)", nullptr, "h263", "libopencore_amrnb"},
  };
  Form().show();
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Format) + " / " + c.VideoCodec);
    ChooseFormat(c.Format);
    if (c.AudioFirst) Choose(*Form().ComboAudioCodec, c.AudioFirst);
    Choose(*Form().ComboVideoCodec, c.VideoCodec);
    EXPECT_EQ(Selected(Form().ComboAudioCodec), c.AudioCodec);
  }
  // After xvid left MP4 without an audio codec, mpeg4 selects its one audio codec again.
  ChooseFormat("MP4 - MPEG4 Video (*.mp4)");
  Choose(*Form().ComboVideoCodec, "xvid");
  EXPECT_EQ(Form().ComboAudioCodec->currentIndex(), -1);
  Choose(*Form().ComboVideoCodec, "mpeg4");
  EXPECT_EQ(Selected(Form().ComboAudioCodec), "mpeg4aac");
}

TEST_F(TOutputSettingsTest, AFrameRateChoiceSelectsTheDiscFrameSize) {
  struct TCase {
    const char* Format;
    const char* FrameRate;
    const char* FrameSize;
  };
  const TCase cases[] = {
      {"DVD - DVD Mpeg2 Format (*.mpg)", "NTSC", "720 x 480"},
      {"DVD - DVD Mpeg2 Format (*.mpg)", "PAL", "720 x 576"},
      {"DVD - DVD Mpeg2 Format (*.mpg)", "Auto", "720 x 576"},
      {"VCD (*.mpg)", "NTSC", "352 x 240"},
      {"VCD (*.mpg)", "PAL", "352 x 288 (CIF)"},
      {"SVCD (*.mpg)", "NTSC", "480 x 480"},
      {"SVCD (*.mpg)", "Auto", "480 x 576"},
      {"AVI - Audio Video Interleave (*.avi)", "29.97 fps", "Original Video Size"},  // no rule
  };
  Form().show();
  ChooseFormat("DVD - DVD Mpeg2 Format (*.mpg)");
  EXPECT_EQ(Form().ComboVideoSize->currentIndex(), -1);  // no size until a rate is chosen
  EXPECT_EQ(Form().ComboVideoSize->count(), 12);
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Format) + " / " + c.FrameRate);
    ChooseFormat(c.Format);
    if (std::string(c.FrameRate) == "Auto") Choose(*Form().ComboVideoFramerate, "NTSC");
    Choose(*Form().ComboVideoFramerate, c.FrameRate);
    EXPECT_EQ(Selected(Form().ComboVideoSize), c.FrameSize);
  }
}

TEST_F(TOutputSettingsTest, AnAudioPresetEmptiesTheFourVideoLists) {
  Form().show();
  ChooseFormat("MP3 - Mpeg Layer3 Audio (*.mp3)");
  for (QComboBox* video : {Form().ComboVideoCodec, Form().ComboVideoSize, Form().ComboVideoBitrate,
                           Form().ComboVideoFramerate}) {
    EXPECT_EQ(video->count(), 0) << video->objectName().toStdString();
    EXPECT_EQ(video->currentText(), "");
  }
  EXPECT_EQ(Selected(Form().ComboAudioCodec), "mp3");
  EXPECT_EQ(Selected(Form().ComboAudioBitrate), "192 Kbps");
  EXPECT_EQ(Selected(Form().ComboSamplingRate), "48000 Hz");
  // With no video codec the handler has nothing to go by.
  emit Form().ComboVideoCodec->activated(-1);
  EXPECT_EQ(Selected(Form().ComboAudioCodec), "mp3");
}

TEST_F(TOutputSettingsTest, TheTrackBarShowsItsPercentageAndSetsTheVolume) {
  EXPECT_EQ(Form().TrackBar1->value(), 5);
  EXPECT_EQ(Form().LabelVolume->text(), "100%");
  EXPECT_EQ(Form().VolumeLevel, 255);
  struct TCase {
    int Position;
    const char* Label;
    int VolumeLevel;
  };
  const TCase cases[] = {{0, "0%", 1}, {10, "200%", 600}, {5, "100%", 255}, {6, "120%", 300}};
  for (const TCase& c : cases) {
    Form().TrackBar1->setValue(c.Position);
    EXPECT_EQ(Form().LabelVolume->text(), c.Label);
    EXPECT_EQ(Form().VolumeLevel, c.VolumeLevel);
  }
  Form().TrackBar1->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(Form().LabelVolume->text(), "200%");
}

TEST_F(TOutputSettingsTest, TheOpenListShowsTwentyEightRowsWhateverTheDialogSet) {
  Form().show();
  QComboBox& formats = *Form().ComboOutputFormat;
  Form().Form4->SpinEdit1->setValue(40);
  EXPECT_EQ(formats.maxVisibleItems(), 40);
  // Small rows, so that 28 of them fit on the offscreen screen.
  QFont small = formats.font();
  small.setPixelSize(8);
  formats.setFont(small);
  formats.showPopup();
  EXPECT_EQ(formats.maxVisibleItems(), 28);
  // The open list shows 28 of its 32 rows.
  const QAbstractItemView& rows = *formats.view();
  EXPECT_TRUE(rows.isVisible());
  EXPECT_NEAR(rows.viewport()->height() / double(rows.sizeHintForRow(0)), 28.0, 0.5);
  formats.hidePopup();
}

}  // namespace
