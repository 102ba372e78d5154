// The volume track bar: label and engine volume of each of its eleven positions.
#pragma once

#include <cstdint>
#include <string_view>

inline constexpr int cVolumeMinPosition = 0;
inline constexpr int cVolumeMaxPosition = 10;
inline constexpr int cVolumeStartPosition = 5;  // "100%", volume 255

struct TVolumeStep {
  std::string_view Label;    // shown by the volume label, e.g. "100%"
  std::int32_t VolumeLevel;  // the engine's audio volume (256 would leave samples unchanged)
};

// The step of a track-bar position; positions outside 0..10 are taken as the nearest end.
TVolumeStep VolumeStepOf(int APosition);
