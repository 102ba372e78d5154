// The process-wide log router (TFFLogger): library log lines and component messages, filtered
// by one level, assembled into lines, repeat-folded and delivered to one handler.
#include "FFLog.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "Exceptions.h"
#include "FFLoad.h"

namespace {

// State shared by every router and the library callback; lives to the very end of the process,
// because the libraries may log from their own threads while the program exits.
struct TLogState {
  std::mutex LogLock;                           // pending texts, last text, repeat count
  std::map<TThreadID, std::string> Pending;     // per thread: text not yet ended by a line feed
  std::string LastText;
  int RepeatCount = 0;
  std::atomic<int> LibraryLevel{AV_LOG_INFO};   // mirrors the last av_log_set_level
  std::recursive_mutex RouterLock;              // the current router
  TFFLogger* Current = nullptr;
  std::unique_ptr<TFFLogger> AutoCreated;
  std::mutex JobLock;
  std::multiset<TThreadID> JobThreads;
};

TLogState& State() {
  static TLogState* state = new TLogState;
  return *state;
}

bool IsJobThread(TThreadID AThreadID) {
  std::lock_guard<std::mutex> guard(State().JobLock);
  return State().JobThreads.count(AThreadID) != 0;
}

// Each byte becomes the character of the same code.
std::string Latin1ToUTF8(const char* AText, size_t ALength) {
  std::string out;
  out.reserve(ALength);
  for (size_t i = 0; i < ALength; ++i) {
    unsigned char c = static_cast<unsigned char>(AText[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

const char* ItemName(const AVClass* AClass, void* AContext) {
  if (AClass->item_name) return AClass->item_name(AContext);
  return AClass->class_name ? AClass->class_name : "";
}

// "[parent @ 0x..] [name @ 0x..]" of a library context, as one raw byte string.
std::string ContextPrefix(void* AContext) {
  const AVClass* avc = *static_cast<AVClass**>(AContext);
  if (!avc) return std::string();
  char buf[2048] = {0};
  size_t used = 0;
  if (avc->parent_log_context_offset) {
    AVClass** parent = *reinterpret_cast<AVClass***>(static_cast<char*>(AContext) +
                                                     avc->parent_log_context_offset);
    if (parent && *parent) {
      int n = std::snprintf(buf, sizeof buf, "[%s @ %p] ", ItemName(*parent, parent),
                            static_cast<void*>(parent));
      used = n > 0 ? std::min(static_cast<size_t>(n), sizeof buf - 1) : 0;
    }
  }
  std::snprintf(buf + used, sizeof buf - used, "[%s @ %p]", ItemName(avc, AContext), AContext);
  return buf;
}

std::string FormatLibraryMessage(const char* AFormat, va_list AArgs) {
  if (std::strcmp(AFormat, "%s") == 0) {
    va_list copy;
    va_copy(copy, AArgs);
    const char* arg = va_arg(copy, const char*);
    va_end(copy);
    if (!arg || !*arg) return std::string();
  }
  char line[2048] = {0};
  va_list copy;
  va_copy(copy, AArgs);
  int n = std::vsnprintf(line, sizeof line, AFormat, copy);
  va_end(copy);
  if (n < 0) return std::string();
  if (static_cast<size_t>(n) < sizeof line) return std::string(line, static_cast<size_t>(n));
  std::vector<char> big(static_cast<size_t>(n) + 1);
  std::vsnprintf(big.data(), big.size(), AFormat, AArgs);
  return std::string(big.data(), static_cast<size_t>(n));
}

}  // namespace

int LogLevelToLibrary(TLogLevel ALevel) { return (static_cast<int>(ALevel) - 1) * 8; }

TLogLevel LibraryToLogLevel(int ALevel) {
  int l = ALevel / 8 + 1;  // C++ division truncates toward zero
  return static_cast<TLogLevel>(std::clamp(l, 0, 7));
}

void RegisterJobThread(TThreadID AThreadID) {
  std::lock_guard<std::mutex> guard(State().JobLock);
  State().JobThreads.insert(AThreadID);
}

void UnregisterJobThread(TThreadID AThreadID) {
  std::lock_guard<std::mutex> guard(State().JobLock);
  auto it = State().JobThreads.find(AThreadID);
  if (it != State().JobThreads.end()) State().JobThreads.erase(it);
}

TFFLogger& GetLogger() {
  std::lock_guard<std::recursive_mutex> guard(State().RouterLock);
  if (!State().Current) {
    State().AutoCreated.reset(new TFFLogger(TFFLogger::TAutoCreated{}));
    State().Current = State().AutoCreated.get();
  }
  return *State().Current;
}

TFFLogger::TFFLogger(TAutoCreated) : FAutoCreated(true) {
  FLogLevel = LibraryToLogLevel(State().LibraryLevel);
}

TFFLogger::TFFLogger(TObject* AOwner) : TFFBaseComponent(AOwner) {
  std::lock_guard<std::recursive_mutex> guard(State().RouterLock);
  if (State().Current && !State().Current->FAutoCreated)
    throw Exception("Allow creating only one instance of TFFLogger.");
  State().Current = nullptr;
  State().AutoCreated.reset();
  FLogLevel = LibraryToLogLevel(State().LibraryLevel);
  State().Current = this;
}

TFFLogger::~TFFLogger() {
  std::lock_guard<std::recursive_mutex> guard(State().RouterLock);
  if (State().Current == this) State().Current = nullptr;
}

void TFFLogger::InstallAVLogCallback() {
  assert(FF.av_log_set_callback && FF.av_log_set_level);
  FF.av_log_set_callback(LibraryLogCallback);
  State().LibraryLevel = LogLevelToLibrary(FLogLevel);
  FF.av_log_set_level(State().LibraryLevel);
}

void TFFLogger::SetLogLevel(TLogLevel AValue) {
  if (AValue == FLogLevel) return;
  FLogLevel = AValue;
  if (FF.av_log_set_level) {
    State().LibraryLevel = LogLevelToLibrary(FLogLevel);
    FF.av_log_set_level(State().LibraryLevel);
  }
}

void TFFLogger::OptLogLevel(const std::string& AValue) {
  static const struct {
    const char* Name;
    int Level;
  } Names[] = {{"quiet", -8},    {"panic", 0}, {"fatal", 8},    {"error", 16},
               {"warning", 24}, {"info", 32}, {"verbose", 40}, {"debug", 48}};
  for (const auto& n : Names) {
    if (strcasecmp(AValue.c_str(), n.Name) == 0) {
      SetLogLevel(LibraryToLogLevel(n.Level));
      return;
    }
  }
  const char* text = AValue.c_str();
  char* end = nullptr;
  errno = 0;
  long number = std::strtol(text, &end, 10);
  bool ok = end != text && *end == '\0' && errno == 0 && number >= INT32_MIN &&
            number <= INT32_MAX && !std::isspace(static_cast<unsigned char>(text[0]));
  if (!ok) throw EConvertError(Format("'%s' is not a valid integer value", text));
  SetLogLevel(LibraryToLogLevel(static_cast<int>(number)));
}

bool TFFLogger::Passes(TLogLevel ALogLevel) const {
  return ALogLevel <= FLogLevel || (ALogLevel == llVerbose && FLogLevel != llQuiet);
}

void TFFLogger::Log(TObject* Sender, TLogLevel ALogLevel, const std::string& ALogMsg) {
  if (!FOnLog || !Passes(ALogLevel)) return;
  Deliver(TLogInfo{Sender, GetCurrentThreadID(), ALogLevel, ALogMsg}, true);
}

void TFFLogger::Deliver(const TLogInfo& AInfo, bool ABlocking) {
  if (!FTriggerEventInMainThread || IsMainThread()) {
    FOnLog(AInfo.Sender, AInfo.ThreadID, AInfo.LogLevel, AInfo.LogMsg);
  } else if (ABlocking) {
    CallInMainThread([&] { FOnLog(AInfo.Sender, AInfo.ThreadID, AInfo.LogLevel, AInfo.LogMsg); });
  } else {
    // The router that is current when the call runs delivers it.
    PostToMainThread([AInfo] {
      TFFLogger& logger = GetLogger();
      if (logger.FOnLog) logger.FOnLog(&logger, AInfo.ThreadID, AInfo.LogLevel, AInfo.LogMsg);
    });
  }
}

void TFFLogger::DeliverLibraryLine(TThreadID AThreadID, TLogLevel ALogLevel,
                                   const std::string& ALine) {
  if (!FOnLog) return;
  bool blocking = IsMainThread() || IsJobThread(GetCurrentThreadID());
  Deliver(TLogInfo{this, AThreadID, ALogLevel, ALine}, blocking);
}

void LibraryLogCallback(void* AContext, int ALevel, const char* AFormat, va_list AArgs) {
  TLogState& state = State();
  if (ALevel > state.LibraryLevel) return;
  TThreadID thread = GetCurrentThreadID();
  std::vector<std::string> lines;
  {
    std::lock_guard<std::mutex> guard(state.LogLock);
    std::string& pending = state.Pending[thread];
    std::string raw;
    if (AContext && pending.empty()) raw = ContextPrefix(AContext);
    raw += FormatLibraryMessage(AFormat ? AFormat : "", AArgs);
    std::string text = Latin1ToUTF8(raw.data(), raw.size());
    if (!text.empty() && text.back() == '\n' && text == state.LastText) {
      ++state.RepeatCount;
      return;
    }
    if (state.RepeatCount > 1)
      lines.push_back(Format("    Last message repeated %d times", state.RepeatCount));
    state.RepeatCount = 0;
    state.LastText = text;
    pending += text;
    for (size_t lf; (lf = pending.find('\n')) != std::string::npos;) {
      lines.push_back(pending.substr(0, lf));
      pending.erase(0, lf + 1);
    }
  }
  if (lines.empty()) return;
  TFFLogger& logger = GetLogger();
  TLogLevel level = LibraryToLogLevel(ALevel);
  for (const std::string& line : lines) logger.DeliverLibraryLine(thread, level, line);
}
