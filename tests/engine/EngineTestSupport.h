// Test support of the engine tests that need the libraries: loading, the main thread and the log.
#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "FFLoad.h"
#include "FFLog.h"
#include "MainThread.h"

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FFLoader().Load(TLibraries::All())) << FFLoader().LastErrMsg();
    SetMainThread();
    {
      std::lock_guard lock(FLogLock);
      FLogged.clear();
    }
    GetLogger().SetLogLevel(llDebug);
    GetLogger().SetOnLog([this](TObject*, TThreadID, TLogLevel ALevel, const std::string& AMsg) {
      std::lock_guard lock(FLogLock);
      FLogged.push_back({ALevel, AMsg});
    });
  }
  void TearDown() override {
    GetLogger().SetOnLog(nullptr);
    GetLogger().SetLogLevel(llInfo);
  }

  // Whether a message of that level containing the text was logged.
  bool WasLogged(TLogLevel ALevel, const std::string& AText) {
    std::lock_guard lock(FLogLock);
    for (const auto& l : FLogged)
      if (l.first == ALevel && l.second.find(AText) != std::string::npos) return true;
    return false;
  }
  // Every logged line of that level, in order.
  std::vector<std::string> Lines(TLogLevel ALevel) {
    std::lock_guard lock(FLogLock);
    std::vector<std::string> result;
    for (const auto& l : FLogged)
      if (l.first == ALevel) result.push_back(l.second);
    return result;
  }

 private:
  std::mutex FLogLock;
  std::vector<std::pair<TLogLevel, std::string>> FLogged;
};
