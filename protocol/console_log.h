#pragma once
// The console log store: every line the system logs, as Windows-1250 bytes.
// The window's Console only shows it; the protocol and the upload write to it.
// Lines are kept as byte strings so a saved log is exactly what was logged;
// a CR or LF byte inside a line does not split it.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class ConsoleLog {
 public:
  // Called after each append with the new line, and after clear() with an
  // empty view and cleared == true. One listener (the window) at a time.
  using Listener = std::function<void(std::string_view line, bool cleared)>;

  void append_line(std::string line);
  // Appends a UTF-8 source text, encoded to Windows-1250.
  void append_text(std::string_view utf8);
  // The banner shapes shared by every writer.
  void append_banner(std::string_view utf8_message);      // "", banner, ""
  void append_not_connected_notice();                     // "", banner
  void clear();

  const std::vector<std::string>& lines() const { return lines_; }
  std::size_t size() const { return lines_.size(); }

  // Writes every line followed by CR LF. Returns an empty string on success,
  // else the reason (in UTF-8) for the user.
  std::string save(const std::filesystem::path& path) const;

  void set_listener(Listener listener) { listener_ = std::move(listener); }

 private:
  std::vector<std::string> lines_;
  Listener listener_;
};

// The process's one console log.
ConsoleLog& console_log();

// "\t\t\t*** " + message + " ***", UTF-8.
std::string banner_line(std::string_view utf8_message);

inline constexpr std::string_view kNotConnectedMessage =
    "Nie ma w  tej chwili połączenia z żadnym urządzeniem!";
