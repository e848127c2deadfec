// SPDX-License-Identifier: MIT
#pragma once
// Medians and the table rows every benchmark prints. A row is one line of a
// Markdown table: what was measured, the median with its number of runs, the
// goal, and whether the median meets it.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

inline double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

enum class Goal { at_most, below, none };

// `shown` is the value as the table shows it; `goal_text` the goal ("< 50 µs").
inline void print_row(const std::string& measure, double value, const std::string& shown, int runs, Goal goal,
                      double limit, const std::string& goal_text) {
  std::string verdict = "–";
  if (goal == Goal::at_most) verdict = value <= limit ? "met" : "**missed**";
  if (goal == Goal::below) verdict = value < limit ? "met" : "**missed**";
  std::printf("| %s | %s | %d | %s | %s |\n", measure.c_str(), shown.c_str(), runs,
              goal == Goal::none ? "–" : goal_text.c_str(), verdict.c_str());
  std::fflush(stdout);
}

// The same with the value printed by `format` (one number, e.g. "%.1f µs").
inline void print_row(const std::string& measure, double value, const char* format, int runs, Goal goal,
                      double limit, const std::string& goal_text) {
  char shown[64];
  std::snprintf(shown, sizeof shown, format, value);
  print_row(measure, value, std::string(shown), runs, goal, limit, goal_text);
}
