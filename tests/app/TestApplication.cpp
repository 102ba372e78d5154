// The one QApplication of the test program, created on first use on the main thread and
// destroyed after the last test.
#include "TestApplication.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<QApplication> GApplication;

class TApplicationEnvironment : public ::testing::Environment {
 public:
  void TearDown() override { GApplication.reset(); }
};

const auto* const GEnvironment = ::testing::AddGlobalTestEnvironment(new TApplicationEnvironment);

}  // namespace

QApplication& TestApplication() {
  static int argc = 1;
  static char name[] = "app_tests";
  static char* argv[] = {name, nullptr};
  if (!GApplication) GApplication = std::make_unique<QApplication>(argc, argv);
  return *GApplication;
}
