// Codec lookup: the encoder alias table and the messages of a failed lookup.
#include "FindCodec.h"

#include "FFLoad.h"
#include "FFLog.h"
#include "TextFormat.h"

namespace {

// libfaac is in no current FFmpeg; an FFmpeg without opencore-amr has no AMR-NB encoder, and
// the 3GP and 3G2 muxers take AAC at the same rates.
constexpr TEncoderAlias Aliases[] = {
    {"libfaac", "aac"},
    {"libopencore_amrnb", "aac"},
};

const AVCodec* FindByName(const std::string& AName, bool AEncoder) {
  return AEncoder ? FF.avcodec_find_encoder_by_name(AName.c_str())
                  : FF.avcodec_find_decoder_by_name(AName.c_str());
}

const AVCodec* FindAlias(TObject* ASender, const std::string& AName) {
  for (const TEncoderAlias& alias : Aliases) {
    if (AName != alias.Name) continue;
    const AVCodec* codec = FF.avcodec_find_encoder_by_name(alias.Replacement);
    if (codec)
      GetLogger().Log(ASender, llInfo, "Encoder '%s' is not available, using encoder '%s'",
                      alias.Name, alias.Replacement);
    return codec;
  }
  return nullptr;
}

}  // namespace

std::span<const TEncoderAlias> EncoderAliases() {
  return Aliases;
}

TFoundCodec find_codec(TObject* ASender, const std::string& AName, AVMediaType AType, bool AEncoder,
                       int AStrict) {
  TFoundCodec result;
  if (AName.empty()) {
    result.Found = true;
    return result;
  }
  const char* word = AEncoder ? "encoder" : "decoder";
  const AVCodec* codec = FindByName(AName, AEncoder);
  if (!codec && AEncoder) codec = FindAlias(ASender, AName);
  if (!codec) {
    result.ErrMsg = Format("Unknown %s '%s'", word, AName.c_str());
    return result;
  }
  if (codec->type != AType) {
    result.ErrMsg = Format("Invalid %s type '%s'", word, AName.c_str());
    return result;
  }
  if ((codec->capabilities & AV_CODEC_CAP_EXPERIMENTAL) && AStrict > FF_COMPLIANCE_EXPERIMENTAL) {
    result.ErrMsg = Format(
        "%s '%s' is experimental and might produce bad results.\r\nAdd '-strict experimental' "
        "if you want to use it.",
        word, codec->name);
    const AVCodec* other =
        AEncoder ? FF.avcodec_find_encoder(codec->id) : FF.avcodec_find_decoder(codec->id);
    if (other && !(other->capabilities & AV_CODEC_CAP_EXPERIMENTAL))
      result.ErrMsg += Format("\r\nOr use the non experimental %s '%s'.", word, other->name);
    return result;
  }
  result.Found = true;
  result.Id = codec->id;
  result.Codec = codec;
  return result;
}
