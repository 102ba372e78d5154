// Codec lookup by name with the experimental-codec rule and aliases for encoders a build lacks.
#pragma once

#include <span>
#include <string>

#include "FFHeaders.h"
#include "TObject.h"

// An encoder name that current libraries do not offer, and the encoder used in its place.
struct TEncoderAlias {
  const char* Name;
  const char* Replacement;
};
std::span<const TEncoderAlias> EncoderAliases();

struct TFoundCodec {
  bool Found = false;
  AVCodecID Id = AV_CODEC_ID_NONE;
  const AVCodec* Codec = nullptr;  // null for an empty name
  std::string ErrMsg;              // why it failed
};

// Looks up the encoder (AEncoder) or decoder of that name for the media kind. An empty name
// succeeds with id 0. An encoder name the libraries lack is replaced by its alias (logged at
// llInfo for ASender). An experimental codec needs AStrict <= FF_COMPLIANCE_EXPERIMENTAL.
TFoundCodec find_codec(TObject* ASender, const std::string& AName, AVMediaType AType, bool AEncoder,
                       int AStrict);
