// SPDX-License-Identifier: MIT
#pragma once
// A file's bytes, whole: what the window wrote, or what it is to read. Paths
// go through UTF-8, so Polish file names are right on Windows too.

#include <QString>
#include <fstream>
#include <iterator>
#include <string>

#include "text/utf8_path.h"

inline std::string read_bytes(const QString& path) {
  std::ifstream in(utf8_path(path.toStdString()), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_bytes(const QString& path, const std::string& bytes) {
  std::ofstream(utf8_path(path.toStdString()), std::ios::binary | std::ios::trunc) << bytes;
}
