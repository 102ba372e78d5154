// The setting-list rows each output preset offers, and the fixed lists of the main window.
#include "ChoiceLists.h"

#include <algorithm>
#include <array>

namespace {

template <class... T>
constexpr auto Rows(T... ARows) {
  return std::array<std::string_view, sizeof...(T)>{ARows...};
}

template <std::size_t N, std::size_t M>
constexpr auto Joined(const std::array<std::string_view, N>& AFirst,
                      const std::array<std::string_view, M>& ASecond) {
  std::array<std::string_view, N + M> result{};
  std::copy(AFirst.begin(), AFirst.end(), result.begin());
  std::copy(ASecond.begin(), ASecond.end(), result.begin() + N);
  return result;
}

// A list whose first row is selected (the one-row lists of the presets).
constexpr TListPreset Only(TChoiceRows ARows) {
  return {ARows, ARows.front()};
}

constexpr TListPreset cKept{{}, {}, true};
constexpr TListPreset cEmptied{};  // no rows, nothing selected

// Fixed lists.
constexpr auto cChannels = Rows("Stereo", "Mono");
constexpr auto cAspects = Rows("Original", "4:3 (Standard", "16:9 (Wide Screen)");
constexpr auto cLetterBoxes = Rows("None", "LetterBox");
constexpr auto cInitialAudioBitrates =
    Rows("32 Kbps", "48 Kbps", "56 Kbps", "64 Kbps", "80 Kbps", "96 Kbps", "112 Kbps", "128 Kbps",
         "160 Kbps", "192 Kbps");
constexpr auto cInitialSamplingRates =
    Rows("11025 Hz", "12000 Hz", "16000 Hz", "22050 Hz", "32000 Hz", "44100 Hz", "48000 Hz");

constexpr TListPreset cStereo{cChannels, "Stereo"};
constexpr TListPreset cMono{cChannels, "Mono"};
constexpr TListPreset cOriginal{cAspects, "Original"};

// Named lists shared by several presets.
constexpr auto S1 =
    Rows("Original Video Size", "128 x 96 (SQCIF)", "160 x 120 (QVGA)", "176 x 120",
         "176 x 144 (QCIF)", "192 x 144", "208 x 176", "220 x 176", "240 x 180", "320 x 200",
         "320 x 240 (VGA)", "352 x 240", "352 x 288 (CIF)", "480 x 272", "480 x 360", "480 x 480",
         "480 x 576", "624 x 352", "640 x 352", "640 x 480", "704 x 576 (4CIF)", "720 x 480",
         "720 x 576", "1280 x 720", "1280 x 960", "1440 x 810", "1440 x 1080", "1920 x 1080");
constexpr auto S2 = Rows("128 x 96 (SQCIF)", "176 x 144 (QCIF)", "352 x 240", "352 x 288 (CIF)",
                         "480 x 272", "480 x 480", "480 x 576", "640 x 480", "704 x 576 (4CIF)");
constexpr auto S3 = Rows("128 x 96 (SQCIF)", "176 x 144 (QCIF)", "352 x 240", "352 x 288 (CIF)",
                         "480 x 272", "480 x 480", "640 x 480", "704 x 576 (4CIF)", "720 x 576",
                         "720 x 480", "724 x 480", "724 x 576");
constexpr auto S4 =
    Rows("128 x 96 (SQCIF)", "176 x 144 (QCIF)", "352 x 288 (CIF)", "704 x 576", "1408 x 1152");
constexpr auto S5 = Rows("480 x 320", "640 x 480", "640 x 360", "720 x 404");
constexpr auto S6 =
    Joined(S5, Rows("1280x720", "1280x752", "1280x960", "1440x810", "1440x1080", "1920x1080"));
constexpr auto V1 =
    Rows("192 Kbps", "200 Kbps", "216 Kbps", "384 Kbps", "512 Kbps", "640 Kbps", "768 Kbps",
         "1000 Kbps", "1200 Kbps", "1500 Kbps", "1600 Kbps", "2000 Kbps", "2500 Kbps", "3000 Kbps",
         "4000 Kbps", "5000 Kbps", "6000 Kbps");
constexpr auto V2 = Rows("64 Kbps", "80 Kbps", "200 Kbps", "384 Kbps", "512 Kbps", "640 Kbps",
                         "768 Kbps", "1000 Kbps", "1200 Kbps", "1500 Kbps", "2500 Kbps",
                         "3000 Kbps", "4000 Kbps", "5000 Kbps", "6000 Kbps");
constexpr auto V3 = Rows("512 Kbps", "800 Kbps", "1200 Kbps", "1500 Kbps", "2500 Kbps");
constexpr auto F1 =
    Rows("Auto", "14.985 fps", "15.0 fps", "23.975 fps", "25.0 fps", "29.97 fps", "30.0 fps");
constexpr auto F2 = Rows("Auto", "14.985 fps", "15.0 fps", "23.975 fps", "25.0 fps [PAL]",
                         "29.97 fps [NTSC]", "30.0 fps");
constexpr TChoiceRows F3 = TChoiceRows(F2).subspan(1);  // F2 without "Auto"
constexpr auto A1 =
    Rows("32 Kbps", "40 Kbps", "48 Kbps", "64 Kbps", "80 Kbps", "96 Kbps", "112 Kbps", "128 Kbps",
         "160 Kbps", "192 Kbps", "224 Kbps", "256 Kbps", "320 Kbps");
constexpr auto R1 = Rows("8000 Hz", "16000 Hz", "22050 Hz", "32000 Hz", "44100 Hz", "48000 Hz",
                         "54000 Hz", "96000 Hz");
constexpr auto R2 = Rows("8000  Hz", "16000 Hz", "22050 Hz", "32000 Hz", "44100 Hz", "48000 Hz",
                         "54000 Hz", "96000 Hz");

static_assert(S1.size() == 28 && S2.size() == 9 && S3.size() == 12 && S4.size() == 5 &&
              S5.size() == 4 && S6.size() == 10);
static_assert(V1.size() == 17 && V2.size() == 15 && V3.size() == 5);
static_assert(F1.size() == 7 && F2.size() == 7 && F3.size() == 6);
static_assert(A1.size() == 13 && R1.size() == 8 && R2.size() == 8);

// Lists of one or a few presets.
constexpr auto cAviVideoCodecs = Rows("mpeg4", "xvid", "divx", "H264", "uncompress");
constexpr auto cMp4VideoCodecs = Rows("mpeg4", "h264", "xvid");
constexpr auto c3gpVideoCodecs = Rows("mpeg4", "h263", "h264");
constexpr auto cMpeg4H263 = Rows("mpeg4", "h263");
constexpr auto cMpeg4H264 = Rows("mpeg4", "h264");
constexpr auto cMpeg4 = Rows("mpeg4");
constexpr auto cH264 = Rows("h264");
constexpr auto cFlv = Rows("flv");
constexpr auto cMpeg1Video = Rows("mpeg1video");
constexpr auto cMpeg2Video = Rows("mpeg2video");
constexpr auto cWmv2 = Rows("wmv2");

constexpr auto cAppleTvSize = Rows("640 x 480");
constexpr auto cIPodSizes = Rows("320 x 240", "640 x 480");
constexpr auto cBlackBerrySizes = Rows("176 x 144", "240 x 180", "320 x 240");
constexpr auto cPspSizes = Rows("160 x 112", "320 x 240", "368 x 208", "480 x 272");
constexpr auto cPs3Sizes = Rows("640 x 480", "720 x 480", "720 x 576");

constexpr auto cDvdVideoBitrate = Rows("6000 Kbps");
constexpr auto cSvcdVideoBitrate = Rows("2040 Kbps");
constexpr auto cVcdVideoBitrate = Rows("1150 Kbps");
constexpr auto c3gpVideoBitrates =
    Rows("48 Kbps", "64 Kbps", "96 Kbps", "128 Kbps", "256 Kbps", "512 Kbps");
constexpr auto cIPhoneVideoBitrates =
    Rows("512 Kbps", "800 Kbps", "1200 Kbps", "1500 Kbps", "1800 Kbps", "2500 Kbps");
constexpr auto cSamsungVideoBitrates =
    Joined(cIPhoneVideoBitrates, Rows("3000 Kbps", "4000 Kbps", "5000 Kbps", "6000 Kbps"));
constexpr auto cBlackBerryVideoBitrates =
    Rows("80 Kbps", "120 Kbps", "200 Kbps", "256 Kbps", "300 Kbps", "512 Kbps");
constexpr auto cBlackBerry3gpVideoBitrates =
    Rows("48 Kbps", "64 Kbps", "96 Kbps", "120 Kbps", "128 Kbps", "256 Kbps", "512 Kbps");
constexpr auto cPspVideoBitrate = Rows("768 Kbps");
constexpr auto cPs3VideoBitrates =
    Rows("1200 Kbps", "1500 Kbps", "2000 Kbps", "2500 Kbps", "3000 Kbps");

constexpr auto cDiscFramerates = Rows("Auto", "PAL", "NTSC");
constexpr auto c3gpFramerates = Rows("Auto", "11 fps", "15 fps");
constexpr auto cBlackBerryFramerates = Rows("11 fps", "15 fps", "20 fps", "24 fps", "25 fps");
constexpr auto cBlackBerry3gpFramerates =
    Rows("Auto", "11 fps", "15 fps", "20 fps", "24 fps", "25 fps");
constexpr auto cPspFramerates = Rows("14.985 fps", "29.97 fps");
constexpr auto cPs3Framerate = Rows("29.97 fps");

constexpr auto cMp3Ac3 = Rows("mp3", "ac3");
constexpr auto cAc3Mp2 = Rows("ac3", "mp2");
constexpr auto cMp2Ac3 = Rows("mp2", "ac3");
constexpr auto cMpeg4AacAc3 = Rows("mpeg4aac", "ac3");
constexpr auto cAmrNbMpeg4Aac = Rows("amr_nb", "mpeg4aac");
constexpr auto cMp3 = Rows("mp3");
constexpr auto cAc3 = Rows("ac3");
constexpr auto cMp2 = Rows("mp2");
constexpr auto cMpeg4Aac = Rows("mpeg4aac");
constexpr auto cAac = Rows("aac");
constexpr auto cVorbis = Rows("vorbis");
constexpr auto cPcmS16Le = Rows("pcm_s16le");
constexpr auto cWmav2 = Rows("wmav2");
constexpr auto cAmrNb = Rows("libopencore_amrnb");

constexpr auto cDvdAudioBitrates = Joined(A1, Rows("448 Kbps"));
constexpr auto c3gpAudioBitrates =
    Rows("4750 bps", "5900 bps", "7400 bps", "10200 bps", "12200 bps");
constexpr auto cBlackBerryAudioBitrates =
    Rows("40 Kbps", "48 Kbps", "64 Kbps", "80 Kbps", "96 Kbps", "112 Kbps");
constexpr auto cBlackBerry3gpAudioBitrates = Rows("4750 bps", "5150 bps", "5900 bps", "6700 bps",
                                                  "7400 bps", "7950 bps", "10200 bps", "12200 bps");
constexpr auto cPspAudioBitrates =
    Rows("32 Kbps", "48 Kbps", "64 Kbps", "96 Kbps", "128 Kbps", "160 Kbps");

constexpr auto cDvdSamplingRates = Rows("44100 Hz", "48000 Hz", "54000 Hz", "96000 Hz");
constexpr auto cFlashSamplingRates = Rows("11025 Hz", "22050 Hz", "44100 Hz");
constexpr auto cDiscSamplingRate = Rows("44100 Hz");
constexpr auto c3gpSamplingRate = Rows("8000 bps");
constexpr auto cBlackBerry3gpSamplingRates = Rows("8000  Hz", "16000 Hz");
constexpr auto cPspSamplingRate = Rows("24000 Hz");

// The lists of the six audio-only presets: no video rows, stereo, original aspect.
constexpr TPresetLists AudioOnly(std::int32_t ANumber, TListPreset AAudioCodec,
                                 TListPreset AAudioBitrate, TListPreset ASamplingRate) {
  return {ANumber,     cEmptied,      cEmptied,      cEmptied, cEmptied,
          AAudioCodec, AAudioBitrate, ASamplingRate, cStereo,  cOriginal};
}

// In catalogue order.
constexpr TPresetLists cPresets[] = {
    {.Number = 22,  // AVI
     .VideoCodec = {cAviVideoCodecs, "mpeg4"},
     .VideoSize = {S1, "Original Video Size"},
     .VideoBitrate = {V2, "6000 Kbps"},
     .VideoFramerate = {F1, "Auto"},
     .AudioCodec = {cMp3Ac3, "mp3"},
     .AudioBitrate = {A1, "128 Kbps"},
     .SamplingRate = {R1, "48000 Hz"},
     .AudioChannels = cStereo,
     .AspectRatio = cOriginal},
    {.Number = 36,  // DVD: no frame size until a frame rate is chosen
     .VideoCodec = Only(cMpeg2Video),
     .VideoSize = {S3, ""},
     .VideoBitrate = Only(cDvdVideoBitrate),
     .VideoFramerate = {cDiscFramerates, "Auto"},
     .AudioCodec = {cAc3Mp2, "ac3"},
     .AudioBitrate = {cDvdAudioBitrates, "448 Kbps"},
     .SamplingRate = {cDvdSamplingRates, "48000 Hz"},
     .AudioChannels = cKept,
     .AspectRatio = cKept,
     .PalSize = "720 x 576",
     .OtherSize = "720 x 480"},
    {.Number = 33,  // FLV
     .VideoCodec = Only(cFlv),
     .VideoSize = {S1, "Original Video Size"},
     .VideoBitrate = {V1, "2500 Kbps"},
     .VideoFramerate = {F1, "15.0 fps"},
     .AudioCodec = Only(cMp3),
     .AudioBitrate = {A1, "128 Kbps"},
     .SamplingRate = {cFlashSamplingRates, "44100 Hz"},
     .AudioChannels = cStereo,
     .AspectRatio = cOriginal},
    {.Number = 76,  // MKV
     .VideoCodec = Only(cH264),
     .VideoSize = {S1, "Original Video Size"},
     .VideoBitrate = {V1, "6000 Kbps"},
     .VideoFramerate = {F1, "Auto"},
     .AudioCodec = Only(cAc3),
     .AudioBitrate = {A1, "128 Kbps"},
     .SamplingRate = {R1, "44100 Hz"},
     .AudioChannels = cStereo,
     .AspectRatio = cOriginal},
    {.Number = 26,  // MOV
     .VideoCodec = Only(cMpeg4),
     .VideoSize = {S1, "Original Video Size"},
     .VideoBitrate = {V1, "6000 Kbps"},
     .VideoFramerate = {F1, "Auto"},
     .AudioCodec = Only(cMpeg4Aac),
     .AudioBitrate = {A1, "128 Kbps"},
     .SamplingRate = {R1, "44100 Hz"},
     .AudioChannels = cStereo,
     .AspectRatio = cOriginal},
    {.Number = 27,  // MP4
     .VideoCodec = {cMp4VideoCodecs, "mpeg4"},
     .VideoSize = {S1, "Original Video Size"},
     .VideoBitrate = {V1, "6000 Kbps"},
     .VideoFramerate = {F1, "Auto"},
     .AudioCodec = Only(cMpeg4Aac),
     .AudioBitrate = {A1, "128 Kbps"},
     .SamplingRate = {R1, "44100 Hz"},
     .AudioChannels = cStereo,
     .AspectRatio = cOriginal},
    {.Number = 28,  // MPEG-1
     .VideoCodec = Only(cMpeg1Video),
     .VideoSize = {S1, "Original Video Size"},
     .VideoBitrate = {V1, "6000 Kbps"},
     .VideoFramerate = {F1, "25.0 fps"},
     .AudioCodec = Only(cMp2),
     .AudioBitrate = {A1, "192 Kbps"},
     .SamplingRate = {R1, "44100 Hz"},
     .AudioChannels = cStereo,
     .AspectRatio = cOriginal},
    {.Number = 29,  // MPEG-2
     .VideoCodec = Only(cMpeg2Video),
     .VideoSize = {S1, "Original Video Size"},
     .VideoBitrate = {V1, "6000 Kbps"},
     .VideoFramerate = {F1, "25.0 fps"},
     .AudioCodec = {cMp2Ac3, "mp2"},
     .AudioBitrate = {A1, "192 Kbps"},
     .SamplingRate = {R1, "44100 Hz"},
     .AudioChannels = cStereo,
     .AspectRatio = cOriginal},
    {.Number = 32,  // SWF
     .VideoCodec = Only(cFlv),
     .VideoSize = {S1, "Original Video Size"},
     .VideoBitrate = {V1, "2500 Kbps"},
     .VideoFramerate = {F1, "15.0 fps"},
     .AudioCodec = Only(cMp3),
     .AudioBitrate = {A1, "128 Kbps"},
     .SamplingRate = {cFlashSamplingRates, "44100 Hz"},
     .AudioChannels = cStereo,
     .AspectRatio = cOriginal},
    {.Number = 35,  // SVCD
     .VideoCodec = Only(cMpeg2Video),
     .VideoSize = {S2, "480 x 576"},
     .VideoBitrate = Only(cSvcdVideoBitrate),
     .VideoFramerate = {cDiscFramerates, "Auto"},
     .AudioCodec = Only(cMp2),
     .AudioBitrate = {A1, "224 Kbps"},
     .SamplingRate = Only(cDiscSamplingRate),
     .AudioChannels = cKept,
     .AspectRatio = cKept,
     .PalSize = "480 x 576",
     .OtherSize = "480 x 480"},
    {.Number = 34,  // VCD
     .VideoCodec = Only(cMpeg1Video),
     .VideoSize = {S2, "352 x 288 (CIF)"},
     .VideoBitrate = Only(cVcdVideoBitrate),
     .VideoFramerate = {cDiscFramerates, "Auto"},
     .AudioCodec = Only(cMp2),
     .AudioBitrate = {A1, "224 Kbps"},
     .SamplingRate = Only(cDiscSamplingRate),
     .AudioChannels = cKept,
     .AspectRatio = cKept,
     .PalSize = "352 x 288 (CIF)",
     .OtherSize = "352 x 240"},
    {.Number = 31,  // WMV
     .VideoCodec = Only(cWmv2),
     .VideoSize = {S1, "Original Video Size"},
     .VideoBitrate = {V1, "6000 Kbps"},
     .VideoFramerate = {F1, "Auto"},
     .AudioCodec = Only(cWmav2),
     .AudioBitrate = {A1, "128 Kbps"},
     .SamplingRate = {R1, "48000 Hz"},
     .AudioChannels = cStereo,
     .AspectRatio = cOriginal},
    // AAC offers the window's initial audio lists, so its rows always carry a number.
    AudioOnly(37, Only(cAac), {cInitialAudioBitrates, "128 Kbps"},
              {cInitialSamplingRates, "44100 Hz"}),
    AudioOnly(40, Only(cMpeg4Aac), {A1, "128 Kbps"}, {R1, "48000 Hz"}),  // M4A
    AudioOnly(41, Only(cMp3), {A1, "192 Kbps"}, {R1, "48000 Hz"}),       // MP3
    AudioOnly(42, Only(cVorbis), {A1, "160 Kbps"}, {R1, "48000 Hz"}),    // OGG
    AudioOnly(44, Only(cPcmS16Le), {A1, "128 Kbps"}, {R2, "44100 Hz"}),  // WAV
    AudioOnly(45, Only(cWmav2), {A1, "128 Kbps"}, {R2, "48000 Hz"}),     // WMA
    {.Number = 0,                                                        // 3GP
     .VideoCodec = {c3gpVideoCodecs, "mpeg4"},
     .VideoSize = {S4, "176 x 144 (QCIF)"},
     .VideoBitrate = {c3gpVideoBitrates, "512 Kbps"},
     .VideoFramerate = {c3gpFramerates, "Auto"},
     .AudioCodec = Only(cAmrNb),
     .AudioBitrate = {c3gpAudioBitrates, "7400 bps"},
     .SamplingRate = Only(c3gpSamplingRate),
     .AudioChannels = cMono,
     .AspectRatio = cKept},
    {.Number = 1,  // 3G2
     .VideoCodec = {cMpeg4H263, "mpeg4"},
     .VideoSize = {S4, "176 x 144 (QCIF)"},
     .VideoBitrate = {c3gpVideoBitrates, "512 Kbps"},
     .VideoFramerate = {c3gpFramerates, "Auto"},
     .AudioCodec = Only(cAmrNb),
     .AudioBitrate = {c3gpAudioBitrates, "7400 bps"},
     .SamplingRate = Only(c3gpSamplingRate),
     .AudioChannels = cMono,
     .AspectRatio = cKept},
    {.Number = 10,  // Apple TV
     .VideoCodec = Only(cMpeg4),
     .VideoSize = Only(cAppleTvSize),
     .VideoBitrate = {V3, "2500 Kbps"},
     .VideoFramerate = {F2, "29.97 fps [NTSC]"},
     .AudioCodec = Only(cMpeg4Aac),
     .AudioBitrate = {A1, "128 Kbps"},
     .SamplingRate = {R1, "44100 Hz"},
     .AudioChannels = cStereo,
     .AspectRatio = cOriginal},
    {.Number = 21,  // iPad
     .VideoCodec = {cMpeg4H264, "mpeg4"},
     .VideoSize = {S5, "640 x 480"},
     .VideoBitrate = {V3, "2500 Kbps"},
     .VideoFramerate = {F3, "29.97 fps [NTSC]"},
     .AudioCodec = Only(cMpeg4Aac),
     .AudioBitrate = {A1, "128 Kbps"},
     .SamplingRate = {R1, "44100 Hz"},
     .AudioChannels = cStereo,
     .AspectRatio = cOriginal},
    {.Number = 18,  // iPhone
     .VideoCodec = {cMpeg4H264, "mpeg4"},
     .VideoSize = {S5, "640 x 480"},
     .VideoBitrate = {cIPhoneVideoBitrates, "2500 Kbps"},
     .VideoFramerate = {F2, "29.97 fps [NTSC]"},
     .AudioCodec = Only(cMpeg4Aac),
     .AudioBitrate = {A1, "128 Kbps"},
     .SamplingRate = {R1, "44100 Hz"},
     .AudioChannels = cStereo,
     .AspectRatio = cOriginal},
    {.Number = 3,  // iPod
     .VideoCodec = {cMpeg4H264, "mpeg4"},
     .VideoSize = {cIPodSizes, "320 x 240"},
     .VideoBitrate = {V3, "2500 Kbps"},
     .VideoFramerate = {F2, "29.97 fps [NTSC]"},
     .AudioCodec = {cMpeg4AacAc3, "ac3"},
     .AudioBitrate = {A1, "128 Kbps"},
     .SamplingRate = {R1, "44100 Hz"},
     .AudioChannels = cKept,
     .AspectRatio = cKept},
    {.Number = 48,  // Android
     .VideoCodec = {cMpeg4H264, "mpeg4"},
     .VideoSize = {S5, "640 x 480"},
     .VideoBitrate = {V3, "2500 Kbps"},
     .VideoFramerate = {F3, "29.97 fps [NTSC]"},
     .AudioCodec = Only(cMpeg4Aac),
     .AudioBitrate = {A1, "128 Kbps"},
     .SamplingRate = {R1, "44100 Hz"},
     .AudioChannels = cStereo,
     .AspectRatio = cOriginal},
    {.Number = 77,  // Samsung Galaxy
     .VideoCodec = {cMpeg4H264, "mpeg4"},
     .VideoSize = {S6, "640 x 480"},
     .VideoBitrate = {cSamsungVideoBitrates, "2500 Kbps"},
     .VideoFramerate = {F3, "30.0 fps"},
     .AudioCodec = Only(cMpeg4Aac),
     .AudioBitrate = {A1, "128 Kbps"},
     .SamplingRate = {R1, "44100 Hz"},
     .AudioChannels = cStereo,
     .AspectRatio = cOriginal},
    {.Number = 67,  // BlackBerry MPEG-4
     .VideoCodec = Only(cMpeg4),
     .VideoSize = {cBlackBerrySizes, "320 x 240"},
     .VideoBitrate = {cBlackBerryVideoBitrates, "512 Kbps"},
     .VideoFramerate = {cBlackBerryFramerates, "24 fps"},
     .AudioCodec = Only(cMpeg4Aac),
     .AudioBitrate = {cBlackBerryAudioBitrates, "80 Kbps"},
     .SamplingRate = {R1, "44100 Hz"},
     .AudioChannels = cKept,
     .AspectRatio = cKept},
    {.Number = 69,  // BlackBerry 3GP
     .VideoCodec = {cMpeg4H263, "mpeg4"},
     .VideoSize = {cBlackBerrySizes, "176 x 144"},
     .VideoBitrate = {cBlackBerry3gpVideoBitrates, "256 Kbps"},
     .VideoFramerate = {cBlackBerry3gpFramerates, "15 fps"},
     .AudioCodec = {cAmrNbMpeg4Aac, "amr_nb"},
     .AudioBitrate = {cBlackBerry3gpAudioBitrates, "4750 bps"},
     .SamplingRate = {cBlackBerry3gpSamplingRates, "8000  Hz"},
     .AudioChannels = cKept,
     .AspectRatio = cKept},
    {.Number = 53,  // PSP
     .VideoCodec = {cMp4VideoCodecs, "mpeg4"},
     .VideoSize = {cPspSizes, "368 x 208"},
     .VideoBitrate = Only(cPspVideoBitrate),
     .VideoFramerate = {cPspFramerates, "29.97 fps"},
     .AudioCodec = Only(cMpeg4Aac),
     .AudioBitrate = {cPspAudioBitrates, "64 Kbps"},
     .SamplingRate = Only(cPspSamplingRate),
     .AudioChannels = cStereo,
     .AspectRatio = cOriginal},
    {.Number = 58,  // PS3
     .VideoCodec = Only(cH264),
     .VideoSize = {cPs3Sizes, "720 x 480"},
     .VideoBitrate = {cPs3VideoBitrates, "3000 Kbps"},
     .VideoFramerate = Only(cPs3Framerate),
     .AudioCodec = Only(cMpeg4Aac),
     .AudioBitrate = {A1, "96 Kbps"},
     .SamplingRate = {R2, "44100 Hz"},
     .AudioChannels = cStereo,
     .AspectRatio = cOriginal},
};

}  // namespace

const TChoiceRows AudioChannelRows = cChannels;
const TChoiceRows AspectRatioRows = cAspects;
const TChoiceRows LetterBoxRows = cLetterBoxes;
const TChoiceRows InitialAudioBitrateRows = cInitialAudioBitrates;
const TChoiceRows InitialSamplingRateRows = cInitialSamplingRates;

const TPresetLists* PresetListsOf(std::int32_t ANumber) {
  auto it = std::find_if(std::begin(cPresets), std::end(cPresets),
                         [&](const TPresetLists& AEntry) { return AEntry.Number == ANumber; });
  return it == std::end(cPresets) ? nullptr : &*it;
}
