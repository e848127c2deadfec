#pragma once
// A file's bytes, whole, for comparing what the window wrote.

#include <QString>
#include <fstream>
#include <iterator>
#include <string>

inline std::string read_bytes(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
