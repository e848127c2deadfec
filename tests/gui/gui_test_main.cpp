// One application object for the whole GUI test binary, set up like the
// program's own, on the offscreen platform unless another one is chosen.

#include <gtest/gtest.h>

#include <QApplication>

#include "app/application_setup.h"
#include "emulator/umockdev_preload.h"

int main(int argc, char** argv) {
  run_under_umockdev_preload(argv);  // the window tests use the device test bed
  ::testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  setup_application(app);
  return RUN_ALL_TESTS();
}
