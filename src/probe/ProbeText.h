// Pure text helpers of the media probe's report: sizes, times, rates, dates and tag names.
#pragma once

#include <cstdint>
#include <string>

// "%.2f GB", "%.2f MB", "%.2f KB" above 1 GiB, 1 MiB, 1 KiB; else "%d Byte" (negative too).
std::string FormatFileSize(std::int64_t ASize);
// "hh:mm:ss.mmm" of a time in microseconds; "N/A" for the library's no-value constant.
std::string FormatTimeText(std::int64_t ATime);
// ", 29.97 fps", ", 25 fps", ", 90k tbn": the rate rounded to hundredths, written with the
// fewest digits that show it.
std::string FormatRateSuffix(double ARate, const char* AUnit);
// "%d.%.6d" of a time in microseconds: whole seconds, then the microseconds; a negative time is
// written with one leading minus sign ("-0.023220").
std::string FormatSecondsText(std::int64_t ATime);
// "yyyy-mm-dd hh:nn:ss" of seconds since 1970-01-01 UTC shifted by AOffset seconds.
std::string FormatDateTimeText(std::int64_t ASeconds, std::int64_t AOffset);
// The local time zone's standard offset from UTC in seconds (daylight saving not applied).
std::int64_t LocalStandardOffset();
// The generic name of a native tag key ("WM/AlbumTitle" -> "album"); other keys unchanged.
std::string MetadataKeyAliases(const std::string& AKey);
// A tag text as an integer: optional blanks, an optional sign and decimal digits, nothing
// after them; 0 otherwise.
int TagToInt(const std::string& AText);

// The user's decimal separator (the C library's locale of the user's environment, read once;
// "." when it has none).
const std::string& UserDecimalSeparator();
// printf of one floating-point conversion in the C locale, its decimal point then replaced by
// the user's decimal separator.
std::string FormatDecimal(const char* AFormat, double AValue);
