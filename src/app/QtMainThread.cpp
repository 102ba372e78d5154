// The Qt side of CallInMainThread: the GUI event loop runs the queued main-thread calls.
#include "QtMainThread.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "MainThread.h"

namespace {

void PostProcessCalls() {
  if (QCoreApplication* app = QCoreApplication::instance())
    QMetaObject::invokeMethod(
        app, [] { ProcessMainThreadCalls(); }, Qt::QueuedConnection);
}

}  // namespace

TQtMainThreadWaker::TQtMainThreadWaker() {
  SetMainThread();
  SetMainThreadWaker(PostProcessCalls);
  // Calls queued before the waker existed would otherwise wait for the next one.
  PostProcessCalls();
}

TQtMainThreadWaker::~TQtMainThreadWaker() {
  SetMainThreadWaker(nullptr);
}
