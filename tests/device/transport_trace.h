// SPDX-License-Identifier: MIT
#pragma once
// Captures the transport's trace on standard output for one test.

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

class TraceCapture {
 public:
  TraceCapture() : saved_(std::cout.rdbuf(captured_.rdbuf())) {}
  ~TraceCapture() { std::cout.rdbuf(saved_); }
  TraceCapture(const TraceCapture&) = delete;
  TraceCapture& operator=(const TraceCapture&) = delete;

  std::string text() const { return captured_.str(); }

  // Whole lines; a last line without its end is kept as it is.
  std::vector<std::string> lines() const {
    std::vector<std::string> result;
    std::istringstream in(captured_.str());
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
  }

  void clear() { captured_.str({}); }

 private:
  std::ostringstream captured_;
  std::streambuf* saved_;
};
