// Option handlers that shape outputs: target presets, preset files, stream ids, new streams.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "FFLog.h"
#include "FFmpegJob.h"
#include "FFmpegOptionText.h"
#include "FFmpegValues.h"

namespace {

enum TNorm { nPAL, nNTSC, nFILM };

// One target preset; empty texts are settings the target does not make.
struct TTargetPreset {
  const char* Name;
  const char* VideoCodec;
  const char* AudioCodec;
  const char* Format;
  const char* SizePAL;
  const char* SizeNTSC;  // also FILM
  const char* PixFmtPAL;
  const char* PixFmtNTSC;  // also FILM
  const char* GopPAL;
  const char* GopNTSC;  // also FILM
  const char* BitRate;
  const char* MaxRate;
  const char* MinRate;
  const char* BufSize;
  // The mpeg2video encoder's scan offset; the libraries no longer offer it as a "flags" value.
  const char* ScanOffset;
  const char* AudioBitRate;
  int SampleRate;
  const char* PacketSize;
  const char* MuxRate;
  bool ForceStereo;  // 2 channels, otherwise only mono becomes stereo
  float MuxPreload;  // 0: unchanged
  const char* Aspect;
};

constexpr TTargetPreset TargetPresets[] = {
    {"vcd", "mpeg1video", "mp2",     "vcd",     "352x288", "352x240", "", "",
     "15",  "18",         "1150000", "1150000", "1150000", "327680",  "", "224000",
     44100, "2324",       "1411200", true,      0.44f,     "4:3"},
    {"svcd", "mpeg2video", "mp2",     "svcd",    "480x576", "480x480", "yuv420p", "yuv420p",
     "15",   "18",         "2040000", "2516000", "0",       "1835008", "1",       "224000",
     44100,  "2324",       "",        false,     0.0f,      "4:3"},
    {"dvd", "mpeg2video", "ac3",      "dvd",     "720x576", "720x480", "yuv420p", "yuv420p",
     "15",  "18",         "6000000",  "9000000", "0",       "1835008", "",        "448000",
     48000, "2048",       "10080000", false,     0.0f,      "16:9"},
    {"dv", "", "", "dv", "720x576", "720x480", "yuv420p", "yuv411p", "",   "",   "",
     "",   "", "", "",   "",        48000,     "",        "",        true, 0.0f, ""},
    {"dv50", "", "", "dv", "720x576", "720x480", "yuv422p", "yuv422p", "",   "",   "",
     "",     "", "", "",   "",        48000,     "",        "",        true, 0.0f, ""},
};

const char* const FrameRates[] = {"25", "30000/1001", "24000/1001"};  // by TNorm

int RateTimes1000(AVRational ARate) {
  return ARate.den == 0 ? 0 : static_cast<int>(std::lround(ARate.num * 1000.0 / ARate.den));
}

bool KnownRate(int ARate, TNorm& ANorm) {
  if (ARate == 25000)
    ANorm = nPAL;
  else if (ARate == 29970 || ARate == 23976)
    ANorm = nNTSC;
  else
    return false;
  return true;
}

TNorm AutomaticNorm(const TCustomFFmpeg& AJob, const std::string& ADefaultNorm) {
  TNorm norm = nPAL;
  if (KnownRate(RateTimes1000(AJob.Fframe_rate), norm)) return norm;
  for (int i = 0; i < AJob.Fnb_input_streams; ++i) {
    const AVStream* st = AJob.Finput_streams[i].st;
    if (st && st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
        KnownRate(RateTimes1000(st->r_frame_rate), norm))
      return norm;
  }
  return ADefaultNorm == "film" ? nFILM : ADefaultNorm == "ntsc" ? nNTSC : nPAL;
}

void SetIf(TCustomFFmpeg& AJob, const char* AName, const char* AValue) {
  if (*AValue) AJob.SetExtOption(AName, AValue);
}

}  // namespace

