// SPDX-License-Identifier: MIT
#pragma once
// A file the emulator's build puts in build/emulator/, beside the folder of
// this test program.

#include <unistd.h>

#include <climits>
#include <filesystem>
#include <string>

inline std::string emulator_build_file(const char* name) {
  char self[PATH_MAX] = {};
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return {};
  const std::filesystem::path build = std::filesystem::path(self).parent_path().parent_path();
  return (build / "emulator" / name).string();
}
