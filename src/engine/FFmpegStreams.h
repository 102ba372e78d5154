// Output stream records: creation of the record of one stream of one output slot.
#pragma once

#include "FFmpegJob.h"
#include "FFmpegOutputStream.h"

// A zeroed record for stream AIndex of slot ASlot (the slot's table grows to hold it), with its
// slot, index and the scaler flags of the generic scaler option set.
TAVOutputStream& NewOutputRecord(TCustomFFmpeg& AJob, int ASlot, int AIndex);
