// Value kinds of the option vocabulary: pure conversions from option text.
#include "FFmpegValues.h"

#include <langinfo.h>
#include <locale.h>

#include <cctype>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "TextFormat.h"

namespace {

bool IsBlank(unsigned char c) {
  return c <= ' ';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Digits of the given base up to the end of the text; false on an empty or bad digit run or
// when the magnitude exceeds ALimit.
bool ReadMagnitude(const char* p, const char* end, int ABase, std::uint64_t ALimit,
                   std::uint64_t& AResult) {
  if (p == end) return false;
  std::uint64_t value = 0;
  for (; p != end; ++p) {
    const int d = ABase == 16 ? HexDigit(*p) : (*p >= '0' && *p <= '9' ? *p - '0' : -1);
    if (d < 0) return false;
    if (value > (ALimit - d) / ABase) return false;
    value = value * ABase + d;
  }
  AResult = value;
  return true;
}

bool TryStrToSigned(const std::string& AValue, std::int64_t AMin, std::int64_t AMax,
                    std::int64_t& AResult) {
  const char* p = AValue.c_str();
  const char* end = p + AValue.size();
  while (p != end && *p == ' ') ++p;
  bool negative = false;
  if (p != end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  int base = 10;
  if (p != end && *p == '$') {
    base = 16;
    ++p;
  } else if (p != end && (*p == 'x' || *p == 'X')) {
    base = 16;
    ++p;
  } else if (end - p > 1 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    base = 16;
    p += 2;
  }
  const std::uint64_t limit =
      negative ? static_cast<std::uint64_t>(-(AMin + 1)) + 1 : static_cast<std::uint64_t>(AMax);
  std::uint64_t magnitude = 0;
  if (!ReadMagnitude(p, end, base, limit, magnitude)) return false;
  AResult =
      negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
  return true;
}

[[noreturn]] void RaiseInteger(const std::string& AValue) {
  throw EConvertError(Format("'%s' is not a valid integer value", AValue.c_str()));
}

// C strtol with automatic base, limited to 32 bits as the C library of the original platform.
int ReadNumber(const char*& p) {
  char* end = nullptr;
  const long value = std::strtol(p, &end, 0);
  p = end;
  return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

void SkipOne(const char*& p) {
  if (*p) ++p;
}

// A metadata type specifier: absent (global), or "," and a type character.
void ReadMetadataType(const char*& p, TAVMetaDataMap& ASide) {
  ASide.type_ = 'g';
  ASide.index = 0;
  if (*p != ',') return;
  ++p;
  ASide.type_ = *p;
  switch (*p) {
    case 'g':
      ++p;
      return;
    case 's':
    case 'c':
    case 'p':
      ++p;
      ASide.index = ReadNumber(p);
      return;
    default:
      throw FFmpegException(
          Format("Invalid metadata type %s.", std::string(p, *p ? 1 : 0).c_str()));
  }
}

}  // namespace

bool ParseFlag(const std::string& AValue) {
  return AValue != "0";
}

bool TryStrToInt64(const std::string& AValue, std::int64_t& AResult) {
  return TryStrToSigned(AValue, INT64_MIN, INT64_MAX, AResult);
}

bool TryStrToInt(const std::string& AValue, int& AResult) {
  std::int64_t v = 0;
  if (!TryStrToSigned(AValue, INT_MIN, INT_MAX, v)) return false;
  AResult = static_cast<int>(v);
  return true;
}

std::int64_t StrToInt64(const std::string& AValue) {
  std::int64_t v = 0;
  if (!TryStrToInt64(AValue, v)) RaiseInteger(AValue);
  return v;
}

int StrToInt(const std::string& AValue) {
  int v = 0;
  if (!TryStrToInt(AValue, v)) RaiseInteger(AValue);
  return v;
}

bool TryStrToDecimal(const std::string& AValue, char ASeparator, double& AResult) {
  std::string text = TrimText(AValue);
  // The grammar with the given separator: [sign] digits [sep digits] [e [sign] digits], with at
  // least one digit in the mantissa; rewritten with "." for the locale-free converter.
  std::string canonical;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) canonical += text[i++];
  int mantissaDigits = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]));
       ++i, ++mantissaDigits)
    canonical += text[i];
  if (i < text.size() && text[i] == ASeparator) {
    canonical += '.';
    for (++i; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]));
         ++i, ++mantissaDigits)
      canonical += text[i];
  }
  if (mantissaDigits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    canonical += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) canonical += text[i++];
    int exponentDigits = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]));
         ++i, ++exponentDigits)
      canonical += text[i];
    if (exponentDigits == 0) return false;
  }
  if (i != text.size()) return false;
  const char* first = canonical.c_str();
  if (*first == '+') ++first;
  double value = 0;
  const auto [end, ec] = std::from_chars(first, canonical.c_str() + canonical.size(), value);
  if (ec != std::errc() || end != canonical.c_str() + canonical.size()) return false;
  AResult = value;
  return true;
}

double StrToDecimal(const std::string& AValue, char ASeparator) {
  double v = 0;
  if (!TryStrToDecimal(AValue, ASeparator, v))
    throw EConvertError(Format("'%s' is not a valid floating point value", AValue.c_str()));
  return v;
}

