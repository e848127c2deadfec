// SPDX-License-Identifier: MIT
#pragma once
// A file that is appended to (zel17-cli's --log, a record's journal): made
// when missing, never cut, so what it held stays; each piece of text is on
// the disk before append() returns, and the first failure is kept, so the
// run can end on it.

#include <filesystem>
#include <string>
#include <string_view>

#include "config/output_file.h"

class AppendedFile {
 public:
  explicit AppendedFile(const std::filesystem::path& path);

  // Why the file could not be opened, or the first append that failed, for
  // the user; empty while all is well.
  const std::string& failure() const { return failure_; }
  // It held nothing when opened (new, empty, or no regular file at all), so
  // a header belongs at its top.
  bool was_empty() const { return was_empty_; }
  // Writes the text and flushes it to the disk; why not, or empty.
  std::string append(std::string_view text);

 private:
  std::string failure_;  // before file_, which its opening fills
  output_file::OutputFile file_;
  bool was_empty_ = true;
};
