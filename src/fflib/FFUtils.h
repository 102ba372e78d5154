// Library utilities of the engine: texts of FFmpeg error codes and the generic option store.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "FFOwners.h"

// One row of the error-text table.
struct TErrorText {
  int Code;
  const char* Text;
};
// A code that shares the row (and text) of another code.
struct TErrorAlias {
  int Code;
  int SharedCode;
};

std::span<const TErrorText> ErrorTextTable();
std::span<const TErrorAlias> ErrorAliasTable();

// The text of an FFmpeg error code; a code not in the table gives "Error number %d occurred".
std::string ErrorCodeText(int ACode);
// AName, ": " and the text of the code.
std::string ffmpeg_error_text(const std::string& AName, int ACode);

// The message of the last generic option the store rejected (process-wide, empty at start).
std::string LastOptionError();
void SetLastOptionError(const std::string& AValue);

// Codec option sets are indexed by media type: video 0, audio 1, data 2, subtitle 3,
// attachment 4.
constexpr int CodecOptionSetCount = AVMEDIA_TYPE_NB;

// The generic option store: option names the engine does not know itself are checked against the
// libraries' AVOptions (codecs, formats, the scaler), remembered, and handed to the contexts that
// the next input or output file creates.
struct TFFOptions {
  std::vector<std::string> opt_names;
  std::vector<std::string> opt_values;
  TCodecContextPtr avcodec_opts[CodecOptionSetCount];
  TFormatContextPtr avformat_opts;
  TSwsContextPtr sws_opts;
  TDictionaryPtr format_opts;
  TDictionaryPtr video_opts;
  TDictionaryPtr audio_opts;
  TDictionaryPtr sub_opts;

  int opt_name_count() const { return static_cast<int>(opt_names.size()); }
  // Whether init_option_sets created every set.
  bool Initialized() const;

  // Frees everything, then creates the option sets with the libraries' defaults.
  void init_option_sets(int AScalerFlags);
  void free_option_sets();

  // First stage: validates the option on the option sets (or finds it as a private option of
  // some codec, muxer, demuxer or protocol) and records it. False when rejected; the message is
  // logged at error level and kept in LastOptionError.
  bool set_generic_option(const std::string& AName, const std::string& AValue);
  // Second stage: files the option into the dictionary of its kind.
  bool record_generic_option(const std::string& AName, const std::string& AValue);

  // Applies the recorded options to a new codec context (opened for ACodec, which may be null)
  // from the given codec option set: the set's values of options carrying every bit of AFlags,
  // and the recorded values on the context's private options.
  void apply_option_sets(AVCodecContext* AContext, const AVCodecContext* ASet, int AFlags,
                         const AVCodec* ACodec) const;
  // The same for a format context, from the format option set.
  void apply_option_sets(AVFormatContext* AContext, int AFlags) const;

  // The options to pass to avformat_open_input: recorded format options that are not options of
  // the format context itself (demuxer private and protocol options, whose objects exist only
  // inside the open). What the open leaves in the dictionary was taken by nobody.
  TDictionaryPtr input_open_options() const;
};
