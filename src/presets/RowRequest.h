// The request of one list row from the selections, what the probe found and the row's paths, or
// the reason the row fails before the engine is asked.
#pragma once

#include <optional>
#include <string>

#include "FileSystem.h"
#include "PresetRequest.h"
#include "RowStatus.h"

// What the probe found in the row's input.
struct TProbeFacts {
  bool Opened = false;  // the probe could open the file
  int VideoWidth = -1;  // of the first video stream; -1 without one
  int VideoHeight = -1;
  bool HasAudio = false;
};

class TFFDecoder;

// Opens the input with the probe, reads the facts and closes it again.
TProbeFacts ProbeFactsOf(TFFDecoder& AProbe, const TPathFileName& AInput);

struct TRowRequest {
  std::optional<TRowFailure> Failure;  // the row's Status follows RowFailureStatus
  std::string FailureReason;           // why, for the row's tooltip
  TOutputOptions Options;              // the request when there is no failure
};

// In order: an opened input without audio fails ("Fail-This file has no audio"); the
// selections are collected (an unreadable number fails); an output path that names the input
// itself fails, so the input is never truncated. An input the probe could not open is converted
// at 640x480.
TRowRequest BuildRowRequest(const TPresetSelections& ASelections, const TProbeFacts& AProbe,
                            const TPathFileName& AInputPath, const TPathFileName& AOutputPath);
