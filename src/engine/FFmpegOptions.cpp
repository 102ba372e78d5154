// SetExtOption: the option vocabulary of a job, name by name, and parse_time_value.
#include <cmath>
#include <ctime>
#include <string_view>
#include <unordered_map>

#include "FFLog.h"
#include "FFmpegJob.h"
#include "FFmpegValues.h"
#include "FileSystem.h"

namespace {

using J = TCustomFFmpeg&;
using S = const std::string&;
using THandler = void (*)(J AJob, S AName, S AValue);

struct TOptionRow {
  const char* Name;
  THandler Handler;
};

void Ignore(J AJob, S AName, S) {
  GetLogger().Log(&AJob, llInfo, "Do nothing: option - " + AName);
}

float Decimal(S AValue) {
  return static_cast<float>(StrToDecimal(AValue, UserDecimalSeparator()));
}

// The generic store; a rejection raises with its message when the job halts on invalid options.
bool Generic(J AJob, S AName, S AValue) {
  if (AJob.FOptions.set_generic_option(AName, AValue)) return true;
  if (AJob.HaltOnInvalidOption) throw FFmpegException(LastOptionError());
  return false;
}

void BitRate(J AJob, S AName, S AValue) {
  if (!Generic(AJob, AName, AValue)) return;
  AVCodecContext* set =
      AJob.FOptions.avcodec_opts[AName[0] == 'a' ? AVMEDIA_TYPE_AUDIO : AVMEDIA_TYPE_VIDEO].get();
  std::int64_t rate = 0;
  if (set && FF.av_opt_get_int(set, "b", 0, &rate) >= 0 && rate < 1000)
    GetLogger().Log(&AJob, llWarning,
                    "WARNING: The bitrate parameter is set too low. It takes bits/s as argument, "
                    "not kbits/s");
}

void CodecChoice(S AValue, std::string& AName, int& ACopy) {
  if (AValue.empty()) return;
  AName.clear();
  if (AValue == "copy")
    ACopy = 1;
  else
    AName = AValue;
}

void CodecTag(S AValue, std::uint32_t& ATag) {
  if (!AValue.empty()) ATag = ParseCodecTag(AValue);
}

void MetadataMap(J AJob, S, S AValue) {
  const TAVMetaDataMapPair pair = ParseMetadataMap(AValue);
  grow_table(AJob.Fmeta_data_maps, AJob.Fnb_meta_data_maps, AJob.Fnb_meta_data_maps + 1);
  AJob.Fmeta_data_maps[AJob.Fnb_meta_data_maps - 1] = pair;
  for (const TAVMetaDataMap& side : pair) {
    if (side.type_ == 'g') AJob.Fmetadata_global_autocopy = 0;
    if (side.type_ == 's') AJob.Fmetadata_streams_autocopy = 0;
    if (side.type_ == 'c') AJob.Fmetadata_chapters_autocopy = 0;
  }
}

void StreamScale(J AJob, S, S AValue) {
  const TStreamScale scale = ParseStreamScale(AValue);
  if (scale.index < 0 || scale.index >= MaxStreams)
    throw FFmpegException(Format("stream index over MAX_STREAMS(%d)", MaxStreams));
  const int slot = AJob.Fnb_input_files;
  if (slot >= AJob.MaxFiles())
    throw FFmpegException(Format("max input files %d reached", AJob.MaxFiles()));
  grow_table(AJob.Finput_files_ts_scale[slot], AJob.Fnb_input_files_ts_scale[slot],
             scale.index + 1);
  AJob.Finput_files_ts_scale[slot][scale.index] = scale.scale;
}

void Metadata(J AJob, S, S AValue) {
  const auto [key, value] = SplitMetadata(AValue);
  AVDictionary* d = AJob.Fmetadata.release();
  FF.av_dict_set(&d, key.c_str(), value.c_str(), 0);
  AJob.Fmetadata.reset(d);
}

void Target(J AJob, S, S AValue) {
  const TTargetChoice choice = SplitTarget(AValue);
  AJob.apply_target(choice.Type, choice.Norm, "ntsc");
}

void FrameRate(J AJob, S, S AValue) {
  if (AValue.empty()) return;
  if (FF.av_parse_video_rate(&AJob.Fframe_rate, AValue.c_str()) < 0)
    throw FFmpegException("Incorrect frame rate");
}

void FrameSize(J AJob, S, S AValue) {
  if (AValue.empty()) return;
  if (FF.av_parse_video_size(&AJob.Fframe_width, &AJob.Fframe_height, AValue.c_str()) < 0)
    throw FFmpegException("Incorrect frame size");
}

void Aspect(J AJob, S, S AValue) {
  if (AValue.empty()) return;
  const float ratio = ParseAspectRatio(AValue, UserDecimalSeparator());
  if (ratio == 0.0f) throw FFmpegException("Incorrect aspect ratio specification.");
  AJob.Fframe_aspect_ratio = ratio;
}

void ListLine(J AJob, const char* ALine) {
  GetLogger().Log(&AJob, llInfo, TrimText(ALine));
}

void PixelFormat(J AJob, S, S AValue) {
  char line[128];
  if (AValue == "list") {
    ListLine(AJob, FF.av_get_pix_fmt_string(line, sizeof line, AV_PIX_FMT_NONE));
    for (const AVPixFmtDescriptor* d = FF.av_pix_fmt_desc_next(nullptr); d;
         d = FF.av_pix_fmt_desc_next(d))
      ListLine(AJob, FF.av_get_pix_fmt_string(line, sizeof line, FF.av_pix_fmt_desc_get_id(d)));
    return;
  }
  const AVPixelFormat format = FF.av_get_pix_fmt(AValue.c_str());
  if (format == AV_PIX_FMT_NONE)
    throw FFmpegException(Format("Unknown pixel format requested: %s", AValue.c_str()));
  AJob.Fframe_pix_fmt = format;
}

void SampleFormat(J AJob, S, S AValue) {
  char line[128];
  if (AValue == "list") {
    ListLine(AJob, FF.av_get_sample_fmt_string(line, sizeof line, AV_SAMPLE_FMT_NONE));
    for (int f = AV_SAMPLE_FMT_U8; f <= AV_SAMPLE_FMT_DBL; ++f)
      ListLine(AJob,
               FF.av_get_sample_fmt_string(line, sizeof line, static_cast<AVSampleFormat>(f)));
    return;
  }
  const AVSampleFormat format = FF.av_get_sample_fmt(AValue.c_str());
  if (format == AV_SAMPLE_FMT_NONE)
    throw FFmpegException(Format("Invalid sample format \"%s\"", AValue.c_str()));
  AJob.Faudio_sample_fmt = format;
}

void StatisticsFile(J AJob, S, S AValue) {
  AJob.Fvstats_filename.clear();
  if (!ParseFlag(AValue)) return;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  AJob.Fvstats_filename = ProgramFolder() + Format("vstats_%02d%02d%02d.log", local.tm_hour,
                                                   local.tm_min, local.tm_sec);
}

void BitstreamFilter(J AJob, S AName, S AValue) {
  if (AValue.empty() || AValue[0] == '=') return;
  const std::string name = AValue.substr(0, AValue.find('='));
  if (!FF.av_bsf_get_by_name(name.c_str()))
    throw FFmpegException(Format("Unknown bitstream filter %s", TrimText(AValue).c_str()));
  auto& chain = AName[0] == 'v'   ? AJob.Fvideo_bitstream_filters
                : AName[0] == 'a' ? AJob.Faudio_bitstream_filters
                                  : AJob.Fsubtitle_bitstream_filters;
  chain.push_back(name);
}

void Removed(const char* AFilter) {
  throw FFmpegException(Format("Removed, use the %s filter instead", AFilter));
}

constexpr TOptionRow OptionRows[] = {
    // General options.
    {"L", Ignore},
    {"h", Ignore},
    {"version", Ignore},
    {"formats", Ignore},
    {"codecs", Ignore},
    {"bsfs", Ignore},
    {"protocols", Ignore},
    {"filters", Ignore},
    {"i", Ignore},
    {"y", Ignore},
    {"benchmark", Ignore},
    {"loglevel", [](J, S, S v) { GetLogger().OptLogLevel(v); }},
    {"v", [](J j, S, S v) { j.Fverbose = StrToInt(v); }},
    {"f", [](J j, S, S v) { if (!v.empty()) j.Flast_asked_format = v; }},
    {"map",
     [](J j, S, S v) {
       const TAVStreamMap map = ParseStreamMap(v);
       grow_table(j.Fstream_maps, j.Fnb_stream_maps, j.Fnb_stream_maps + 1);
       j.Fstream_maps[j.Fnb_stream_maps - 1] = map;
     }},
    {"map_meta_data",
     [](J j, S n, S v) {
       GetLogger().Log(&j, llWarning,
                       "-map_meta_data is deprecated and will be removed soon. Use -map_metadata "
                       "instead.");
       MetadataMap(j, n, v);
     }},
    {"map_metadata", MetadataMap},
    {"map_chapters",
     [](J j, S, S v) {
       const TAVChapterMap map = ParseChapterMap(v);
       grow_table(j.Fchapter_maps, j.Fnb_chapter_maps, j.Fnb_chapter_maps + 1);
       j.Fchapter_maps[j.Fnb_chapter_maps - 1] = map;
     }},
    {"t",
     [](J j, S n, S v) {
       j.Frecording_time = parse_time_value(n, v, true);
       j.FTotalOutputDuration = j.Frecording_time;
     }},
    {"fs", [](J j, S, S v) { j.Flimit_filesize = StrToInt64(v); }},
    {"ss", [](J j, S n, S v) { j.Fstart_time = parse_time_value(n, v, true); }},
    {"itsoffset", [](J j, S n, S v) { j.Finput_ts_offset = parse_time_value(n, v, true); }},
    {"itsscale", StreamScale},
    {"timestamp",
     [](J j, S n, S v) {
       j.Frecording_timestamp = std::llround(parse_time_value(n, v, false) / 1000000.0);
     }},
    {"metadata", Metadata},
    {"dframes", [](J j, S, S v) { j.Fmax_frames[mfData] = StrToInt(v); }},
    {"timelimit",
     [](J j, S, S) {
       GetLogger().Log(&j, llWarning, "Warning: -timelimit not implemented on Windows");
     }},
    {"dump", [](J j, S, S v) { j.Fdo_pkt_dump = ParseFlag(v); }},
    {"hex", [](J j, S, S v) { j.Fdo_hex_dump = ParseFlag(v); }},
    {"re", [](J j, S, S v) { j.Frate_emu = ParseFlag(v); }},
    {"loop_input", [](J j, S, S v) { j.Floop_input = ParseFlag(v); }},
    {"loop_output", [](J j, S, S v) { j.Floop_output = StrToInt(v); }},
    {"target", Target},
    {"threads",
     [](J j, S, S v) {
       j.Fthread_count = StrToInt(v);
       if (j.Fverbose >= 0)
         GetLogger().Log(&j, llVerbose,
                         "Warning: if the ffmpeg libraries were not compiled with thread "
                         "support, it would be using thread emulation.");
     }},
    {"vsync", [](J j, S, S v) { j.Fvideo_sync_method = StrToInt(v); }},
    {"async", [](J j, S, S v) { j.Faudio_sync_method = StrToInt(v); }},
    {"adrift_threshold", [](J j, S, S v) { j.Faudio_drift_threshold = Decimal(v); }},
    {"copyts", [](J j, S, S v) { j.Fcopy_ts = ParseFlag(v); }},
    {"copytb", [](J j, S, S v) { j.Fcopy_tb = ParseFlag(v); }},
    {"shortest", [](J j, S, S v) { j.Fopt_shortest = ParseFlag(v); }},
    {"dts_delta_threshold", [](J j, S, S v) { j.Fdts_delta_threshold = Decimal(v); }},
    {"programid", [](J j, S, S v) { j.Fopt_programid = StrToInt(v); }},
    {"xerror", [](J j, S, S v) { j.Fexit_on_error = ParseFlag(v); }},
    {"copyinkf", [](J j, S, S v) { j.Fcopy_initial_nonkeyframes = StrToInt(v); }},

    // Video options.
    {"b", BitRate},
    {"vb", BitRate},
    {"vframes", [](J j, S, S v) { j.Fmax_frames[mfVideo] = StrToInt(v); }},
    {"r", FrameRate},
    {"s", FrameSize},
    {"aspect", Aspect},
    {"pix_fmt", PixelFormat},
    {"bits_per_raw_sample", [](J j, S, S v) { j.Fframe_bits_per_raw_sample = StrToInt(v); }},
    {"croptop", [](J, S, S) { Removed("crop"); }},
    {"cropbottom", [](J, S, S) { Removed("crop"); }},
    {"cropleft", [](J, S, S) { Removed("crop"); }},
    {"cropright", [](J, S, S) { Removed("crop"); }},
    {"padtop", [](J, S, S) { Removed("pad"); }},
    {"padbottom", [](J, S, S) { Removed("pad"); }},
    {"padleft", [](J, S, S) { Removed("pad"); }},
    {"padright", [](J, S, S) { Removed("pad"); }},
    {"padcolor", [](J, S, S) { Removed("pad"); }},
    {"intra", [](J j, S, S v) { j.Fintra_only = ParseFlag(v); }},
    {"vn", [](J j, S, S v) { j.Fvideo_disable = ParseFlag(v); }},
    {"vdt", [](J j, S, S v) { j.Fvideo_discard = StrToInt(v); }},
    {"qscale",
     [](J j, S, S v) {
       const float q = Decimal(v);
       if (q <= 0.0f || q > 255.0f) throw FFmpegException("qscale must be > 0.0 and <= 255");
       j.Fvideo_qscale = q;
     }},
    {"rc_override", [](J j, S, S v) { j.Fvideo_rc_override_string = v; }},
    {"vcodec", [](J j, S, S v) { CodecChoice(v, j.Fvideo_codec_name, j.Fvideo_stream_copy); }},
    {"me_threshold", [](J j, S, S v) { j.Fme_threshold = StrToInt(v); }},
    {"sameq", [](J j, S, S v) { j.Fsame_quality = ParseFlag(v); }},
    {"pass",
     [](J j, S, S v) {
       const int pass = StrToInt(v);
       if (pass != 1 && pass != 2) throw FFmpegException("pass number can be only 1 or 2");
       j.Fdo_pass = pass;
     }},
    {"passlogfile",
     [](J j, S n, S v) {
       j.Fpass_logfilename_prefix = v;
       j.FOptions.set_generic_option(n, v);  // libx264's own two-pass prefix; result not needed
     }},
    {"deinterlace", [](J j, S, S v) { j.Fdo_deinterlace = ParseFlag(v); }},
    {"psnr", [](J j, S, S v) { j.Fdo_psnr = ParseFlag(v); }},
    {"vstats", StatisticsFile},
    {"vstats_file", [](J j, S, S v) { j.Fvstats_filename = v; }},
    {"vhook",
     [](J, S, S v) {
       // Loadable frame hooks are not part of this engine build.
       throw FFmpegException("Failed to add video hook function: " + v);
     }},
    {"vfilters", [](J j, S, S v) { if (!v.empty()) j.Fvfilters = v; }},
    {"vf", [](J j, S, S v) { if (!v.empty()) j.Fvfilters = v; }},
    {"intra_matrix", [](J j, S, S v) { j.Fintra_matrix = ParseMatrix(v); }},
    {"inter_matrix", [](J j, S, S v) { j.Finter_matrix = ParseMatrix(v); }},
    // The libraries have no generic "top" option any more, so the value is not offered to them.
    {"top", [](J j, S, S v) { j.Ftop_field_first = StrToInt(v); }},
    {"dc", [](J j, S, S v) { j.Fintra_dc_precision = StrToInt(v); }},
    {"vtag", [](J j, S, S v) { CodecTag(v, j.Fvideo_codec_tag); }},
    {"newvideo", [](J j, S n, S) { j.add_stream_to_last_output(n); }},
    {"vlang", [](J j, S, S v) { j.Fvideo_language = v; }},
    {"qphist", [](J j, S, S v) { j.Fqp_hist = ParseFlag(v); }},
    {"force_fps", [](J j, S, S v) { j.Fforce_fps = ParseFlag(v); }},
    {"streamid", [](J j, S n, S v) { j.set_stream_id(n, v); }},
    {"force_key_frames", [](J j, S, S v) { j.Fforced_key_frames = v; }},

    // Audio options.
    {"ab", BitRate},
    {"aframes", [](J j, S, S v) { j.Fmax_frames[mfAudio] = StrToInt(v); }},
    {"aq", [](J j, S, S v) { j.Faudio_qscale = Decimal(v); }},
    {"ar",
     [](J j, S, S v) {
       const int rate = StrToInt(v);
       if (rate > 0) j.Faudio_sample_rate = rate;
     }},
    {"ac",
     [](J j, S, S v) {
       const int channels = StrToInt(v);
       if (channels > 0) j.Faudio_channels = channels;
     }},
    {"an", [](J j, S, S v) { j.Faudio_disable = ParseFlag(v); }},
    {"acodec", [](J j, S, S v) { CodecChoice(v, j.Faudio_codec_name, j.Faudio_stream_copy); }},
    {"atag", [](J j, S, S v) { CodecTag(v, j.Faudio_codec_tag); }},
    {"vol", [](J j, S, S v) { j.Faudio_volume = StrToInt(v); }},
    {"newaudio", [](J j, S n, S) { j.add_stream_to_last_output(n); }},
    {"alang", [](J j, S, S v) { j.Faudio_language = v; }},
    {"sample_fmt", SampleFormat},

    // Subtitle, data, capture, muxer, bitstream-filter and preset options.
    {"sn", [](J j, S, S v) { j.Fsubtitle_disable = ParseFlag(v); }},
    {"scodec",
     [](J j, S, S v) { CodecChoice(v, j.Fsubtitle_codec_name, j.Fsubtitle_stream_copy); }},
    {"newsubtitle", [](J j, S n, S) { j.add_stream_to_last_output(n); }},
    {"slang", [](J j, S, S v) { j.Fsubtitle_language = v; }},
    {"stag", [](J j, S, S v) { CodecTag(v, j.Fsubtitle_codec_tag); }},
    {"dcodec", [](J j, S, S v) { CodecChoice(v, j.Fdata_codec_name, j.Fdata_stream_copy); }},
    {"newdata", [](J j, S n, S) { j.add_stream_to_last_output(n); }},
    {"vc", [](J j, S, S v) { j.Fvideo_channel = StrToInt(v); }},
    {"tvstd", [](J j, S, S v) { j.Fvideo_standard = v; }},
    {"isync", [](J j, S, S v) { j.Finput_sync = ParseFlag(v); }},
    {"muxdelay", [](J j, S, S v) { j.Fmux_max_delay = Decimal(v); }},
    {"muxpreload", [](J j, S, S v) { j.Fmux_preload = Decimal(v); }},
    {"absf", BitstreamFilter},
    {"vbsf", BitstreamFilter},
    {"sbsf", BitstreamFilter},
    {"apre", [](J j, S n, S v) { j.apply_preset_file(n, v); }},
    {"vpre", [](J j, S n, S v) { j.apply_preset_file(n, v); }},
    {"spre", [](J j, S n, S v) { j.apply_preset_file(n, v); }},
    {"fpre", [](J j, S n, S v) { j.apply_preset_file(n, v); }},
};

const std::unordered_map<std::string_view, THandler>& Handlers() {
  static const auto handlers = [] {
    std::unordered_map<std::string_view, THandler> map;
    for (const TOptionRow& row : OptionRows) map.emplace(row.Name, row.Handler);
    return map;
  }();
  return handlers;
}

}  // namespace

std::vector<std::string> OptionNames() {
  std::vector<std::string> names;
  for (const TOptionRow& row : OptionRows) names.emplace_back(row.Name);
  return names;
}

namespace {

// Options reach the libraries' parsers and option sets, which exist only while they are bound.
void CheckLibrariesLoaded() {
  if (const char* missing = MissingCoreLibraryMessage()) throw FFmpegException(missing);
}

}  // namespace

void TCustomFFmpeg::SetExtOption(const std::string& AName, const std::string& AValue) {
  CheckLibrariesLoaded();
  const auto& handlers = Handlers();
  const auto handler = handlers.find(AName);
  if (handler != handlers.end())
    handler->second(*this, AName, AValue);
  else
    Generic(*this, AName, AValue);
}

std::int64_t parse_time_value(const std::string& AOption, const std::string& AText,
                              bool AIsDuration) {
  std::int64_t us = 0;
  if (FF.av_parse_time(&us, AText.c_str(), AIsDuration ? 1 : 0) < 0)
    throw FFmpegException(Format("Invalid %s specification for %s: %s",
                                 AIsDuration ? "duration" : "date", AOption.c_str(),
                                 AText.c_str()));
  return us;
}
