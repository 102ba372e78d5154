// Local date-times of the records (days since 1899-12-30) and their Unix time.
#include "FFEncodeTime.h"

#include <chrono>
#include <cmath>
#include <ctime>

std::int64_t LocalDateTimeToUnixTime(TDateTime ATime, std::int64_t AStandardOffset) {
  return std::llround((ATime - cUnixDateDelta) * 86400.0 - static_cast<double>(AStandardOffset));
}

TDateTime LocalNow() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(now);
  std::tm local{};
  ::localtime_r(&seconds, &local);
  // The local wall-clock time counted as if it were UTC gives the days since 1970 directly.
  const auto date = sys_days(year_month_day(year(local.tm_year + 1900),
                                            month(static_cast<unsigned>(local.tm_mon + 1)),
                                            day(static_cast<unsigned>(local.tm_mday))));
  const double fraction = duration<double>(now - system_clock::from_time_t(seconds)).count();
  const double secondOfDay = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction;
  return static_cast<double>(date.time_since_epoch().count()) + cUnixDateDelta +
         secondOfDay / 86400.0;
}
