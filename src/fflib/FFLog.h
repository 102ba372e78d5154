// The process-wide log router (TFFLogger): library log lines and component messages, filtered
// by one level, assembled into lines, repeat-folded and delivered to one handler.
#pragma once

#include <cstdarg>
#include <functional>
#include <string>

#include "MainThread.h"
#include "TextFormat.h"
#include "TObject.h"

enum TLogLevel { llQuiet, llPanic, llFatal, llError, llWarning, llInfo, llVerbose, llDebug };

using TLogEvent = std::function<void(TObject* Sender, TThreadID AThreadID, TLogLevel ALogLevel,
                                     const std::string& ALogMsg)>;

struct TLogInfo {
  TObject* Sender = nullptr;
  TThreadID ThreadID = 0;
  TLogLevel LogLevel = llQuiet;
  std::string LogMsg;
};

class TFFLogger : public TFFBaseComponent {
 public:
  // Replaces an auto-created router; raises Exception("Allow creating only one instance of
  // TFFLogger.") while another router created this way is current.
  explicit TFFLogger(TObject* AOwner = nullptr);
  ~TFFLogger() override;

  // Installs LibraryLogCallback and applies the level; avutil must be bound.
  void InstallAVLogCallback();

  void Log(TObject* Sender, TLogLevel ALogLevel, const std::string& ALogMsg);
  // The same with the message made from a printf format and its arguments (C types only);
  // formatted only when the message passes the filter.
  template <typename A1, typename... A>
  void Log(TObject* Sender, TLogLevel ALogLevel, const char* AFormat, A1 AArg1, A... AArgs) {
    if (Passes(ALogLevel)) Log(Sender, ALogLevel, Format(AFormat, AArg1, AArgs...));
  }
  // Whether a message of this level is delivered by Log.
  bool Passes(TLogLevel ALogLevel) const;

  // The option "loglevel": a level name (any case) or a decimal library level.
  void OptLogLevel(const std::string& AValue);

  TLogLevel LogLevel() const { return FLogLevel; }
  void SetLogLevel(TLogLevel AValue);
  bool TriggerEventInMainThread() const { return FTriggerEventInMainThread; }
  void SetTriggerEventInMainThread(bool AValue) { FTriggerEventInMainThread = AValue; }
  const TLogEvent& OnLog() const { return FOnLog; }
  void SetOnLog(TLogEvent AValue) { FOnLog = std::move(AValue); }

  // Delivers one library line (called by LibraryLogCallback after it left the log lock).
  void DeliverLibraryLine(TThreadID AThreadID, TLogLevel ALogLevel, const std::string& ALine);

 private:
  friend TFFLogger& GetLogger();
  struct TAutoCreated {};
  TFFLogger(TAutoCreated);
  void Deliver(const TLogInfo& AInfo, bool ABlocking);

  bool FAutoCreated = false;
  bool FTriggerEventInMainThread = true;
  TLogLevel FLogLevel = llInfo;
  TLogEvent FOnLog;
};

// The current router; creates an auto-created one when there is none.
TFFLogger& GetLogger();

int LogLevelToLibrary(TLogLevel ALevel);
TLogLevel LibraryToLogLevel(int ALevel);

// Threads of running jobs: their library lines wait for the main thread like direct messages.
// Lines from any other thread (the libraries' own worker threads) are queued for the main thread
// instead, since such a thread may be waited on by a main thread that is inside a library call.
void RegisterJobThread(TThreadID AThreadID);
void UnregisterJobThread(TThreadID AThreadID);

// The callback handed to av_log_set_callback.
void LibraryLogCallback(void* AContext, int ALevel, const char* AFormat, va_list AArgs);
