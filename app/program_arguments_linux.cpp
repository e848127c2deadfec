// SPDX-License-Identifier: MIT
#include "app/program_arguments.h"

// A file name is bytes here; decoding it as text would spoil one that is not
// UTF-8 (a Windows-1250 name from an old disk, say).
std::vector<std::filesystem::path> arguments_after_program_name(int argc, char** argv) {
  std::vector<std::filesystem::path> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  return arguments;
}
