// The media probe: TCustomDecoder opens a media file and describes its streams; TFFDecoder is
// the component the program places.
#include "FFDecode.h"

#include <algorithm>
#include <climits>

#include "Exceptions.h"
#include "FFLog.h"
#include "FFUtils.h"
#include "FileSystem.h"
#include "MainThread.h"
#include "ProbeReport.h"
#include "ProbeText.h"
#include "TextFormat.h"
#include "UnicodeProtocol.h"

namespace {

constexpr const char* FileNotLoaded = "file not loaded.";

// The words of the per-kind messages ("no video stream.", "stream #%d is not audio stream.").
const char* KindName(AVMediaType AType) {
  switch (AType) {
    case AVMEDIA_TYPE_VIDEO:
      return "video";
    case AVMEDIA_TYPE_AUDIO:
      return "audio";
    default:
      return "subtitle";
  }
}

int ClampToInt(std::int64_t AValue) {
  return static_cast<int>(std::clamp<std::int64_t>(AValue, INT_MIN, INT_MAX));
}

std::int64_t ValueOrUnset(std::int64_t AValue) {
  return AValue == AV_NOPTS_VALUE ? -1 : AValue;
}

// The container's "creation_time" (ISO 8601, UTC) in seconds since 1970; 0 without one.
std::int64_t CreationTime(const AVDictionary* ATags) {
  std::string text = TagValue(ATags, "creation_time");
  std::int64_t micros = 0;
  if (text.empty() || FF.av_parse_time(&micros, text.c_str(), 0) < 0) return 0;
  return micros / 1000000;
}

// "year", else the first four characters of "date" ("2011-05-01").
int YearOf(const AVDictionary* ATags) {
  std::string year = TagValue(ATags, "year");
  return TagToInt(year.empty() ? TagValue(ATags, "date").substr(0, 4) : year);
}

// Language, codec, start time and duration, shared by the video and audio records; the
// stream's zero time-base denominator is replaced first so that the rescaling can work.
template <typename TInfo>
void FillStreamTimes(AVStream* AStream, TInfo& AInfo) {
  AInfo.Language = TagValue(AStream->metadata, "language");
  AInfo.CodecName = CodecDisplayName(AStream->codecpar, csDecoder);
  if (AStream->time_base.den == 0)
    AStream->time_base.den = AStream->time_base.num ? AStream->time_base.num : 1;
  const AVRational micro{1, 1000000};
  AInfo.StartTime = AStream->start_time;
  if (AStream->start_time != AV_NOPTS_VALUE)
    AInfo.StartTimeScaled = FF.av_rescale_q(AStream->start_time, AStream->time_base, micro);
  AInfo.Duration = AStream->duration;
  if (AStream->duration != AV_NOPTS_VALUE)
    AInfo.DurationScaled = FF.av_rescale_q(AStream->duration, AStream->time_base, micro);
}

}  // namespace

TCustomDecoder::TCustomDecoder(TObject* AOwner) : TFFBaseComponent(AOwner) {}

TCustomDecoder::~TCustomDecoder() {
  TCustomDecoder::CloseFile();
}

TLibraries TCustomDecoder::Libraries() {
  return {avCodec, avFormat, avUtil, swScale, swResample, myUtil};
}

bool TCustomDecoder::LoadAVLib(const TPathFileName& APath) {
  FFLoader().SetLibraryPath(APath);
  if (FFLoader().Load(Libraries())) return true;
  FLastErrMsg = FFLoader().LastErrMsg();
  return false;
}

bool TCustomDecoder::AVLibLoaded() const {
  return FFLoader().Loaded(Libraries());
}

void TCustomDecoder::UnloadAVLib() {
  FFLoader().Unload(Libraries());
}

void TCustomDecoder::CheckLibrariesLoaded() const {
  if (const char* missing = MissingCoreLibraryMessage()) throw Exception(missing);
}

void TCustomDecoder::ReportError(int ALevel, const std::string& AText) {
  GetLogger().Log(this, LibraryToLogLevel(ALevel), AText);
  FLastErrMsg = AText;
}

