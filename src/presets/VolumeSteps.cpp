// The volume track bar: label and engine volume of each of its eleven positions.
#include "VolumeSteps.h"

#include <algorithm>
#include <array>

namespace {
constexpr std::array<TVolumeStep, cVolumeMaxPosition + 1> cVolumeSteps{{
    {"0%", 1},
    {"20%", 50},
    {"40%", 100},
    {"60%", 150},
    {"80%", 200},
    {"100%", 255},
    {"120%", 300},
    {"140%", 350},
    {"160%", 400},
    {"180%", 450},
    {"200%", 600},
}};
}  // namespace

TVolumeStep VolumeStepOf(int APosition) {
  return cVolumeSteps[static_cast<std::size_t>(
      std::clamp(APosition, cVolumeMinPosition, cVolumeMaxPosition))];
}
