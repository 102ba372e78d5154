// Audio sync decisions: how far the output lags the input clock and what to do about it, and
// the key of a sample-format pair.
#include "AudioSync.h"

#include <algorithm>
#include <cmath>

#include "FFHeaders.h"

TAudioSyncDecision AudioSyncDecision(const TAudioSyncInput& AIn) {
  TAudioSyncDecision d{saNone, 0.0, 0, 0, 0};
  d.Delta = AIn.SyncTime * AIn.EncRate - static_cast<double>(AIn.SyncOpts) - AIn.FifoSamples;
  const double idelta = d.Delta * AIn.DecRate / AIn.EncRate;
  // Whole decoded samples of every channel, in the decoder's real sample size.
  const std::int64_t byteDelta =
      static_cast<std::int64_t>(std::trunc(idelta)) * AIn.DecBytesPerSample * AIn.DecChannels;
  if (std::fabs(d.Delta) <= 50) return d;
  if (!AIn.IsStart && std::fabs(d.Delta) <= AIn.EncRate * AIn.DriftThreshold) {
    if (AIn.Method > 1) {
      d.Action = saCompensate;
      d.Compensation =
          static_cast<int>(std::clamp<double>(std::trunc(d.Delta), -AIn.Method, AIn.Method));
    }
    return d;
  }
  if (byteDelta < 0) {
    d.Action = saDrop;
    d.DropBytes = static_cast<int>(std::min<std::int64_t>(-byteDelta, AIn.ChunkBytes));
  } else {
    d.Action = saSilence;
    d.SilenceBytes = static_cast<int>(byteDelta);
  }
  return d;
}

std::int64_t AudioSyncOpts(double ASyncTime, int AEncRate, int AFifoSamples) {
  return std::llrint(ASyncTime * AEncRate) - AFifoSamples;
}

int ReformatPair(int AEncoderFormat, int ADecoderFormat) {
  return AEncoderFormat + AV_SAMPLE_FMT_NB * ADecoderFormat;
}
