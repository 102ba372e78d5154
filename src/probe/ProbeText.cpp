// Pure text helpers of the media probe's report: sizes, times, rates, dates and tag names.
#include "ProbeText.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <iterator>

#include "TextFormat.h"

namespace {

constexpr std::int64_t NoValue = INT64_MIN;  // the libraries' AV_NOPTS_VALUE

struct TKeyAlias {
  const char* Native;
  const char* Generic;
};

// Native tag keys of the container families and their generic names; the first match wins.
constexpr TKeyAlias KeyAliases[] = {
    {"LEAD_PERFORMER", "performer"},
    {"TPE3", "performer"},
    {"TP3", "performer"},
    {"PART_NUMBER", "track"},
    {"TRACKNUMBER", "track"},
    {"WM/TrackNumber", "track"},
    {"WM/Track", "track"},
    {"IPRT", "track"},
    {"TRCK", "track"},
    {"TRK", "track"},
    {"ALBUMARTIST", "album_artist"},
    {"WM/AlbumArtist", "album_artist"},
    {"TPE2", "album_artist"},
    {"TP2", "album_artist"},
    {"DISCNUMBER", "disc"},
    {"WM/PartOfSet", "disc"},
    {"TPOS", "disc"},
    {"Author", "artist"},
    {"IART", "artist"},
    {"TPE1", "artist"},
    {"TP1", "artist"},
    {"X-CreationTime", "date"},
    {"CreationTime", "date"},
    {"ICRD", "date"},
    {"TDRL", "date"},
    {"TDRC", "date"},
    {"SourceFilename", "filename"},
    {"WM/OriginalFilename", "filename"},
    {"X-Language", "language"},
    {"WM/Language", "language"},
    {"ILNG", "language"},
    {"TLAN", "language"},
    {"X-Disposition", "disposition"},
    {"X-Replaces", "replaces"},
    {"X-Depends", "depends"},
    {"X-Uses", "uses"},
    {"X-UsesFont", "usesfont"},
    {"WM/AlbumTitle", "album"},
    {"IPRD", "album"},
    {"TALB", "album"},
    {"TAL", "album"},
    {"Description", "comment"},
    {"ICMT", "comment"},
    {"WM/Composer", "composer"},
    {"TCOM", "composer"},
    {"WM/EncodedBy", "encoded_by"},
    {"ITCH", "encoded_by"},
    {"TENC", "encoded_by"},
    {"TEN", "encoded_by"},
    {"WM/EncodingSettings", "encoder"},
    {"WM/Tool", "encoder"},
    {"ISFT", "encoder"},
    {"TSSE", "encoder"},
    {"WM/Genre", "genre"},
    {"IGNR", "genre"},
    {"TCON", "genre"},
    {"TCO", "genre"},
    {"WM/Publisher", "publisher"},
    {"TPUB", "publisher"},
    {"WM/MediaStationCallSign", "service_provider"},
    {"WM/MediaStationName", "service_name"},
    {"ICOP", "copyright"},
    {"TCOP", "copyright"},
    {"INAM", "title"},
    {"strn", "title"},
    {"TIT2", "title"},
    {"TT2", "title"},
    {"TDEN", "creation_time"},
    {"TSOA", "album-sort"},
    {"TSOP", "artist-sort"},
    {"TSOT", "title-sort"},
};
// 71 keys; a second "Author" row (also "artist") would never be reached and is left out.
static_assert(std::size(KeyAliases) == 71);

std::string ReadUserDecimalSeparator() {
  locale_t user = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
  if (user == static_cast<locale_t>(0)) return ".";
  const char* point = ::nl_langinfo_l(RADIXCHAR, user);
  std::string result = point && *point ? point : ".";
  ::freelocale(user);
  return result;
}

// Splits a time in microseconds into sign, whole seconds and the microseconds left over,
// without overflow for any 64-bit value.
struct TSplitTime {
  bool Negative;
  std::uint64_t Seconds;
  std::uint64_t Micros;
};
TSplitTime SplitTime(std::int64_t ATime) {
  bool negative = ATime < 0;
  std::uint64_t magnitude =
      negative ? ~static_cast<std::uint64_t>(ATime) + 1 : static_cast<std::uint64_t>(ATime);
  return {negative, magnitude / 1000000, magnitude % 1000000};
}

}  // namespace

