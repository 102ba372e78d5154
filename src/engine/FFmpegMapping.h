// Automatic and explicit stream mapping as a pure function over descriptions of the streams.
#pragma once

#include <string>
#include <vector>

#include "FFHeaders.h"
#include "FFmpegTables.h"

// What the mapping needs to know of one input stream.
struct TMapInputStream {
  AVMediaType Kind = AVMEDIA_TYPE_UNKNOWN;
  int FileIndex = 0;
  bool DiscardAll = false;  // the stream is at discard level all (disabled or outside a program)
  bool InProgram = true;    // belongs to the selected program (true when none is selected)
  int FrameCount = 0;       // how well stream-information probing knew the stream
  int discard = 1;          // 1 while no output stream is mapped to it
  int used = 0;             // already taken by an output block in join mode
};

// What the mapping needs to know of one output stream.
struct TMapOutputStream {
  int Slot = 0;
  int Index = 0;
  AVMediaType Kind = AVMEDIA_TYPE_UNKNOWN;
};

struct TMapInputFile {
  int ist_index = 0;
  int nb_streams = 0;
};

struct TStreamMapping {
  std::vector<TMapInputStream> Inputs;  // all input streams, file by file
  std::vector<TMapInputFile> Files;
  std::vector<TMapOutputStream> Outputs;  // slot by slot, stream by stream
  std::vector<TAVStreamMap> Maps;         // explicit maps, one per output stream, or none
  bool JoinMode = false;
  bool ProgramSelected = false;
};

// The source and sync input streams of one output stream (indexes into Inputs).
struct TMappedStream {
  int Source = -1;
  int Sync = -1;
};

struct TMappingResult {
  std::vector<TMappedStream> Streams;  // one per output stream, as far as the mapping got
  std::string Error;                   // empty on success
  int DumpSlot = -1;                   // output slot whose format dump precedes the error
  bool Ok() const { return Error.empty(); }
};

// "Video", "Audio", "Data", "Subtitle", "Attachment", or "Unknown".
const char* MediaKindName(AVMediaType AKind);

// The probe frame count of a stream: 1 when probing found its parameters complete (known codec;
// video: size and pixel format; audio: rate, channels and sample format), else 0.
int ProbeFrameCount(const AVCodecParameters& AParameters);

// Per media kind (video, audio, data, subtitle, attachment) the largest frame-count threshold that
// still leaves as many selectable input streams as there are output streams of that kind.
std::vector<int> MappingThresholds(const TStreamMapping& AMapping);

// Checks the explicit maps, then chooses source and sync stream of every output stream in order,
// updating discard and used of the inputs as it maps.
TMappingResult MapStreams(TStreamMapping& AMapping);
