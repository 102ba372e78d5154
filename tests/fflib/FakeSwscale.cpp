// Stand-ins for libswscale that the loader tests load from a folder of their own.
// FAKE_COMPLETE: every swscale entry exists, and each returns the version number FAKE_VERSION.
// Otherwise only sws_freeContext exists, so binding fails on the next entry.
#include "FFEntries.h"

#ifdef FAKE_COMPLETE
#define FAKE_ENTRY_swScale(AName) \
  extern "C" unsigned AName() { return FAKE_VERSION; }
#else
#define FAKE_ENTRY_swScale(AName)
extern "C" void sws_freeContext() {}
#endif
#define FAKE_ENTRY_avCodec(AName)
#define FAKE_ENTRY_avDevice(AName)
#define FAKE_ENTRY_avFilter(AName)
#define FAKE_ENTRY_avFormat(AName)
#define FAKE_ENTRY_avUtil(AName)
#define FAKE_ENTRY_swResample(AName)
#define FAKE_ENTRY_myUtil(AName)
#define FAKE_ENTRY(ALib, AName) FAKE_ENTRY_##ALib(AName)
FF_ENTRIES(FAKE_ENTRY)
