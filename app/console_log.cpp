#include "app/console_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

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

std::string ConsoleLog::save(const std::string& path) const {
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "wb"));
  if (!file) return std::strerror(errno);
  for (const std::string& line : lines_) {
    if (std::fwrite(line.data(), 1, line.size(), file.get()) != line.size() ||
        std::fwrite("\r\n", 1, 2, file.get()) != 2) {
      return std::strerror(errno);
    }
  }
  std::FILE* raw = file.release();
  if (std::fclose(raw) != 0) return std::strerror(errno);
  return {};
}

ConsoleLog& console_log() {
  static ConsoleLog log;
  return log;
}
