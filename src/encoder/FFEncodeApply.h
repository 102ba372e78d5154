// Carries out the option steps of a record on a conversion job.
#pragma once

#include <vector>

#include "FFEncodeOptions.h"
#include "FFmpegJob.h"

// Option calls go to the option's handler, generic calls to the job's option store (result
// ignored), field assignments to the job field, metadata entries into the output's pending
// metadata (replacing an entry of the same key). Handler errors propagate.
void ApplyOptionSteps(TCustomFFmpeg& AJob, const std::vector<TOptionStep>& ASteps);
