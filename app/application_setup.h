// SPDX-License-Identifier: MIT
#pragma once
// Everything the application object needs before the window is built:
// style, fonts, Polish texts of Qt's own dialogs, the application title.

class QApplication;

inline constexpr const char* kApplicationTitle = "ZEL17 - Konfigurator tablicy synoptycznej systemu KVR17";

void setup_application(QApplication& app);
