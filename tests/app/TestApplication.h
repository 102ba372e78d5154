// The one QApplication of the test program, created on first use on the main thread and
// destroyed after the last test.
#pragma once

#include <QApplication>

QApplication& TestApplication();
