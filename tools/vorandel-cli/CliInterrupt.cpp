// Ctrl+C while a command converts: noted, so that the conversion can be stopped cleanly.
#include "CliInterrupt.h"

#include <atomic>

namespace {

std::atomic<bool> InterruptSeen{false};

void OnInterrupt(int) {
  InterruptSeen = true;
}

}  // namespace

TInterruptWatch::TInterruptWatch() {
  InterruptSeen = false;
  FPrevious = std::signal(SIGINT, OnInterrupt);
}

TInterruptWatch::~TInterruptWatch() {
  std::signal(SIGINT, FPrevious);
}

bool TInterruptWatch::Interrupted() const {
  return InterruptSeen;
}
