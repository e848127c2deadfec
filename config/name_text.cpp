// SPDX-License-Identifier: MIT
#include "config/name_text.h"

#include <algorithm>

#include "config/cell_description.h"
#include "config/config_matrix.h"
#include "text/trimmed.h"
#include "text/utf8_check.h"

namespace {

constexpr bool is_continuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// What a name may not begin or end with.
constexpr std::string_view kSpaces = " \t\n\r\v\f";

const std::string kNoName;

}  // namespace

std::string clean_name(std::string_view text) {
  std::string line;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    line += byte < 0x20 || byte == 0x7F ? ' ' : c;
  }
  return std::string(trimmed(line, kSpaces));
}

std::size_t name_length(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) { return !is_continuation(c); }));
}

std::string name_fault(std::string_view text) {
  if (!text::is_utf8(text)) return "nazwa nie jest tekstem UTF-8";
  if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
    return "nazwa ma więcej niż jeden wiersz lub znak sterujący";
  if (trimmed(text, kSpaces).size() != text.size()) return "nazwa zaczyna się lub kończy odstępem";
  if (name_length(text) > kMaxNameLength)
    return "nazwa jest dłuższa niż " + std::to_string(kMaxNameLength) + " znaków";
  return {};
}

const std::string& address_name_of_row(const ProjectNames& names, int row) {
  if (!is_address_row(row)) return kNoName;
  return names.addresses[static_cast<std::size_t>(address_of_row(row))];
}

const std::string& lamp_name(const ProjectNames& names, int column) {
  if (column < 0 || column >= ConfigMatrix::kColumns) return kNoName;
  return names.lamps[static_cast<std::size_t>(column)];
}

std::string with_name(const std::string& text, const std::string& name) {
  return name.empty() ? text : text + " (" + name + ")";
}

std::string named_cell_description(const ProjectNames& names, int row, int column, std::uint8_t value) {
  const std::string plain = cell_description(row, column, value);
  if (address_name_of_row(names, row).empty() && lamp_name(names, column).empty()) return plain;
  // The plain text is "<label>, wyjście N: <mode>"; the names go after the label and the output.
  const std::string label = row_label(row);
  const std::string output = "wyjście " + std::to_string(column + 1);
  const std::string mode = plain.substr(label.size() + 2 + output.size());
  return with_name(label, address_name_of_row(names, row)) + ", " + with_name(output, lamp_name(names, column)) + mode;
}

std::string site_line(const SiteInfo& site) {
  std::string line;
  const auto add = [&line](const std::string& lead, const std::string& part) {
    if (part.empty()) return;
    if (!line.empty()) line += ", ";
    line += lead + part;
  };
  add({}, site.name);
  add({}, site.address);
  add("miejsce tablicy: ", site.board_place);
  return line;
}

bool has_names(const ProjectNames& names) {
  const auto named = [](const std::string& name) { return !name.empty(); };
  return names.site != SiteInfo{} || std::any_of(names.lamps.begin(), names.lamps.end(), named) ||
         std::any_of(names.addresses.begin(), names.addresses.end(), named);
}

ProjectNames& project_names() {
  static ProjectNames names;
  return names;
}