int TCustomDecoder::OpenInput(AVFormatContext*& AContext, const TPathFileName& AFileName,
                              const AVInputFormat* AFormat) {
  // Every name is opened here. A "unicode:" name is served by our own I/O context, which the
  // library then leaves open (custom I/O) for CloseFile to free after the context.
  std::string url = FileNameToUTF8(AFileName);
  if (IsUnicodeURL(url)) {
    if (int ret = OpenUnicodeIO(url, AVIO_FLAG_READ, FUnicodeIO); ret < 0) {
      TFormatContextPtr unopened(AContext);
      AContext = nullptr;
      return ret;
    }
    AContext->pb = FUnicodeIO.get();
  }
  return FF.avformat_open_input(&AContext, url.c_str(), AFormat, nullptr);
}

bool TCustomDecoder::LoadFile(const TPathFileName& AFileName, const std::string& AFormatName) {
  CheckLibrariesLoaded();
  CloseFile();
  const AVInputFormat* format = nullptr;
  if (!AFormatName.empty()) {
    format = FF.av_find_input_format(AFormatName.c_str());
    if (!format) {
      FLastErrMsg = Format("Unknown input format: %s", AFormatName.c_str());
      return false;
    }
  }
  AVFormatContext* context = FF.avformat_alloc_context();
  int ret = AVERROR(ENOMEM);
  if (context) {
    context->flags |= AVFMT_FLAG_NONBLOCK;
    context->interrupt_callback = LibraryInterruptCB();
    // On failure the library frees the context and sets it to null.
    ret = OpenInput(context, AFileName, format);
  }
  if (ret < 0) {
    ReportError(AV_LOG_ERROR, ffmpeg_error_text(AFileName, ret));
    CloseFile();
    return false;
  }
  FOwnHandle.reset(context);
  FFileHandle = context;
  DoBeforeFindStreamInfo();
  if (FF.avformat_find_stream_info(context, nullptr) < 0) {
    FLastErrMsg = Format("%s: could not find codec parameters", AFileName.c_str());
    CloseFile();
    return false;
  }
  RefreshStreamInfo();
  FForceFormat = AFormatName;
  return true;
}

void TCustomDecoder::DoBeforeFindStreamInfo() {
  if (!FOnBeforeFindStreamInfo) return;
  auto fire = [this] { FOnBeforeFindStreamInfo(this, FFileHandle); };
  if (FTriggerEventInMainThread && !IsMainThread())
    CallInMainThread(fire);
  else
    fire();
}

void TCustomDecoder::CloseFile() {
  FForceFormat.clear();
  FOwnHandle.reset();
  FUnicodeIO.reset();
  FFileHandle = nullptr;
  RefreshStreamInfo();
}

void TCustomDecoder::SetFileHandle(AVFormatContext* AValue) {
  if (AValue == FFileHandle) return;
  CheckLibrariesLoaded();
  CloseFile();
  FFileHandle = AValue;
  RefreshStreamInfo();
}

void TCustomDecoder::RefreshStreamInfo() {
  FFileSize = -1;
  FStreamCount = FProgramCount = -1;
  FAudioStreamCount = FVideoStreamCount = FSubtitleStreamCount = -1;
  FFirstAudioStreamIndex = FFirstVideoStreamIndex = FFirstSubtitleStreamIndex = -1;
  if (!FFileHandle) return;
  std::int64_t size = FFileHandle->pb ? FF.avio_size(FFileHandle->pb) : 0;
  TPathFileName name = FileName();
  FFileSize = size > 0 || name.empty() || !FileExists(name) ? size : FileSizeOf(name);
  FStreamCount = ClampToInt(FFileHandle->nb_streams);
  FProgramCount = ClampToInt(FFileHandle->nb_programs);
  FAudioStreamCount = FVideoStreamCount = FSubtitleStreamCount = 0;
  for (int i = 0; i < FStreamCount; ++i) {
    auto count = [i](int& ACount, int& AFirst) {
      ++ACount;
      if (AFirst < 0) AFirst = i;
    };
    switch (FFileHandle->streams[i]->codecpar->codec_type) {
      case AVMEDIA_TYPE_VIDEO:
        count(FVideoStreamCount, FFirstVideoStreamIndex);
        break;
      case AVMEDIA_TYPE_AUDIO:
        count(FAudioStreamCount, FFirstAudioStreamIndex);
        break;
      case AVMEDIA_TYPE_SUBTITLE:
        count(FSubtitleStreamCount, FFirstSubtitleStreamIndex);
        break;
      default:
        break;
    }
  }
}