char UserDecimalSeparator() {
  static const char separator = [] {
    char result = '.';
    if (locale_t user = newlocale(LC_NUMERIC_MASK, "", nullptr)) {
      const char* radix = nl_langinfo_l(RADIXCHAR, user);
      if (radix && radix[0] && !radix[1]) result = radix[0];
      freelocale(user);
    }
    return result;
  }();
  return separator;
}

TAVStreamMap ParseStreamMap(const std::string& AValue) {
  const char* p = AValue.c_str();
  TAVStreamMap m{};
  m.file_index = ReadNumber(p);
  SkipOne(p);
  m.stream_index = ReadNumber(p);
  if (*p) {
    SkipOne(p);
    m.sync_file_index = ReadNumber(p);
    SkipOne(p);
    m.sync_stream_index = ReadNumber(p);
  } else {
    m.sync_file_index = m.file_index;
    m.sync_stream_index = m.stream_index;
  }
  return m;
}

TAVMetaDataMapPair ParseMetadataMap(const std::string& AValue) {
  const char* p = AValue.c_str();
  TAVMetaDataMapPair pair{};
  pair[0].file_idx = ReadNumber(p);
  ReadMetadataType(p, pair[0]);
  SkipOne(p);
  pair[1].file_idx = ReadNumber(p);
  ReadMetadataType(p, pair[1]);
  return pair;
}

TAVChapterMap ParseChapterMap(const std::string& AValue) {
  const char* p = AValue.c_str();
  TAVChapterMap m{};
  m.out_file = ReadNumber(p);
  SkipOne(p);
  m.in_file = ReadNumber(p);
  return m;
}

TStreamScale ParseStreamScale(const std::string& AValue) {
  const char* p = AValue.c_str();
  TStreamScale s{};
  s.index = ReadNumber(p);
  SkipOne(p);
  // strtod follows the C locale of the process; the option always uses ".", so the number is
  // read locale-free the same way strtod reads it in the "C" locale.
  char* end = nullptr;
  locale_t c = newlocale(LC_NUMERIC_MASK, "C", nullptr);
  s.scale = c ? strtod_l(p, &end, c) : std::strtod(p, &end);
  if (c) freelocale(c);
  return s;
}

float ParseAspectRatio(const std::string& AValue, char ASeparator) {
  const std::size_t colon = AValue.find(':');
  if (colon != std::string::npos) {
    int x = 0;
    int y = 0;
    if (!TryStrToInt(AValue.substr(0, colon), x)) x = 0;
    if (!TryStrToInt(AValue.substr(colon + 1), y)) y = 0;
    return y > 0 ? static_cast<float>(static_cast<double>(x) / y) : 0.0f;
  }
  double ratio = 0;
  return TryStrToDecimal(AValue, ASeparator, ratio) ? static_cast<float>(ratio) : 0.0f;
}

std::vector<std::uint16_t> ParseMatrix(const std::string& AValue) {
  std::vector<std::uint16_t> matrix(64, 0);
  const char* p = AValue.c_str();
  for (int i = 0; i < 64; ++i) {
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    std::int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
      if (value < INT_MAX) value = value * 10 + (*p - '0');
    matrix[i] = static_cast<std::uint16_t>(negative ? -value : value);
    if (i == 63) break;
    const char* comma = std::strchr(p, ',');
    if (!comma)
      throw FFmpegException(Format("Syntax error in matrix \"%s\" at coeff %d", AValue.c_str(), i));
    p = comma + 1;
  }
  return matrix;
}

std::uint32_t ParseCodecTag(const std::string& AValue) {
  std::int64_t number = 0;
  if (TryStrToInt64(AValue, number)) return static_cast<std::uint32_t>(number);
  if (AValue.size() != 4) throw FFmpegException("tag parameter must be 4 chars or int value");
  const auto* b = reinterpret_cast<const unsigned char*>(AValue.data());
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

TTargetChoice SplitTarget(const std::string& AValue) {
  const std::string value = TrimText(AValue);
  static const char* const Norms[] = {"pal", "ntsc", "film"};
  for (const char* norm : Norms) {
    const std::string prefix = std::string(norm) + "-";
    if (value.compare(0, prefix.size(), prefix) == 0) return {value.substr(prefix.size()), norm};
  }
  return {value, "auto"};
}

std::pair<std::string, std::string> SplitMetadata(const std::string& AValue) {
  const std::size_t eq = AValue.find('=');
  if (eq == std::string::npos) throw FFmpegException("Missing =");
  if (eq == 0) throw FFmpegException("wrong parameter of metadata");
  return {AValue.substr(0, eq), AValue.substr(eq + 1)};
}

bool ParseStreamId(const std::string& AValue, int& AIndex, int& AStreamId) {
  const std::size_t colon = AValue.find(':');
  if (colon == std::string::npos) return false;
  int index = 0;
  int id = 0;
  if (!TryStrToInt(AValue.substr(0, colon), index) || !TryStrToInt(AValue.substr(colon + 1), id))
    return false;
  if (index < 0 || index >= MaxStreams) return false;
  AIndex = index;
  AStreamId = id;
  return true;
}

std::string TrimText(const std::string& AText) {
  std::size_t first = 0;
  std::size_t last = AText.size();
  while (first < last && IsBlank(AText[first])) ++first;
  while (last > first && IsBlank(AText[last - 1])) --last;
  return AText.substr(first, last - first);
}

std::string LowerCase(const std::string& AText) {
  std::string result = AText;
  for (char& c : result)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return result;
}
