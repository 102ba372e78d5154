// Value kinds of the option vocabulary: numbers, maps, matrices, tags, targets and metadata.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "FFmpegTables.h"

// "flag": false exactly for "0".
bool ParseFlag(const std::string& AValue);

// "integer" and "Int64": optional leading blanks and sign, then decimal digits, or hexadecimal
// digits after "$", "x" or "0x". The Try forms answer false, the others raise EConvertError.
bool TryStrToInt64(const std::string& AValue, std::int64_t& AResult);
bool TryStrToInt(const std::string& AValue, int& AResult);
std::int64_t StrToInt64(const std::string& AValue);
int StrToInt(const std::string& AValue);

// "decimal": a floating-point number written with the given decimal separator, with optional
// blanks around it, sign and exponent.
bool TryStrToDecimal(const std::string& AValue, char ASeparator, double& AResult);
double StrToDecimal(const std::string& AValue, char ASeparator);
// The decimal separator of the user's locale settings, read once.
char UserDecimalSeparator();

// Structured values read with the C library's strtol (automatic base) and strtod.
TAVStreamMap ParseStreamMap(const std::string& AValue);
// Raises FFmpegException "Invalid metadata type %s." for an unknown type character.
TAVMetaDataMapPair ParseMetadataMap(const std::string& AValue);
TAVChapterMap ParseChapterMap(const std::string& AValue);
struct TStreamScale {
  int index;
  double scale;
};
TStreamScale ParseStreamScale(const std::string& AValue);

// "aspect": x ":" y or a decimal; 0 when unusable.
float ParseAspectRatio(const std::string& AValue, char ASeparator);

// 64 integers separated by ","; raises "Syntax error in matrix "%s" at coeff %d".
std::vector<std::uint16_t> ParseMatrix(const std::string& AValue);

// An integer or four characters (first in the lowest byte); raises
// "tag parameter must be 4 chars or int value".
std::uint32_t ParseCodecTag(const std::string& AValue);

// "target": [pal-|ntsc-|film-]type; the norm is "auto" without a prefix.
struct TTargetChoice {
  std::string Type;
  std::string Norm;
};
TTargetChoice SplitTarget(const std::string& AValue);

// "metadata": key "=" value; raises "Missing =" and "wrong parameter of metadata".
std::pair<std::string, std::string> SplitMetadata(const std::string& AValue);

// "streamid": "index:value"; false when the syntax is wrong or the index is out of 0..1023.
bool ParseStreamId(const std::string& AValue, int& AIndex, int& AStreamId);

// The highest stream index a per-stream table of an input or output may have, plus one.
constexpr int MaxStreams = 1024;

// Characters with code 32 or below removed at both ends.
std::string TrimText(const std::string& AText);
std::string LowerCase(const std::string& AText);
