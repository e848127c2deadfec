// SPDX-License-Identifier: MIT
#include "protocol/console_log.h"

#include <fstream>

#include "protocol/bounded_list.h"
#include "text/cp1250.h"

void ConsoleLog::append_line(std::string line) {
  repeats_ = 0;
  lines_.push_back(std::move(line));
  notify(ConsoleChange::appended, lines_.back());
  const auto note_of = [](const std::string&, std::uint64_t dropped) { return text::to_cp1250(dropped_lines_note(dropped)); };
  if (drop_oldest_tenth(lines_, line_limit_, dropped_, note_of)) notify(ConsoleChange::dropped_oldest, lines_.front());
}

void ConsoleLog::append_text(std::string_view utf8) { append_line(text::to_cp1250(utf8)); }

std::string banner_line(std::string_view utf8_message) {
  std::string line = "\t\t\t*** ";
  line += utf8_message;
  line += " ***";
  return line;
}

void ConsoleLog::append_banner(std::string_view utf8_message) {
  append_line({});
  append_text(banner_line(utf8_message));
  append_line({});
}

void ConsoleLog::append_not_connected_notice() {
  append_line({});
  append_text(banner_line(kNotConnectedMessage));
}

void ConsoleLog::count_repeat() {
  if (repeats_ == 0 || lines_.empty()) {
    append_text(repeat_line(1));
    repeats_ = 1;
    return;
  }
  lines_.back() = text::to_cp1250(repeat_line(++repeats_));
  notify(ConsoleChange::replaced_last, lines_.back());
}

ConsoleLog::ListenerId ConsoleLog::add_listener(Listener listener) {
  listeners_.emplace_back(next_listener_, std::move(listener));
  return next_listener_++;
}

void ConsoleLog::remove_listener(ListenerId id) {
  std::erase_if(listeners_, [id](const auto& listener) { return listener.first == id; });
}

void ConsoleLog::clear() {
  lines_.clear();
  dropped_ = 0;
  repeats_ = 0;
  notify(ConsoleChange::cleared, {});
}

std::string ConsoleLog::save(const std::filesystem::path& path) const {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return "nie można utworzyć pliku";
  for (const std::string& line : lines_) {
    file.write(line.data(), static_cast<std::streamsize>(line.size()));
    file.write("\r\n", 2);
  }
  file.close();
  if (!file) return "zapis do pliku nie powiódł się";
  return {};
}

std::string dropped_lines_note(std::uint64_t dropped) {
  return "(pominięto najstarsze wiersze: " + std::to_string(dropped) + ")";
}

std::string repeat_line(std::uint64_t repeats) {
  // Polish says "1 raz", but "2 razy", "5 razy", "21 razy".
  return "(powtórzona " + std::to_string(repeats) + (repeats == 1 ? " raz)" : " razy)");
}

ConsoleLog& console_log() {
  static ConsoleLog log;
  return log;
}
