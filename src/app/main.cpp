// The program: the application object, the main-thread waker, the dialogs and the main window.
#include <QApplication>
#include <cstdlib>

#include "AppTexts.h"
#include "FloatingPoint.h"
#include "QtDialogs.h"
#include "QtMainThread.h"
#include "Unit1.h"

int main(int argc, char** argv) {
  TFloatingPointScope floatingPoint;
  QApplication application(argc, argv);
  QApplication::setApplicationName(ApplicationTitle);
  TQtMainThreadWaker waker;
  TQtDialogs dialogs;
  SetDialogs(&dialogs);
  int result = EXIT_FAILURE;
  {
    TForm1 form;
    if (form.LibrariesLoaded()) {
      form.show();
      result = QApplication::exec();
    }
  }
  SetDialogs(nullptr);
  return result;
}
