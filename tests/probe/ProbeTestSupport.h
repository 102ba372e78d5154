// Shared set-up of the probe tests: loads the probe's libraries and records log messages.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FFDecode.h"
#include "FFLog.h"

// Loads the probe's libraries once for the test program.
class TProbeLibraries : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SetMainThread();
    TFFDecoder probe;
    ASSERT_TRUE(probe.AVLibLoaded() || probe.LoadAVLib(ProgramFolder())) << probe.LastErrMsg();
  }
};

// Records the messages the log router delivers while it exists.
class TLogRecorder {
 public:
  struct TEntry {
    TLogLevel Level;
    std::string Text;
  };
  TLogRecorder() {
    GetLogger().SetOnLog([this](TObject*, TThreadID, TLogLevel ALevel, const std::string& AText) {
      FEntries.push_back({ALevel, AText});
    });
  }
  ~TLogRecorder() { GetLogger().SetOnLog(nullptr); }
  TLogRecorder(const TLogRecorder&) = delete;
  TLogRecorder& operator=(const TLogRecorder&) = delete;

  const std::vector<TEntry>& Entries() const { return FEntries; }
  bool Has(TLogLevel ALevel, const std::string& AText) const {
    for (const TEntry& e : FEntries)
      if (e.Level == ALevel && e.Text == AText) return true;
    return false;
  }

 private:
  std::vector<TEntry> FEntries;
};
