// SPDX-License-Identifier: MIT
#include "emulator/bus_script.h"

#include <charconv>
#include <sstream>

#include "config/config_matrix.h"
#include "config/test_payload.h"

namespace {

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// The next word and what follows it.
std::pair<std::string_view, std::string_view> split_word(std::string_view text) {
  text = trimmed(text);
  const auto end = text.find_first_of(" \t");
  if (end == std::string_view::npos) return {text, {}};
  return {text.substr(0, end), trimmed(text.substr(end))};
}

std::optional<long> number(std::string_view text, int base = 10) {
  long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<int> event_row(std::string_view label) {
  for (int row = ConfigMatrix::kFirstAddressRow; row < ConfigMatrix::kRows; ++row) {
    if (row_label(row) == label) return row;
  }
  return std::nullopt;
}

// The frame of a unit whose state holds the listed events; nothing and the
// reason when a label is unknown.
std::optional<std::vector<std::uint8_t>> unit_frame(int unit, std::string_view events,
                                                     std::string& error) {
  TestPayload frame = build_test_payload(0, unit);
  if (events == "-") return std::vector<std::uint8_t>(frame.begin(), frame.end());
  while (!events.empty()) {
    const auto comma = events.find(',');
    const std::string_view label = trimmed(events.substr(0, comma));
    const std::optional<int> row = event_row(label);
    if (!row) {
      error = "unknown event \"" + std::string(label) + "\"";
      return std::nullopt;
    }
    const TestPayload one = build_test_payload(*row, unit);
    for (std::size_t i = 3; i < frame.size(); ++i) frame[i] |= one[i];
    events = comma == std::string_view::npos ? std::string_view{} : events.substr(comma + 1);
  }
  return std::vector<std::uint8_t>(frame.begin(), frame.end());
}

std::optional<std::vector<std::uint8_t>> raw_frame(std::string_view hex, std::string& error) {
  std::vector<std::uint8_t> bytes;
  while (!hex.empty()) {
    const auto [word, rest] = split_word(hex);
    const std::optional<long> value = number(word, 16);
    if (word.size() != 2 || !value) {
      error = "\"" + std::string(word) + "\" is not a byte in hex";
      return std::nullopt;
    }
    bytes.push_back(static_cast<std::uint8_t>(*value));
    hex = rest;
  }
  if (bytes.size() > 60) {
    error = "more than 60 bytes";
    return std::nullopt;
  }
  return bytes;
}

}  // namespace

ParsedBusScript parse_bus_script(std::string_view text) {
  BusScript script;
  std::istringstream lines{std::string(text)};
  std::string line;
  int number_of_line = 0;
  auto fail = [&](const std::string& why) {
    return ParsedBusScript{std::nullopt, "line " + std::to_string(number_of_line) + ": " + why};
  };
  std::chrono::milliseconds last{0};
  while (std::getline(lines, line)) {
    ++number_of_line;
    const std::string_view content = trimmed(line);
    if (content.empty() || content.front() == '#') continue;
    if (script.repeat_after) return fail("nothing may follow \"repeat\"");

    const auto [time_word, after_time] = split_word(content);
    const std::optional<long> ms = number(time_word);
    if (!ms || *ms < 0) return fail("a time in milliseconds must come first");
    const std::chrono::milliseconds at(*ms);
    if (at < last) return fail("the time falls back");
    last = at;

    const auto [what, rest] = split_word(after_time);
    std::string error;
    std::optional<std::vector<std::uint8_t>> bytes;
    if (what == "repeat" && rest.empty()) {
      if (at == std::chrono::milliseconds(0)) return fail("a round must last some time");
      script.repeat_after = at;
      continue;
    }
    if (what == "raw") {
      bytes = raw_frame(rest, error);
    } else {
      const std::optional<long> unit = number(what);
      if (!unit || *unit > 255) return fail("a control unit 0-255, \"raw\" or \"repeat\" must follow the time");
      if (rest.empty()) return fail("the events, or \"-\" for none, must follow the unit");
      bytes = unit_frame(static_cast<int>(*unit), rest, error);
    }
    if (!bytes) return fail(error);
    script.frames.push_back({at, std::move(*bytes)});
  }
  return {std::move(script), {}};
}
