// The codec lists of a job and their process-wide lock.
#include "FFmpegTables.h"

#include <algorithm>
#include <exception>

std::mutex& CodecListLock() {
  static std::mutex lock;
  return lock;
}

void TCodecList::Insert(const void* ASt, std::function<void()> AClose) {
  std::lock_guard lock(CodecListLock());
  FItems.push_front({ASt, std::move(AClose)});
}

void TCodecList::Remove(const void* ASt) {
  std::lock_guard lock(CodecListLock());
  const auto item = std::find_if(FItems.begin(), FItems.end(),
                                 [ASt](const TCodecItem& i) { return i.st == ASt; });
  if (item != FItems.end()) FItems.erase(item);
}

void TCodecList::CloseAll() {
  std::lock_guard lock(CodecListLock());
  std::exception_ptr failure;
  while (!FItems.empty()) {
    TCodecItem item = std::move(FItems.front());
    FItems.pop_front();
    try {
      if (item.Close) item.Close();
    } catch (...) {
      failure = std::current_exception();
    }
  }
  if (failure) std::rethrow_exception(failure);
}

bool TCodecList::Empty() const {
  std::lock_guard lock(CodecListLock());
  return FItems.empty();
}

int TCodecList::Count() const {
  std::lock_guard lock(CodecListLock());
  return static_cast<int>(FItems.size());
}
