#pragma once
// The body of a window test program's main(): one application object for
// all its tests, set up like the program's own, on the offscreen platform
// unless another one is chosen.

#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

#include "app/application_setup.h"

inline int run_window_tests(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  setup_application(app);
  // Settings and data folders of the tests' own, never the user's.
  QStandardPaths::setTestModeEnabled(true);
  return RUN_ALL_TESTS();
}
