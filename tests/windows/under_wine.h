// SPDX-License-Identifier: MIT
#pragma once
// Some Windows tests rely on wine's own virtual HID devices (vendor 845E and
// no module); on a real Windows machine the present devices are unknown.

#include <windows.h>

inline bool running_under_wine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

#define SKIP_UNLESS_UNDER_WINE()                                                   \
  do {                                                                             \
    if (!running_under_wine()) GTEST_SKIP() << "needs wine's own HID devices";     \
  } while (false)
