// The texts a list row's Status cell shows when its request cannot be built or started.
#pragma once

#include <array>
#include <string_view>

// Why a row's request failed.
enum TRowFailure {
  rfAddTask,        // the input could not be added as a task
  rfNoAudio,        // the input has no audio stream
  rfBadNumber,      // a bit rate or sampling rate of the selections is not a number
  rfOutputIsInput,  // the output would overwrite the input being read
  rfSetOutputFile,  // the output could not be set
};

// Indexed by TRowFailure.
inline constexpr std::array<std::string_view, rfSetOutputFile + 1> cRowFailureStatus{
    "Fail", "Fail-This file has no audio", "Fail", "Fail", "Fail"};

constexpr std::string_view RowFailureStatus(TRowFailure AFailure) {
  return cRowFailureStatus[AFailure];
}

// Shown in a message box (caption "Information") when the probe cannot load the libraries; the
// batch then stops and no Status cell changes.
inline constexpr std::string_view cLibrariesMissingMessage =
    "Some files are missing. Please re-install this software";
