// The Qt side of CallInMainThread: the GUI event loop runs the queued main-thread calls.
#pragma once

// While it lives, every call queued for the main thread posts an event to the application object
// that runs ProcessMainThreadCalls on the GUI thread. Makes the constructing thread the main
// thread. Construct after the QApplication and destroy before it.
class TQtMainThreadWaker {
 public:
  TQtMainThreadWaker();
  ~TQtMainThreadWaker();
  TQtMainThreadWaker(const TQtMainThreadWaker&) = delete;
  TQtMainThreadWaker& operator=(const TQtMainThreadWaker&) = delete;
};
