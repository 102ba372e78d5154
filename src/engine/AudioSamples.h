// Operations on decoded audio samples: interleaving planar data and the volume per format.
#pragma once

#include <cstdint>

#include "FFHeaders.h"

// Writes ASamples samples of AChannels planes (ABytesPerSample each) interleaved into AOut.
void InterleaveSamples(const std::uint8_t* const* APlanes, int AChannels, int ASamples,
                       int ABytesPerSample, std::uint8_t* AOut);

// Scales ASize bytes of packed samples of AFormat by AVolume / 256 (256 leaves them as they
// are). Integer formats are clipped to their range: s16 as (s * volume + 128) >> 8, u8 around
// its centre 128, s32 in 64-bit arithmetic; float formats are scaled.
void ApplyVolume(std::uint8_t* AData, int ASize, AVSampleFormat AFormat, int AVolume);
