// Ctrl+C while a command converts: noted, so that the conversion can be stopped cleanly.
#pragma once

#include <csignal>

// Catches SIGINT for its lifetime and restores the previous handler afterwards.
class TInterruptWatch {
 public:
  TInterruptWatch();
  ~TInterruptWatch();
  TInterruptWatch(const TInterruptWatch&) = delete;
  TInterruptWatch& operator=(const TInterruptWatch&) = delete;

  // An interrupt arrived since the watch began.
  bool Interrupted() const;

 private:
  void (*FPrevious)(int);
};
