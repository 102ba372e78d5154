// Operations on decoded audio samples: interleaving planar data and the volume per format.
#include "AudioSamples.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

template <typename T>
void ScaleEach(std::uint8_t* AData, int ASize, auto AScale) {
  for (int offset = 0; offset + static_cast<int>(sizeof(T)) <= ASize; offset += sizeof(T)) {
    T sample;
    std::memcpy(&sample, AData + offset, sizeof(T));
    sample = AScale(sample);
    std::memcpy(AData + offset, &sample, sizeof(T));
  }
}

template <typename T>
T ClipTo(std::int64_t AValue) {
  return static_cast<T>(std::clamp<std::int64_t>(AValue, std::numeric_limits<T>::min(),
                                                 std::numeric_limits<T>::max()));
}

// Interleaving with a fixed sample size, so that each sample is one move.
template <int Bytes>
void InterleaveFixed(const std::uint8_t* const* APlanes, int AChannels, int ASamples,
                     std::uint8_t* AOut) {
  for (int s = 0; s < ASamples; ++s)
    for (int c = 0; c < AChannels; ++c, AOut += Bytes)
      std::memcpy(AOut, APlanes[c] + static_cast<std::ptrdiff_t>(s) * Bytes, Bytes);
}

}  // namespace

void InterleaveSamples(const std::uint8_t* const* APlanes, int AChannels, int ASamples,
                       int ABytesPerSample, std::uint8_t* AOut) {
  switch (ABytesPerSample) {
    case 1:
      return InterleaveFixed<1>(APlanes, AChannels, ASamples, AOut);
    case 2:
      return InterleaveFixed<2>(APlanes, AChannels, ASamples, AOut);
    case 4:
      return InterleaveFixed<4>(APlanes, AChannels, ASamples, AOut);
    case 8:
      return InterleaveFixed<8>(APlanes, AChannels, ASamples, AOut);
    default:
      for (int s = 0; s < ASamples; ++s)
        for (int c = 0; c < AChannels; ++c, AOut += ABytesPerSample)
          std::memcpy(AOut, APlanes[c] + static_cast<std::ptrdiff_t>(s) * ABytesPerSample,
                      ABytesPerSample);
  }
}

void ApplyVolume(std::uint8_t* AData, int ASize, AVSampleFormat AFormat, int AVolume) {
  if (AVolume == 256) return;
  const std::int64_t v = AVolume;
  switch (AFormat) {
    case AV_SAMPLE_FMT_U8:
      ScaleEach<std::uint8_t>(AData, ASize, [v](std::uint8_t s) {
        return static_cast<std::uint8_t>(
            std::clamp<std::int64_t>((((s - 128) * v + 128) >> 8) + 128, 0, 255));
      });
      break;
    case AV_SAMPLE_FMT_S16:
      ScaleEach<std::int16_t>(
          AData, ASize, [v](std::int16_t s) { return ClipTo<std::int16_t>((s * v + 128) >> 8); });
      break;
    case AV_SAMPLE_FMT_S32:
      ScaleEach<std::int32_t>(
          AData, ASize, [v](std::int32_t s) { return ClipTo<std::int32_t>((s * v + 128) >> 8); });
      break;
    case AV_SAMPLE_FMT_FLT:
      ScaleEach<float>(AData, ASize, [v](float s) { return static_cast<float>(s * v / 256.0); });
      break;
    case AV_SAMPLE_FMT_DBL:
      ScaleEach<double>(AData, ASize, [v](double s) { return s * v / 256.0; });
      break;
    default:
      break;  // planar data is interleaved before it gets here
  }
}
