// The output format catalogue: the presets of the Output Format list and their lookup.
#include "AVCodecs.h"

#include <algorithm>
#include <cctype>

namespace {
constexpr TheAVCodec cSeparator{cSeparatorText, "", cSeparatorNumber};
}  // namespace

const std::array<TheAVCodec, 32> AVCodecs{{
    {"AVI - Audio Video Interleave (*.avi)", "AVI", 22},
    {"DVD - DVD Mpeg2 Format (*.mpg)", "MPG", 36},
    {"FLV - Flash Video (*.flv)", "FLV", 33},
    {"MKV - Matroska Video (*.mkv)", "MKV", 76},
    {"MOV - QuickTime Video (*.mov)", "MOV", 26},
    {"MP4 - MPEG4 Video (*.mp4)", "MP4", 27},
    {"MPEG-1 Movie (*.mpg)", "MPG", 28},
    {"MPEG-2 Movie (*.mpg)", "MPG", 29},
    {"SWF - Flash Swf (*.swf)", "SWF", 32},
    {"SVCD (*.mpg)", "MPG", 35},
    {"VCD (*.mpg)", "MPG", 34},
    {"WMV - Windows Media Video (*.wmv)", "WMV", 31},
    cSeparator,
    {"AAC - Advance Audio Coding (*.aac)", "AAC", 37},
    {"M4A - Mpeg4 Audio File (*.m4a)", "M4A", 40},
    {"MP3 - Mpeg Layer3 Audio (*.mp3)", "MP3", 41},
    {"OGG - Ogg Vorbis Audio (*.ogg)", "OGG", 42},
    {"WAV - Waveform Audio (*.wav)", "WAV", 44},
    {"WMA - Windows Media Audio (*.wma)", "WMA", 45},
    cSeparator,
    {"3GP - Mobile Video Format (*.3gp)", "3GP", 0},
    {"3G2 - Mobile Video Format (*.3g2)", "3G2", 1},
    {"Apple TV (*.mp4)", "MP4", 10},
    {"iPad (*.mp4)", "MP4", 21},
    {"iPhone (*.mp4)", "MP4", 18},
    {"iPod (*.mp4)", "MP4", 3},
    {"MP4 for Android (*.mp4)", "MP4", 48},
    {"Samsung Galaxy Series (*.mp4)", "MP4", 77},
    {"BlackBerry MPEG-4 Video (*.mp4)", "MP4", 67},
    {"BlackBerry 3GP Video (*.3gp)", "3GP", 69},
    {"PSP Video (*.mp4)", "MP4", 53},
    {"PS3 Video (*.mp4)", "MP4", 58},
}};

bool IsSeparatorText(std::string_view AText) {
  return AText.find("              ----") != std::string_view::npos;
}

const TheAVCodec* FindAVCodec(std::string_view AComboText) {
  auto it = std::find_if(AVCodecs.begin(), AVCodecs.end(), [&](const TheAVCodec& AEntry) {
    return AEntry.Number != cSeparatorNumber && AEntry.ComboText == AComboText;
  });
  return it == AVCodecs.end() ? nullptr : &*it;
}

std::string OutputExtension(std::string_view AOutFormat) {
  std::string result = ".";
  for (char c : AOutFormat)
    result += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}
