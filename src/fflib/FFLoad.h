// The run-time library loader (TFFLoader), the bound entry points (FF), the interrupt registry
// (TInterruptCB) and the text helpers for names handed to the libraries.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

#include "FFEntries.h"
#include "FFHeaders.h"
#include "FileSystem.h"
#include "MainThread.h"
#include "TObject.h"

enum TLibrary { avCodec, avDevice, avFilter, avFormat, avUtil, swScale, swResample, myUtil };
constexpr int LibraryCount = myUtil + 1;

// A set of libraries.
class TLibraries {
 public:
  constexpr TLibraries() = default;
  constexpr TLibraries(std::initializer_list<TLibrary> ALibraries) {
    for (TLibrary l : ALibraries) FBits |= 1u << l;
  }
  constexpr bool Contains(TLibrary ALibrary) const { return (FBits >> ALibrary) & 1u; }
  constexpr bool Empty() const { return FBits == 0; }
  static constexpr TLibraries All() {
    return {avCodec, avDevice, avFilter, avFormat, avUtil, swScale, swResample, myUtil};
  }

 private:
  unsigned FBits = 0;
};

// Every bound entry point, typed from the FFmpeg headers; null while its library is not loaded.
struct TFFEntries {
#define FF_FIELD(ALib, AName) decltype(&::AName) AName = nullptr;
  FF_ENTRIES(FF_FIELD)
#undef FF_FIELD
};
extern TFFEntries FF;

class TFFLoader {
 public:
  TFFLoader();
  ~TFFLoader();
  TFFLoader(const TFFLoader&) = delete;
  TFFLoader& operator=(const TFFLoader&) = delete;

  bool Load(TLibrary ALibrary);
  bool Load(TLibraries ALibraries);
  bool Loaded(TLibrary ALibrary) const;
  bool Loaded(TLibraries ALibraries) const;
  void Unload(TLibrary ALibrary);
  void Unload(TLibraries ALibraries);

  const std::string& LastErrMsg() const { return FLastErrMsg; }
  const TPathFileName& LibraryPath() const { return FLibraryPath; }
  void SetLibraryPath(const TPathFileName& AValue) { FLibraryPath = AValue; }
  bool InstallLogger() const { return FInstallLogger; }
  void SetInstallLogger(bool AValue) { FInstallLogger = AValue; }

  // The file name of a library: its soname, "libavcodec.so.59" and so on.
  static std::string LibraryFileName(TLibrary ALibrary);

 private:
  struct TLibraryStatus {
    void* Handle = nullptr;
    bool Fixuped = false;
  };
  void Fixup(TLibrary ALibrary, const std::string& AFileName, void* AHandle);
  void Unfix(TLibrary ALibrary);
  void SetUpServices(TLibrary ALibrary);

  TLibraryStatus FStatus[LibraryCount];
  std::string FLastErrMsg;
  TPathFileName FLibraryPath;
  bool FInstallLogger = true;
};

// The one loader of the process.
TFFLoader& FFLoader();

// The message for the first of avcodec, avformat, avutil and swscale that is not loaded
// ("LibAVCodec not loaded." and so on), or null when all four are.
const char* MissingCoreLibraryMessage();

// Loads the folder's file when it exists (its prerequisites from that folder first), otherwise the
// bare name with the system's search order. Null and the system's message on failure.
void* LoadLibraryFrom(const TPathFileName& AFolder, const std::string& AFileName,
                      std::string& AError);

// Interrupt procedures of blocking library calls, keyed by thread.
using TInterruptProc = std::function<bool(TObject* ASender)>;

class TInterruptCB {
 public:
  struct TEntry {
    TThreadID ThreadID;
    TObject* Sender;
    const void* Code;  // identifies the procedure, so that Remove can find what Add stored
    TInterruptProc Interrupt;
  };
  // ACode names the procedure (for a method: its address); equal thread, sender and code are
  // one entry.
  void Add(TThreadID AThreadID, TObject* ASender, const void* ACode, TInterruptProc AInterrupt);
  void Remove(TThreadID AThreadID, TObject* ASender, const void* ACode);
  void Clear();
  bool Interrupt(TThreadID AThreadID);
  std::vector<TEntry>& LockList();
  void UnlockList();

 private:
  std::recursive_mutex FLock;
  std::vector<TEntry> FList;
};

TInterruptCB& InterruptCB();

// The interrupt callback every format context gets: 1 when the calling thread's first
// registered procedure says so.
int LibraryInterruptCallback(void* AOpaque);
// {LibraryInterruptCallback, nullptr}, for AVFormatContext.interrupt_callback and avio_open2.
AVIOInterruptCB LibraryInterruptCB();

// UTF-8 form of a file name for the libraries, at most 2047 bytes.
std::string FileNameToUTF8(const TPathFileName& AName);
// Text of a UTF-8 C string from the libraries; not valid UTF-8 gives an empty text.
std::string UTF8ToText(const char* AText);
// Current byte position of a library I/O context.
std::int64_t IOContextPosition(AVIOContext* AContext);
