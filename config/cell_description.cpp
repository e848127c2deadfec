// SPDX-License-Identifier: MIT
#include "config/cell_description.h"

#include "config/config_matrix.h"
#include "text/counted.h"

std::string cell_description(int row, int column, std::uint8_t value) {
  std::string mode = led_mode_name(value);
  // Only a loaded file brings such a value; the report's legend calls it the same.
  if (mode.empty()) mode = "inna wartość";
  return row_label(row) + ", wyjście " + std::to_string(column + 1) + ": " + mode;
}

std::string mode_letter_description(std::uint8_t value) {
  const char letter = led_mode_letter(value);
  if (letter == 0) return {};
  return std::string(1, letter) + ": " + led_mode_name(value);
}

std::string in_cells_text(std::size_t count) {
  return count == 1 ? "w 1 komórce" : "w " + std::to_string(count) + " komórkach";
}

std::string cells_text(std::size_t count) { return counted(count, "komórkę", "komórki", "komórek"); }
