// Local date-times of the records (days since 1899-12-30) and their Unix time.
#pragma once

#include <cstdint>

#include "FFEncodeRecords.h"

// Days between 1899-12-30 and 1970-01-01.
inline constexpr double cUnixDateDelta = 25569.0;

// Seconds since 1970-01-01 UTC of a local date-time, rounded to the nearest second; the local
// standard offset (local = UTC + offset seconds) is applied, daylight saving is not.
std::int64_t LocalDateTimeToUnixTime(TDateTime ATime, std::int64_t AStandardOffset);

// The current local time (daylight saving included, as the desktop clock shows it).
TDateTime LocalNow();
