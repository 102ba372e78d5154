// The registry of native video filters.
#include "FFmpegNativeFilter.h"

#include <map>
#include <mutex>

namespace {

struct TRegistry {
  std::mutex Lock;
  std::map<std::string, TNativeFilterInfo> Filters;
};

TRegistry& Registry() {
  static TRegistry registry;
  return registry;
}

}  // namespace

bool AddFilterOnce(const std::string& AName, TNativeFilterInfo AInfo) {
  TRegistry& r = Registry();
  std::lock_guard lock(r.Lock);
  return r.Filters.emplace(AName, std::move(AInfo)).second;
}

const TNativeFilterInfo* FindNativeFilter(const std::string& AName) {
  TRegistry& r = Registry();
  std::lock_guard lock(r.Lock);
  const auto found = r.Filters.find(AName);
  // Entries are never removed, so the pointer stays valid.
  return found == r.Filters.end() ? nullptr : &found->second;
}
