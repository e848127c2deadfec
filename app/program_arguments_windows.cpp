// SPDX-License-Identifier: MIT
#include "app/program_arguments.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

// The system's UTF-16 command line keeps the names that argv, in the ANSI
// code page, would spoil (a Polish letter outside that page, say).
std::vector<std::filesystem::path> arguments_after_program_name(int, char**) {
  std::vector<std::filesystem::path> arguments;
  int count = 0;
  if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) arguments.emplace_back(std::wstring(wide[i]));
    LocalFree(wide);
  }
  return arguments;
}