const std::string& UserDecimalSeparator() {
  static const std::string separator = ReadUserDecimalSeparator();
  return separator;
}

std::string FormatDecimal(const char* AFormat, double AValue) {
  static const locale_t cLocale = ::newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
  locale_t previous = ::uselocale(cLocale);
  char text[64];
  int n = std::snprintf(text, sizeof text, AFormat, AValue);
  ::uselocale(previous);
  std::string result(text, n < 0 ? 0 : std::min<std::size_t>(n, sizeof text - 1));
  if (auto pos = result.find('.'); pos != std::string::npos)
    result.replace(pos, 1, UserDecimalSeparator());
  return result;
}

std::string FormatFileSize(std::int64_t ASize) {
  constexpr std::int64_t KB = 1024, MB = 1024 * KB, GB = 1024 * MB;
  if (ASize > GB) return FormatDecimal("%.2f", static_cast<double>(ASize) / GB) + " GB";
  if (ASize > MB) return FormatDecimal("%.2f", static_cast<double>(ASize) / MB) + " MB";
  if (ASize > KB) return FormatDecimal("%.2f", static_cast<double>(ASize) / KB) + " KB";
  return Format("%lld Byte", static_cast<long long>(ASize));
}

std::string FormatTimeText(std::int64_t ATime) {
  if (ATime == NoValue) return "N/A";
  std::int64_t seconds = ATime / 1000000;
  std::int64_t hours = seconds / 60 / 60;
  std::int64_t minutes = (seconds / 60) % 60;
  std::int64_t millis = (ATime % 1000000) * 1000 / 1000000;
  return Format("%.2lld:%.2lld:%.2lld.%.3lld", static_cast<long long>(hours),
                static_cast<long long>(minutes), static_cast<long long>(seconds % 60),
                static_cast<long long>(millis));
}

std::string FormatRateSuffix(double ARate, const char* AUnit) {
  // Halves go to the even neighbour: the rounding mode is round-to-nearest.
  double v = std::nearbyint(ARate * 100);
  if (std::fmod(v, 100) != 0) return ", " + FormatDecimal("%3.2f", ARate) + " " + AUnit;
  if (std::fmod(v, 100000) != 0) return ", " + FormatDecimal("%1.0f", ARate) + " " + AUnit;
  return ", " + FormatDecimal("%1.0f", ARate / 1000) + "k " + AUnit;
}

std::string FormatSecondsText(std::int64_t ATime) {
  TSplitTime t = SplitTime(ATime);
  return Format("%s%llu.%.6llu", t.Negative ? "-" : "", static_cast<unsigned long long>(t.Seconds),
                static_cast<unsigned long long>(t.Micros));
}

std::string FormatDateTimeText(std::int64_t ASeconds, std::int64_t AOffset) {
  std::time_t t = static_cast<std::time_t>(ASeconds + AOffset);
  std::tm parts{};
  if (!::gmtime_r(&t, &parts)) return std::string();
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
  return text;
}

std::int64_t LocalStandardOffset() {
  ::tzset();
  return -static_cast<std::int64_t>(::timezone);  // timezone: seconds west of UTC, standard time
}

std::string MetadataKeyAliases(const std::string& AKey) {
  for (const TKeyAlias& alias : KeyAliases)
    if (AKey == alias.Native) return alias.Generic;
  return AKey;
}

int TagToInt(const std::string& AText) {
  std::size_t i = AText.find_first_not_of(' ');
  if (i == std::string::npos) return 0;
  bool negative = AText[i] == '-';
  if (AText[i] == '-' || AText[i] == '+') ++i;
  if (i == AText.size()) return 0;
  long long value = 0;
  for (; i < AText.size(); ++i) {
    if (AText[i] < '0' || AText[i] > '9') return 0;
    value = value * 10 + (AText[i] - '0');
    if (value > INT32_MAX + 1LL) return 0;
  }
  if (negative) value = -value;
  return value < INT32_MIN || value > INT32_MAX ? 0 : static_cast<int>(value);
}
