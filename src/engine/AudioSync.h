// Audio sync decisions: how far the output lags the input clock and what to do about it, and
// the key of a sample-format pair.
#pragma once

#include <cstdint>

enum TAudioSyncAction {
  saNone,        // within tolerance
  saCompensate,  // the resampler absorbs Compensation samples over one second
  saDrop,        // drop the first DropBytes bytes of the chunk
  saSilence,     // insert SilenceBytes bytes of silence before the chunk
};

struct TAudioSyncInput {
  int Method;             // audio sync method, not 0
  double SyncTime;        // seconds of the sync clock, start time removed
  std::int64_t SyncOpts;  // samples already given to the encoder
  int FifoSamples;        // samples waiting in the FIFO
  int EncRate;            // encoder sample rate
  int DecRate;            // decoder sample rate
  int DecChannels;        // decoder channels
  int DecBytesPerSample;  // bytes of one decoded sample of one channel
  bool IsStart;           // first chunk of the stream
  double DriftThreshold;  // seconds
  int ChunkBytes;         // size of the decoded chunk
};

struct TAudioSyncDecision {
  TAudioSyncAction Action;
  double Delta;      // samples the output lags behind the input clock
  int Compensation;  // saCompensate
  int DropBytes;     // saDrop: at most ChunkBytes
  int SilenceBytes;  // saSilence
};

TAudioSyncDecision AudioSyncDecision(const TAudioSyncInput& AIn);

// Sync method 0: the encoder's sample count follows the sync clock.
std::int64_t AudioSyncOpts(double ASyncTime, int AEncRate, int AFifoSamples);

// The key of a (encoder, decoder) sample-format pair, unique over all formats.
int ReformatPair(int AEncoderFormat, int ADecoderFormat);
