// SPDX-License-Identifier: MIT
#pragma once
// What saving or loading a file came to, for every file the tool reads or
// writes: configurations (.zel, .csv) and exports.

#include <cstddef>
#include <string>
#include <utility>

struct FileResult {
  bool ok = false;
  std::string reason;           // why it failed, UTF-8, for the user; empty on success
  std::size_t values_read = 0;  // loading: the values the file held
  // A save that worked, but not quite as asked (written in place, the old
  // file's owner or rights not kept): said to the user; empty otherwise.
  std::string note;

  static FileResult failure(std::string why) {
    FileResult result;
    result.reason = std::move(why);
    return result;
  }
  static FileResult success() {
    FileResult result;
    result.ok = true;
    return result;
  }
};
