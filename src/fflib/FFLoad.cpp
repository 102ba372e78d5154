// The run-time library loader (TFFLoader), the bound entry points (FF), the interrupt registry
// (TInterruptCB) and the text helpers for names handed to the libraries.
#include "FFLoad.h"

#include <dlfcn.h>

#include <cstring>
#include <memory>

#include "Exceptions.h"
#include "FFLog.h"
#include "FloatingPoint.h"
#include "TextFormat.h"

TFFEntries FF;

namespace {

struct TLibraryItem {
  TLibrary Lib;
  const char* Name;
  bool SysLib;  // loaded by bare name with the system's search order
  int Version;  // major version in the soname; negative: none
  unsigned (*RuntimeVersion)();
  const char* Prerequisite;  // another library to take from the same folder first, or null
};

// Both loading and binding go in this order, so that a library's dependencies are there first.
constexpr TLibrary LoadOrder[] = {avUtil,   swResample, swScale,  avCodec,
                                  avFormat, avFilter,   avDevice, myUtil};

#define FF_STR2(x) #x
#define FF_STR(x) FF_STR2(x)

const TLibraryItem& Item(TLibrary ALibrary) {
  static const TLibraryItem Items[LibraryCount] = {
      {avCodec, "avcodec", false, LIBAVCODEC_VERSION_MAJOR, [] { return FF.avcodec_version(); },
       nullptr},
      {avDevice, "avdevice", false, LIBAVDEVICE_VERSION_MAJOR,
       [] { return FF.avdevice_version(); }, nullptr},
      {avFilter, "avfilter", false, LIBAVFILTER_VERSION_MAJOR,
       [] { return FF.avfilter_version(); },
       "libpostproc.so." FF_STR(LIBPOSTPROC_VERSION_MAJOR)},
      {avFormat, "avformat", false, LIBAVFORMAT_VERSION_MAJOR,
       [] { return FF.avformat_version(); }, nullptr},
      {avUtil, "avutil", false, LIBAVUTIL_VERSION_MAJOR, [] { return FF.avutil_version(); },
       nullptr},
      {swScale, "swscale", false, LIBSWSCALE_VERSION_MAJOR, [] { return FF.swscale_version(); },
       nullptr},
      {swResample, "swresample", false, LIBSWRESAMPLE_VERSION_MAJOR,
       [] { return FF.swresample_version(); }, nullptr},
      {myUtil, "c", true, 6, nullptr, nullptr},
  };
  return Items[ALibrary];
}

std::string DlError() {
  const char* e = ::dlerror();
  return e ? e : "unknown error";
}

void* OpenLibrary(const std::string& AName, std::string& AError) {
  void* handle = ::dlopen(AName.c_str(), RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
  if (!handle) AError = DlError();
  return handle;
}

const char* PrerequisiteOf(const std::string& AFileName) {
  for (int l = 0; l < LibraryCount; ++l) {
    const TLibraryItem& item = Item(static_cast<TLibrary>(l));
    if (item.Prerequisite && TFFLoader::LibraryFileName(item.Lib) == AFileName)
      return item.Prerequisite;
  }
  return nullptr;
}

// Process-wide state from program start to program end.
struct TLoaderProcess {
  TFloatingPointScope FloatingPoint;
  TFFLoader Loader;
  TInterruptCB Interrupts;
  ~TLoaderProcess() { Loader.Unload(TLibraries::All()); }
};

TLoaderProcess& Process() {
  static TLoaderProcess process;
  return process;
}

// Creates the process state at program start, before any component exists.
[[maybe_unused]] const TLoaderProcess& GStartUp = Process();

}  // namespace

TFFLoader& FFLoader() { return Process().Loader; }
TInterruptCB& InterruptCB() { return Process().Interrupts; }

TFFLoader::TFFLoader() = default;
TFFLoader::~TFFLoader() = default;

std::string TFFLoader::LibraryFileName(TLibrary ALibrary) {
  const TLibraryItem& item = Item(ALibrary);
  return item.Version >= 0 ? Format("lib%s.so.%d", item.Name, item.Version)
                           : Format("lib%s.so", item.Name);
}

void* LoadLibraryFrom(const TPathFileName& AFolder, const std::string& AFileName,
                      std::string& AError) {
  if (!AFolder.empty() && FileExists(AFolder + AFileName)) {
    // Take the library's own prerequisites from the same folder, so that its dependencies do
    // not come from the system as a second copy.
    if (const char* pre = PrerequisiteOf(AFileName); pre && FileExists(AFolder + pre)) {
      std::string ignored;
      OpenLibrary(AFolder + pre, ignored);
    }
    return OpenLibrary(AFolder + AFileName, AError);
  }
  return OpenLibrary(AFileName, AError);
}

bool TFFLoader::Load(TLibrary ALibrary) {
  TLibraryStatus& status = FStatus[ALibrary];
  const TLibraryItem& item = Item(ALibrary);
  std::string fileName = LibraryFileName(ALibrary);
  if (!status.Handle) {
    TPathFileName folder;
    if (!FLibraryPath.empty() && !item.SysLib) folder = IncludeTrailingPathDelimiter(FLibraryPath);
    std::string error;
    status.Handle = LoadLibraryFrom(folder, fileName, error);
    if (!status.Handle) {
      FLastErrMsg = Format("Load library %s error: %s", (folder + fileName).c_str(), error.c_str());
      return false;
    }
  }
  if (!status.Fixuped) {
    try {
      Fixup(ALibrary, fileName, status.Handle);
      status.Fixuped = true;
    } catch (const Exception& e) {
      FLastErrMsg = e.what();
    }
  }
  if (!status.Fixuped) Unload(ALibrary);
  if (status.Fixuped) SetUpServices(ALibrary);
  return status.Fixuped;
}

void TFFLoader::Fixup(TLibrary ALibrary, const std::string& AFileName, void* AHandle) {
  auto bind = [&](auto& ASlot, const char* AName) {
    ::dlerror();
    void* address = ::dlsym(AHandle, AName);
    if (!address)
      throw Exception(
          Format("Load function %s@%s error: %s", AName, AFileName.c_str(), DlError().c_str()));
    ASlot = reinterpret_cast<std::remove_reference_t<decltype(ASlot)>>(address);
  };
  try {
#define FF_BIND(ALib, AName) \
  if (ALib == ALibrary) bind(FF.AName, #AName);
    FF_ENTRIES(FF_BIND)
#undef FF_BIND
    const TLibraryItem& item = Item(ALibrary);
    if (item.RuntimeVersion) {
      unsigned v = item.RuntimeVersion();
      if (static_cast<int>(v >> 16) != item.Version)
        throw Exception(Format("Load library %s error: version %u.%u.%u found, version %d.x expected",
                               AFileName.c_str(), v >> 16, (v >> 8) & 0xFF, v & 0xFF,
                               item.Version));
    }
  } catch (...) {
    Unfix(ALibrary);
    throw;
  }
  if (ALibrary == avDevice) FF.avdevice_register_all();
}

void TFFLoader::Unfix(TLibrary ALibrary) {
#define FF_CLEAR(ALib, AName) \
  if (ALib == ALibrary) FF.AName = nullptr;
  FF_ENTRIES(FF_CLEAR)
#undef FF_CLEAR
}

void TFFLoader::SetUpServices(TLibrary ALibrary) {
  if (ALibrary == avUtil && FInstallLogger) GetLogger().InstallAVLogCallback();
}

bool TFFLoader::Load(TLibraries ALibraries) {
  for (TLibrary l : LoadOrder) {
    if (ALibraries.Contains(l) && !Load(l)) {
      Unload(ALibraries);
      return false;
    }
  }
  return true;
}

const char* MissingCoreLibraryMessage() {
  static const struct {
    TLibrary Library;
    const char* Message;
  } Needed[] = {{avCodec, "LibAVCodec not loaded."},
                {avFormat, "LibAVFormat not loaded."},
                {avUtil, "LibAVUtil not loaded."},
                {swScale, "LibSwScale not loaded."}};
  for (const auto& n : Needed)
    if (!FFLoader().Loaded(n.Library)) return n.Message;
  return nullptr;
}

bool TFFLoader::Loaded(TLibrary ALibrary) const {
  return FStatus[ALibrary].Handle && FStatus[ALibrary].Fixuped;
}

bool TFFLoader::Loaded(TLibraries ALibraries) const {
  for (int l = 0; l < LibraryCount; ++l)
    if (ALibraries.Contains(static_cast<TLibrary>(l)) && !Loaded(static_cast<TLibrary>(l)))
      return false;
  return true;
}

void TFFLoader::Unload(TLibrary ALibrary) {
  TLibraryStatus& status = FStatus[ALibrary];
  if (status.Fixuped) {
    Unfix(ALibrary);
    status.Fixuped = false;
  }
  if (status.Handle) {
    // Opened with RTLD_NODELETE: the mapping stays, since the libraries keep threads and state.
    ::dlclose(status.Handle);
    status.Handle = nullptr;
  }
}

void TFFLoader::Unload(TLibraries ALibraries) {
  // Dependants first, so that no bound library outlives what it needs.
  for (auto it = std::rbegin(LoadOrder); it != std::rend(LoadOrder); ++it)
    if (ALibraries.Contains(*it)) Unload(*it);
}

void TInterruptCB::Add(TThreadID AThreadID, TObject* ASender, const void* ACode,
                       TInterruptProc AInterrupt) {
  std::lock_guard<std::recursive_mutex> guard(FLock);
  for (const TEntry& e : FList)
    if (e.ThreadID == AThreadID && e.Sender == ASender && e.Code == ACode) return;
  FList.push_back({AThreadID, ASender, ACode, std::move(AInterrupt)});
}

void TInterruptCB::Remove(TThreadID AThreadID, TObject* ASender, const void* ACode) {
  std::lock_guard<std::recursive_mutex> guard(FLock);
  for (auto it = FList.begin(); it != FList.end(); ++it) {
    if (it->ThreadID == AThreadID && it->Sender == ASender && it->Code == ACode) {
      FList.erase(it);
      return;
    }
  }
}

void TInterruptCB::Clear() {
  std::lock_guard<std::recursive_mutex> guard(FLock);
  FList.clear();
}

bool TInterruptCB::Interrupt(TThreadID AThreadID) {
  std::lock_guard<std::recursive_mutex> guard(FLock);
  for (const TEntry& e : FList)
    if (e.ThreadID == AThreadID) return e.Interrupt(e.Sender);
  return false;
}

std::vector<TInterruptCB::TEntry>& TInterruptCB::LockList() {
  FLock.lock();
  return FList;
}

void TInterruptCB::UnlockList() { FLock.unlock(); }

int LibraryInterruptCallback(void*) {
  return InterruptCB().Interrupt(GetCurrentThreadID()) ? 1 : 0;
}

AVIOInterruptCB LibraryInterruptCB() { return AVIOInterruptCB{LibraryInterruptCallback, nullptr}; }

std::string FileNameToUTF8(const TPathFileName& AName) {
  // Names are UTF-8 already; a longer one than the system takes fails to open, which is
  // better than opening a cut-off name.
  return AName;
}

namespace {
bool IsValidUTF8(const unsigned char* s) {
  while (*s) {
    unsigned c = *s;
    int extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
    if (extra < 0 || (extra == 1 && c < 0xC2)) return false;
    unsigned cp = extra == 0 ? c : c & (0x3F >> extra);
    ++s;
    for (int i = 0; i < extra; ++i, ++s) {
      if ((*s & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (*s & 0x3F);
    }
    if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
      return false;
  }
  return true;
}
}  // namespace

std::string UTF8ToText(const char* AText) {
  if (!AText || !IsValidUTF8(reinterpret_cast<const unsigned char*>(AText))) return std::string();
  return AText;
}

std::int64_t IOContextPosition(AVIOContext* AContext) { return FF.avio_seek(AContext, 0, SEEK_CUR); }