TPathFileName TCustomDecoder::FileName() const {
  return FFileHandle ? UTF8ToText(FFileHandle->url) : TPathFileName();
}

std::string TCustomDecoder::FormatName() const {
  return FFileHandle && FFileHandle->iformat ? UTF8ToText(FFileHandle->iformat->name)
                                             : std::string();
}

std::string TCustomDecoder::FormatLongName() const {
  return FFileHandle && FFileHandle->iformat ? UTF8ToText(FFileHandle->iformat->long_name)
                                             : std::string();
}

bool TCustomDecoder::IsStreamOfType(int AStreamIndex, AVMediaType AType) {
  if (!FFileHandle) {
    ReportError(AV_LOG_WARNING, FileNotLoaded);
    return false;
  }
  if (AStreamIndex < 0 || AStreamIndex >= FStreamCount) {
    ReportError(AV_LOG_ERROR, Format("stream index #%d is invalid.", AStreamIndex));
    return false;
  }
  return FFileHandle->streams[AStreamIndex]->codecpar->codec_type == AType;
}

bool TCustomDecoder::IsAudioStream(int AStreamIndex) {
  return IsStreamOfType(AStreamIndex, AVMEDIA_TYPE_AUDIO);
}
bool TCustomDecoder::IsVideoStream(int AStreamIndex) {
  return IsStreamOfType(AStreamIndex, AVMEDIA_TYPE_VIDEO);
}
bool TCustomDecoder::IsSubtitleStream(int AStreamIndex) {
  return IsStreamOfType(AStreamIndex, AVMEDIA_TYPE_SUBTITLE);
}

AVStream* TCustomDecoder::SelectStream(AVMediaType AType, int AStreamIndex) {
  if (!FFileHandle) {
    ReportError(AV_LOG_WARNING, FileNotLoaded);
    return nullptr;
  }
  if (AStreamIndex < 0) {
    AStreamIndex = AType == AVMEDIA_TYPE_VIDEO   ? FFirstVideoStreamIndex
                   : AType == AVMEDIA_TYPE_AUDIO ? FFirstAudioStreamIndex
                                                 : FFirstSubtitleStreamIndex;
    if (AStreamIndex < 0) {
      ReportError(AV_LOG_ERROR, Format("no %s stream.", KindName(AType)));
      return nullptr;
    }
  }
  if (AStreamIndex >= FStreamCount) {
    ReportError(AV_LOG_ERROR, Format("stream index #%d is invalid.", AStreamIndex));
    return nullptr;
  }
  AVStream* st = FFileHandle->streams[AStreamIndex];
  if (st->codecpar->codec_type != AType) {
    ReportError(AV_LOG_ERROR,
                Format("stream #%d is not %s stream.", AStreamIndex, KindName(AType)));
    return nullptr;
  }
  return st;
}

void TCustomDecoder::GetVideoStreamInfo(int AStreamIndex, TVideoStreamInfo& AInfo) {
  AInfo = TVideoStreamInfo();
  AVStream* st = SelectStream(AVMEDIA_TYPE_VIDEO, AStreamIndex);
  if (!st) return;
  FillStreamTimes(st, AInfo);
  const AVCodecParameters* par = st->codecpar;
  AInfo.BitRate = ClampToInt(par->bit_rate);
  AInfo.Height = par->height;
  AInfo.Width = par->width;
  AInfo.PixFmt = static_cast<AVPixelFormat>(par->format);
  // A 0/1 sample aspect gives 0; a zero denominator or height gives inf or NaN, never an error.
  AInfo.AspectRatio = static_cast<float>(
      par->width *
      (static_cast<double>(par->sample_aspect_ratio.num) / par->sample_aspect_ratio.den) /
      par->height);
  AInfo.FrameRate =
      st->avg_frame_rate.num && st->avg_frame_rate.den ? st->avg_frame_rate : st->r_frame_rate;
}