void TCustomFFmpeg::apply_target(const std::string& ATarget, const std::string& ANorm,
                                 const std::string& ADefaultNorm) {
  const TTargetPreset* preset = nullptr;
  for (const TTargetPreset& p : TargetPresets)
    if (ATarget == p.Name) preset = &p;
  if (!preset) throw FFmpegException("Unknown target type");

  TNorm norm;
  if (ANorm == "pal") {
    norm = nPAL;
  } else if (ANorm == "ntsc") {
    norm = nNTSC;
  } else if (ANorm == "film") {
    norm = nFILM;
  } else {
    norm = AutomaticNorm(*this, ADefaultNorm);
    if (Fverbose > 0)
      GetLogger().Log(this, llVerbose, "Assuming %s for target.", norm == nPAL ? "PAL" : "NTSC");
  }
  const bool pal = norm == nPAL;

  SetIf(*this, "vcodec", preset->VideoCodec);
  SetIf(*this, "acodec", preset->AudioCodec);
  Flast_asked_format = preset->Format;
  SetIf(*this, "s", pal ? preset->SizePAL : preset->SizeNTSC);
  SetIf(*this, "pix_fmt", pal ? preset->PixFmtPAL : preset->PixFmtNTSC);
  SetExtOption("r", FrameRates[norm]);
  SetIf(*this, "g", pal ? preset->GopPAL : preset->GopNTSC);
  SetIf(*this, "b", preset->BitRate);
  SetIf(*this, "maxrate", preset->MaxRate);
  SetIf(*this, "minrate", preset->MinRate);
  SetIf(*this, "bufsize", preset->BufSize);
  SetIf(*this, "scan_offset", preset->ScanOffset);
  SetIf(*this, "ab", preset->AudioBitRate);
  Faudio_sample_rate = preset->SampleRate;
  SetIf(*this, "packetsize", preset->PacketSize);
  SetIf(*this, "muxrate", preset->MuxRate);
  if (preset->ForceStereo || Faudio_channels == 1) Faudio_channels = 2;
  if (preset->MuxPreload > 0.0f) Fmux_preload = preset->MuxPreload;
  if (*preset->Aspect && Fframe_aspect_ratio == 0.0f) {
    SetExtOption("aspect", preset->Aspect);
    GetLogger().Log(this, llInfo, "Assuming %s for aspect ratio", preset->Aspect);
  }
}

void TCustomFFmpeg::apply_preset_file(const std::string& AOption, const std::string& AFileName) {
  if (AOption.empty() || AFileName.empty() ||
      std::string("afsv").find(AOption[0]) == std::string::npos)
    return;
  // Only regular files: a device or pipe name would never end.
  std::error_code error;
  std::ifstream file(AFileName, std::ios::binary);
  if (!std::filesystem::is_regular_file(AFileName, error) || !file)
    throw FFmpegException(Format("Preset file \"%s\" not found", AFileName.c_str()));
  std::stringstream content;
  content << file.rdbuf();
  std::string text = TrimText(content.str());
  std::string normalised;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      normalised += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      normalised += text[i];
    }
  }
  std::istringstream lines(normalised);
  for (std::string raw; std::getline(lines, raw);) {
    const std::string line = TrimText(raw);
    if (line.empty() || line[0] == '#') continue;
    const std::size_t eq = line.find('=');
    const std::string key = eq == std::string::npos ? line : line.substr(0, eq);
    const std::string value = eq == std::string::npos ? std::string() : line.substr(eq + 1);
    if (key.empty() || value.empty())
      throw FFmpegException(Format("%s: Invalid syntax: \"%s\"", AFileName.c_str(), line.c_str()));
    const std::string lower = LowerCase(key);
    if (lower == "acodec" || lower == "vcodec" || lower == "scodec" || lower == "dcodec") {
      SetExtOption(lower, value);
    } else if (!FOptions.set_generic_option(key, value) && HaltOnInvalidOption) {
      throw FFmpegException(Format(
          "%s\r\n%s: Invalid option or argument: \"%s\", parsed as \"%s\" = \"%s\"",
          LastOptionError().c_str(), AFileName.c_str(), line.c_str(), key.c_str(), value.c_str()));
    }
  }
}

void TCustomFFmpeg::add_stream_to_last_output(const std::string& AKind) {
  if (Fnb_output_files <= 0) throw FFmpegException("At least one output file must be specified");
  const int slot = Fnb_output_files - 1;
  AVFormatContext* output = OutputContext(slot);
  if (AKind == "newvideo")
    new_video_stream(output, slot);
  else if (AKind == "newaudio")
    new_audio_stream(output, slot);
  else if (AKind == "newsubtitle")
    new_subtitle_stream(output, slot);
  else if (AKind == "newdata")
    new_data_stream(output, slot);
}

void TCustomFFmpeg::set_stream_id(const std::string& AOption, const std::string& AText) {
  int index = 0;
  int id = 0;
  if (!ParseStreamId(AText, index, id))
    throw FFmpegException(
        Format("Invalid value \"%s\" for option \"%s\", required syntax is \"index:value\"",
               AText.c_str(), AOption.c_str()));
  grow_table(Fstreamid_map, Fnb_streamid_map, index + 1);
  Fstreamid_map[index] = id;
}
