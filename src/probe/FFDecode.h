// The media probe: TCustomDecoder opens a media file and describes its streams; TFFDecoder is
// the component the program places.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "FFLoad.h"
#include "FFOwners.h"
#include "StreamInfo.h"
#include "TObject.h"
#include "UnicodeProtocol.h"

// Fired after the file is opened and before its streams are analysed.
using TBeforeFindStreamInfoEvent = std::function<void(TObject* Sender, AVFormatContext* AContext)>;

class TCustomDecoder : public TFFBaseComponent {
 public:
  explicit TCustomDecoder(TObject* AOwner = nullptr);
  ~TCustomDecoder() override;
  TCustomDecoder(const TCustomDecoder&) = delete;
  TCustomDecoder& operator=(const TCustomDecoder&) = delete;

  // The libraries the probe needs, as a set of the loader.
  static TLibraries Libraries();
  // Sets the loader's library folder and loads the probe's libraries; the loader's message in
  // LastErrMsg on failure.
  bool LoadAVLib(const TPathFileName& APath);
  bool AVLibLoaded() const;
  void UnloadAVLib();

  // Opens and analyses a file; AFormatName forces a demuxer (empty: detect). Raises Exception
  // when a needed library is not loaded.
  bool LoadFile(const TPathFileName& AFileName, const std::string& AFormatName = std::string());

  // Recomputes file size, counts and first indexes from the current context.
  virtual void RefreshStreamInfo();
  // Attaches a foreign context, which the probe will not close.
  virtual void SetFileHandle(AVFormatContext* AValue);
  // Releases the current file.
  virtual void CloseFile();

  bool IsAudioStream(int AStreamIndex);
  bool IsVideoStream(int AStreamIndex);
  bool IsSubtitleStream(int AStreamIndex);
  // AStreamIndex -1: the first stream of the kind.
  void GetVideoStreamInfo(int AStreamIndex, TVideoStreamInfo& AInfo);
  void GetAudioStreamInfo(int AStreamIndex, TAudioStreamInfo& AInfo);
  void GetSubtitleStreamInfo(int AStreamIndex, TSubtitleStreamInfo& AInfo);

  AVFormatContext* FileHandle() const { return FFileHandle; }
  TPathFileName FileName() const;
  std::int64_t FileSize() const { return FFileSize; }
  const std::string& ForceFormat() const { return FForceFormat; }
  std::string FormatName() const;
  std::string FormatLongName() const;
  int StreamCount() const { return FStreamCount; }
  int ProgramCount() const { return FProgramCount; }
  int AudioStreamCount() const { return FAudioStreamCount; }
  int VideoStreamCount() const { return FVideoStreamCount; }
  int SubtitleStreamCount() const { return FSubtitleStreamCount; }
  int FirstAudioStreamIndex() const { return FFirstAudioStreamIndex; }
  int FirstVideoStreamIndex() const { return FFirstVideoStreamIndex; }
  int FirstSubtitleStreamIndex() const { return FFirstSubtitleStreamIndex; }
  TFileStreamInfo FileStreamInfo();
  // The multi-line report of the file, each line ended by CR LF; empty without a file.
  std::string FileInfoText();
  TVideoStreamInfo FirstVideoStreamInfo();
  TAudioStreamInfo FirstAudioStreamInfo();
  TSubtitleStreamInfo FirstSubtitleStreamInfo();
  const std::string& LastErrMsg() const { return FLastErrMsg; }

  bool TriggerEventInMainThread() const { return FTriggerEventInMainThread; }
  void SetTriggerEventInMainThread(bool AValue) { FTriggerEventInMainThread = AValue; }
  const TBeforeFindStreamInfoEvent& OnBeforeFindStreamInfo() const {
    return FOnBeforeFindStreamInfo;
  }
  void SetOnBeforeFindStreamInfo(TBeforeFindStreamInfoEvent AValue) {
    FOnBeforeFindStreamInfo = std::move(AValue);
  }

 protected:
  // Logs the text at the library log level given and keeps it in LastErrMsg.
  void ReportError(int ALevel, const std::string& AText);
  // Raises Exception("LibAVCodec not loaded.") and its siblings.
  void CheckLibrariesLoaded() const;
  void DoBeforeFindStreamInfo();

 private:
  // The stream for a query of one kind, or null after reporting why there is none.
  AVStream* SelectStream(AVMediaType AType, int AStreamIndex);
  bool IsStreamOfType(int AStreamIndex, AVMediaType AType);
  // The one place where a name is opened into the context.
  int OpenInput(AVFormatContext*& AContext, const TPathFileName& AFileName,
                const AVInputFormat* AFormat);

  AVFormatContext* FFileHandle = nullptr;
  // The I/O context of a "unicode:" name; freed after the format context that reads it.
  TUnicodeIOPtr FUnicodeIO;
  // Holds FFileHandle when the probe opened it itself and must close it (FOwnHandle).
  TInputFormatPtr FOwnHandle;
  std::string FLastErrMsg;
  std::string FForceFormat;
  std::int64_t FFileSize = -1;
  int FStreamCount = -1;
  int FProgramCount = -1;
  int FAudioStreamCount = -1;
  int FVideoStreamCount = -1;
  int FSubtitleStreamCount = -1;
  int FFirstAudioStreamIndex = -1;
  int FFirstVideoStreamIndex = -1;
  int FFirstSubtitleStreamIndex = -1;
  bool FTriggerEventInMainThread = true;
  TBeforeFindStreamInfoEvent FOnBeforeFindStreamInfo;
};

// The probe the program places; frame decoding and seeking join it.
class TFFDecoder : public TCustomDecoder {
 public:
  using TCustomDecoder::TCustomDecoder;
};
