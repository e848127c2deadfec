// SPDX-License-Identifier: MIT
#pragma once
// --log FILE: one line per module appended to FILE, on the disk before the
// next module is taken, so a production line keeps a record of what went
// into which module even through a power cut. Tab-separated: local time
// (ISO 8601 with its offset), the result text, the exit status, the
// configuration file's name and the SHA-256 of its 7625 bytes (both empty
// for a command without a configuration).

#include <filesystem>
#include <string>

#include "config/appended_file.h"
#include "text/local_time.h"

struct LogRecord {
  std::string time;  // see iso8601_local_time()
  std::string result;
  int exit_status = 0;
  std::string file_name;
  std::string sha256;
};

// The line as written, with its line end. A tab or line break inside a
// field would break the record and becomes a space.
std::string log_line(const LogRecord& record);

class ResultLog {
 public:
  // Opens `path` to append to (made when missing); check error() after.
  explicit ResultLog(const std::filesystem::path& path);
  // Why the file could not be opened, for the user; empty when it is open.
  const std::string& error() const { return file_.failure(); }
  // Appends the line and flushes it to the disk; why not, or empty.
  std::string append(const LogRecord& record) { return file_.append(log_line(record)); }

 private:
  AppendedFile file_;
};
