// Local date-times and their Unix time.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "FFEncodeTime.h"

namespace {

TEST(LocalDateTimeToUnixTime, AppliesTheStandardOffsetAndRounds) {
  struct TCase {
    TDateTime Time;
    std::int64_t Offset;
    std::int64_t Unix;
  };
  const TCase cases[] = {
      {25569.0, 0, 0},
      {45000.0, 0, 1678838400},       // 2023-03-15 00:00
      {25569.5, 3600, 39600},         // noon at UTC+1 is 11:00 UTC
      {25569.5, -18000, 61200},       // noon at UTC-5 is 17:00 UTC
      {25569.0 + 0.4 / 86400, 0, 0},  // to the nearest second
      {25569.0 + 0.6 / 86400, 0, 1},
      {25568.0, 0, -86400},  // before 1970
  };
  for (const TCase& c : cases)
    EXPECT_EQ(LocalDateTimeToUnixTime(c.Time, c.Offset), c.Unix) << c.Time << " " << c.Offset;
}

// Runs with the process's time zone set to AZone and restores the previous one.
class TZoneScope {
 public:
  explicit TZoneScope(const char* AZone) {
    if (const char* old = std::getenv("TZ")) FOld = old;
    ::setenv("TZ", AZone, 1);
    ::tzset();
  }
  ~TZoneScope() {
    if (FOld)
      ::setenv("TZ", FOld->c_str(), 1);
    else
      ::unsetenv("TZ");
    ::tzset();
  }

 private:
  std::optional<std::string> FOld;
};

// The wall-clock time of the zone, converted back with the zone's offset, is the system time.
TEST(LocalNow, IsTheWallClockOfTheTimeZone) {
  const std::pair<const char*, std::int64_t> zones[] = {
      {"UTC0", 0}, {"XYZ-3", 10800}, {"ABC+5:30", -19800}};
  for (const auto& [zone, offset] : zones) {
    TZoneScope scope(zone);
    const std::int64_t unix = LocalDateTimeToUnixTime(LocalNow(), offset);
    EXPECT_LE(std::llabs(unix - static_cast<std::int64_t>(std::time(nullptr))), 1) << zone;
  }
}

}  // namespace