void TCustomDecoder::GetAudioStreamInfo(int AStreamIndex, TAudioStreamInfo& AInfo) {
  AInfo = TAudioStreamInfo();
  AVStream* st = SelectStream(AVMEDIA_TYPE_AUDIO, AStreamIndex);
  if (!st) return;
  FillStreamTimes(st, AInfo);
  const AVCodecParameters* par = st->codecpar;
  AInfo.BitRate = ClampToInt(par->bit_rate);
  AInfo.Channels = par->ch_layout.nb_channels;
  AInfo.SampleRate = par->sample_rate;
  AInfo.SampleFormat = static_cast<AVSampleFormat>(par->format);
}

void TCustomDecoder::GetSubtitleStreamInfo(int AStreamIndex, TSubtitleStreamInfo& AInfo) {
  AInfo = TSubtitleStreamInfo();
  AVStream* st = SelectStream(AVMEDIA_TYPE_SUBTITLE, AStreamIndex);
  if (!st) return;
  AInfo.Language = TagValue(st->metadata, "language");
  AInfo.CodecName = CodecDisplayName(st->codecpar, csDecoder);
}

TVideoStreamInfo TCustomDecoder::FirstVideoStreamInfo() {
  TVideoStreamInfo info;
  GetVideoStreamInfo(-1, info);
  return info;
}

TAudioStreamInfo TCustomDecoder::FirstAudioStreamInfo() {
  TAudioStreamInfo info;
  GetAudioStreamInfo(-1, info);
  return info;
}

TSubtitleStreamInfo TCustomDecoder::FirstSubtitleStreamInfo() {
  TSubtitleStreamInfo info;
  GetSubtitleStreamInfo(-1, info);
  return info;
}

TFileStreamInfo TCustomDecoder::FileStreamInfo() {
  TFileStreamInfo info;
  if (!FFileHandle) {
    ReportError(AV_LOG_WARNING, FileNotLoaded);
    return info;
  }
  const AVDictionary* tags = FFileHandle->metadata;
  info.StartTime = ValueOrUnset(FFileHandle->start_time);
  info.Duration = ValueOrUnset(FFileHandle->duration);
  info.BitRate = ClampToInt(FFileHandle->bit_rate);
  info.TimeStamp = CreationTime(tags);
  info.Year = YearOf(tags);
  info.Track = TagToInt(TagValue(tags, "track"));
  info.Title = TagValue(tags, "title");
  info.Author = TagOrNewer(tags, "author", "artist");
  info.Copyright = TagValue(tags, "copyright");
  info.Comment = TagValue(tags, "comment");
  info.Album = TagValue(tags, "album");
  info.Genre = TagValue(tags, "genre");
  return info;
}

std::string TCustomDecoder::FileInfoText() {
  if (!FFileHandle) {
    ReportError(AV_LOG_WARNING, FileNotLoaded);
    return std::string();
  }
  TReportLines lines;
  lines.push_back("File Name: " + FileName());
  lines.push_back("Format Name: " + FormatName());
  if (std::string longName = FormatLongName(); !longName.empty())
    lines.push_back("Format Long Name: " + longName);
  lines.push_back("File Size: " + FormatFileSize(FFileSize));
  TFileStreamInfo info = FileStreamInfo();
  lines.push_back("Duration: " + (info.Duration < 0 ? "N/A" : FormatTimeText(info.Duration)));
  if (info.StartTime >= 0) lines.push_back("StartTime: " + FormatSecondsText(info.StartTime));
  lines.push_back(info.BitRate < 1 ? std::string("Bit Rate: N/A")
                                   : Format("Bit Rate: %d kb/s", info.BitRate / 1000));
  if (info.TimeStamp > 0)
    lines.push_back("Time Stamp: " + FormatDateTimeText(info.TimeStamp, LocalStandardOffset()));
  AppendMetadataLines(lines, FFileHandle->metadata, "");
  AppendChapterProgramAndStreamLines(lines, FFileHandle);
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}
