// The job's records and tables: the engine exception, maps, input files and streams, codec lists,
// and grow_table.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <new>
#include <vector>

#include "Exceptions.h"
#include "FFOwners.h"
#include "UnicodeProtocol.h"

// The engine's exception: carries only a message.
class FFmpegException : public Exception {
 public:
  using Exception::Exception;
};

// An explicit stream mapping: the input stream to use and the one whose clock drives the sync.
struct TAVStreamMap {
  int file_index;
  int stream_index;
  int sync_file_index;
  int sync_stream_index;
};

// One side of a metadata mapping: type_ 'g' global, 's' stream, 'c' chapter, 'p' program.
struct TAVMetaDataMap {
  int file_idx;
  char type_;
  int index;
};
// Element 0 is the output side, element 1 the input side.
using TAVMetaDataMapPair = std::array<TAVMetaDataMap, 2>;

struct TAVChapterMap {
  int in_file;
  int out_file;
};

// One opened input file.
struct TAVInputFile {
  TUnicodeIOPtr unicode_io;  // the I/O of a "unicode:" name; freed after ctx is closed
  TInputFormatPtr ctx;
  int eof_reached = 0;
  int ist_index = 0;
  int nb_streams = 0;
};

// One stream of an input file.
struct TAVInputStream {
  int file_index = 0;
  AVStream* st = nullptr;
  TCodecContextPtr dec_ctx;  // the decoder context, made from the stream's parameters
  int discard = 0;
  int decoding_needed = 0;
  int frame_number = 0;
  std::int64_t start = 0;
  std::int64_t next_pts = 0;
  std::int64_t pts = 0;
  int is_start = 0;
  int showed_multi_packet_warning = 0;
  int is_past_recording_time = 0;
  int decoder_flushed = 0;
  int used = 0;
};

// Grows the table to ANewCount value-initialised (zeroed) elements; never shrinks it.
template <typename T>
void grow_table(std::vector<T>& ATable, int& ACount, int ANewCount) {
  if (static_cast<std::int64_t>(ANewCount) >= INT_MAX / static_cast<std::int64_t>(sizeof(T)))
    throw Exception("Array too big.");
  if (ACount >= ANewCount) return;
  try {
    ATable.resize(ANewCount);
  } catch (const std::bad_alloc&) {
    throw Exception("Could not alloc buffer.");
  }
  ACount = ANewCount;
}

// The one lock of every job's encoder and decoder lists.
std::mutex& CodecListLock();

// A codec context the job opened: the stream record it belongs to and how to close it.
struct TCodecItem {
  const void* st;
  std::function<void()> Close;
};

// The codec contexts a job has opened, so that a failure can still close every one. Every
// operation holds CodecListLock.
class TCodecList {
 public:
  // Inserts at the head.
  void Insert(const void* ASt, std::function<void()> AClose);
  // Unlinks the item of that stream record (without closing it).
  void Remove(const void* ASt);
  // Closes every item, head first, and empties the list; a failing close still leaves the
  // list empty and is rethrown after the others were closed.
  void CloseAll();
  bool Empty() const;
  int Count() const;

 private:
  std::list<TCodecItem> FItems;
};
