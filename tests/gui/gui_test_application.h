#pragma once
// The body of a window test program's main(): one application object for
// all its tests, set up like the program's own, on the offscreen platform
// unless another one is chosen.

#include <gtest/gtest.h>

#include <QApplication>

#include "app/application_setup.h"

inline int run_window_tests(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  setup_application(app);
  return RUN_ALL_TESTS();
}
