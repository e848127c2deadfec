// SPDX-License-Identifier: MIT
#pragma once
// The console log store: every line the system logs, as Windows-1250 bytes.
// The window's Console only shows it; the protocol and the upload write to it.
// Lines are kept as byte strings so a saved log is exactly what was logged;
// a CR or LF byte inside a line does not split it.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What a listener is told of.
enum class ConsoleChange {
  appended,       // `line` was added at the end
  replaced_last,  // the last line is now `line` (a count of repeats went up)
  dropped_oldest, // the oldest lines went, and the first line is now the note of how many (`line`)
  cleared,        // every line went
};

class ConsoleLog {
 public:
  // Called after each change: every view of the store (the service page's
  // console, the console window) and the command line's trace each hold one.
  using Listener = std::function<void(ConsoleChange change, std::string_view line)>;
  using ListenerId = std::uint64_t;

  // Past `line_limit` lines the store drops its oldest tenth at once (a
  // first line then says how many went), so it holds at most 1.1 times as many.
  explicit ConsoleLog(std::size_t line_limit = kConsoleLineLimit) : line_limit_(line_limit) {}

  void append_line(std::string line);
  // Appends a UTF-8 source text, encoded to Windows-1250.
  void append_text(std::string_view utf8);
  // The banner shapes shared by every writer.
  void append_banner(std::string_view utf8_message);      // "", banner, ""
  void append_not_connected_notice();                     // "", banner
  // Something that would have logged the same as before happened again: the
  // line after it counts the repeats, "(powtórzona N razy)", and is
  // rewritten in place while nothing else is logged.
  void count_repeat();
  void clear();

  const std::vector<std::string>& lines() const { return lines_; }
  std::size_t size() const { return lines_.size(); }
  // How many of the oldest lines went to keep the store bounded.
  std::uint64_t dropped() const { return dropped_; }

  // Writes every line followed by CR LF. Returns an empty string on success,
  // else the reason (in UTF-8) for the user.
  std::string save(const std::filesystem::path& path) const;

  // Listeners are told in the order they were added; an id lets one go.
  ListenerId add_listener(Listener listener);
  void remove_listener(ListenerId id);

  // The window's console is bounded: hours of a busy bus must not slow it down.
  static constexpr std::size_t kConsoleLineLimit = 5000;

 private:
  void notify(ConsoleChange change, std::string_view line) {
    for (std::size_t i = 0; i < listeners_.size(); ++i) listeners_[i].second(change, line);
  }

  std::vector<std::string> lines_;
  std::size_t line_limit_;
  std::uint64_t dropped_ = 0;
  std::uint64_t repeats_ = 0;  // of the last line, when it counts repeats
  std::vector<std::pair<ListenerId, Listener>> listeners_;
  ListenerId next_listener_ = 1;
};

// "(pominięto najstarsze wiersze: N)", the first line of a store that
// dropped lines (UTF-8).
std::string dropped_lines_note(std::uint64_t dropped);
// "(powtórzona N razy)" (UTF-8).
std::string repeat_line(std::uint64_t repeats);

// The process's one console log.
ConsoleLog& console_log();

// "\t\t\t*** " + message + " ***", UTF-8.
std::string banner_line(std::string_view utf8_message);

inline constexpr std::string_view kNotConnectedMessage =
    "Nie ma w  tej chwili połączenia z żadnym urządzeniem!";
