// SPDX-License-Identifier: MIT
#pragma once
// The body of a window test program's main(): one application object for
// all its tests, set up like the program's own, on the offscreen platform
// unless another one is chosen. The window's settings go to a file of the
// program's own, never to the user's.

#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "app/application_setup.h"
#include "gui/user_settings.h"

inline int run_window_tests(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  setup_application(app);
  const QTemporaryDir settings_folder;
  UserSettings::useFile(settings_folder.filePath(QStringLiteral("zel17.ini")));
  const int failed = RUN_ALL_TESTS();
  UserSettings::useFile({});  // closed while its folder still exists
  return failed;
}
