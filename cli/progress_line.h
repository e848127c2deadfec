// SPDX-License-Identifier: MIT
#pragma once
// The progress of a long run on a terminal: one line on standard error,
// redrawn in place, with the step, the count and the percentage:
//   Zapisywanie konfiguracji zdarzeń adresów... [#########-----------]  45/86  52%
// Disabled (not a terminal, or --quiet) it writes nothing at all.

#include <ostream>
#include <string>
#include <string_view>

class ProgressLine {
 public:
  ProgressLine(std::ostream& out, bool enabled) : out_(out), enabled_(enabled) {}
  ~ProgressLine() { clear(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // A new run of `maximum` steps, at 0.
  void start(int maximum);
  void set_status(std::string_view utf8);
  void set_position(int position);
  // A step without a count ("Czekam na moduł..."), until the next start().
  void show_waiting(std::string_view utf8);
  // Blanks the line, so that the next output starts on a clean one.
  void clear();
  // Puts `utf8` in the line's place and ends the line, so that it stays on
  // the terminal: no later drawing or clear() touches it.
  void keep(std::string_view utf8);
  // Whether the line is drawn at all.
  bool enabled() const { return enabled_; }

  // The line as drawn, without the carriage return and the blanking.
  static std::string render(std::string_view status, int position, int maximum);

 private:
  void draw(const std::string& line);

  std::ostream& out_;
  bool enabled_;
  std::string status_;
  int position_ = 0;
  int maximum_ = 0;
  std::size_t drawn_width_ = 0;  // characters on the line now
};
