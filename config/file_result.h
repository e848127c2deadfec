#pragma once
// What saving or loading a file came to, for every file the tool reads or
// writes: configurations (.zel, .csv) and exports.

#include <cstddef>
#include <string>

struct FileResult {
  bool ok = false;
  std::string reason;           // why it failed, UTF-8, for the user; empty on success
  std::size_t values_read = 0;  // loading: the values the file held
};
