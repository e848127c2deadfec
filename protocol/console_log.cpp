#include "protocol/console_log.h"

#include <fstream>

#include "text/cp1250.h"

void ConsoleLog::append_line(std::string line) {
  lines_.push_back(std::move(line));
  if (listener_) listener_(lines_.back(), false);
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

void ConsoleLog::clear() {
  lines_.clear();
  if (listener_) listener_({}, true);
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

ConsoleLog& console_log() {
  static ConsoleLog log;
  return log;
}
