// The events of the encoder component: their handler types and the frame-hook record. They differ
// from the job's events of the same names, hence their own namespace.
#pragma once

#include <cstdint>
#include <functional>

#include "FFEncodeRecords.h"
#include "FFHeaders.h"
#include "TObject.h"

// A picture of the output frame hooks: four plane pointers and four line sizes.
struct TFrameHookInfo {
  int TaskIndex = 0;
  int FrameNumber = 0;
  std::uint8_t* Picture[4] = {};
  int LineSize[4] = {};
  AVPixelFormat PixFmt = AV_PIX_FMT_NONE;
  int Width = 0;
  int Height = 0;
  std::int64_t PTS = 0;
};
using PFrameHookInfo = TFrameHookInfo*;

namespace FFEncode {

using TProgressEvent = std::function<void(TObject* Sender, PProgressInfo AProgressInfo)>;
using TTerminateEvent = std::function<void(TObject* Sender, const TTerminateInfo& ATerminateInfo)>;
using TFrameHookEvent = std::function<void(TObject* Sender, PFrameHookInfo AHookInfo)>;
using TAudioHookEvent = std::function<void(TObject* Sender, int ATaskIndex, std::int64_t APTS,
                                           const std::uint8_t* ASample, int ASize, int ASampleRate,
                                           int AChannels, AVSampleFormat ASampleFormat)>;
// Sender is the task's job, not the component.
using TBeforeFindStreamInfoEvent =
    std::function<void(TObject* Sender, AVFormatContext* AFormatContext)>;

}  // namespace FFEncode
