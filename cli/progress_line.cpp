// SPDX-License-Identifier: MIT
#include "cli/progress_line.h"

#include <algorithm>

namespace {

constexpr int kBarWidth = 20;

// Characters, not bytes: a UTF-8 continuation byte adds none.
std::size_t display_width(std::string_view utf8) {
  return static_cast<std::size_t>(
      std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

}  // namespace

std::string ProgressLine::render(std::string_view status, int position, int maximum) {
  if (maximum <= 0) return std::string(status);
  position = std::clamp(position, 0, maximum);
  const int filled = position * kBarWidth / maximum;
  const int percent = position * 100 / maximum;
  const std::string count = std::to_string(position) + "/" + std::to_string(maximum);
  const std::string percentage = std::to_string(percent) + "%";
  return std::string(status) + " [" + std::string(filled, '#') +
         std::string(kBarWidth - filled, '-') + "] " + count + " " +
         std::string(4 - std::min<std::size_t>(4, percentage.size()), ' ') + percentage;
}

void ProgressLine::start(int maximum) {
  maximum_ = maximum;
  position_ = 0;
  status_.clear();
}

void ProgressLine::set_status(std::string_view utf8) {
  status_ = utf8;
  draw(render(status_, position_, maximum_));
}

void ProgressLine::set_position(int position) {
  position_ = position;
  draw(render(status_, position_, maximum_));
}

void ProgressLine::show_waiting(std::string_view utf8) {
  maximum_ = 0;
  status_ = utf8;
  draw(status_);
}

void ProgressLine::clear() {
  if (!enabled_ || drawn_width_ == 0) return;
  out_ << '\r' << std::string(drawn_width_, ' ') << '\r' << std::flush;
  drawn_width_ = 0;
}

void ProgressLine::keep(std::string_view utf8) {
  if (!enabled_) return;
  draw(std::string(utf8));
  out_ << '\n' << std::flush;
  drawn_width_ = 0;
}

// Blanks rather than an erase sequence: the Windows console knows no
// escape sequences unless asked to.
void ProgressLine::draw(const std::string& line) {
  if (!enabled_) return;
  const std::size_t width = display_width(line);
  out_ << '\r' << line;
  if (width < drawn_width_) out_ << std::string(drawn_width_ - width, ' ');
  out_ << std::flush;
  drawn_width_ = std::max(width, drawn_width_);
}
