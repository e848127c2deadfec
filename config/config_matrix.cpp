// SPDX-License-Identifier: MIT
#include "config/config_matrix.h"

void ConfigMatrix::reset() {
  cells_.fill(LED_OFF);
  for (int c = 0; c < kColumns; ++c) set(kNoFunctionRow, c, LED_NOT_AVAILABLE);
}

std::uint8_t next_led_mode(std::uint8_t value) {
  if (value == LED_NOT_AVAILABLE) return value;
  const int next = value + 1;
  return next > LED_STEADY ? std::uint8_t{LED_OFF} : static_cast<std::uint8_t>(next);
}

Rgb led_mode_color(std::uint8_t value) {
  switch (value) {
    case LED_OFF: return {255, 255, 255};
    case LED_SLOW_BLINK: return {255, 255, 0};
    case LED_FAST_BLINK: return {0, 0, 255};
    case LED_STEADY: return {255, 0, 0};
    case LED_NOT_AVAILABLE: return {128, 128, 128};
    default: return {0, 0, 0};
  }
}

const char* led_mode_name(std::uint8_t value) {
  switch (value) {
    case LED_OFF: return "wyłączone";
    case LED_SLOW_BLINK: return "wolne miganie";
    case LED_FAST_BLINK: return "szybkie miganie";
    case LED_STEADY: return "ciągłe świecenie";
    case LED_NOT_AVAILABLE: return "niedostępne";
    default: return "";
  }
}

char led_mode_letter(std::uint8_t value) {
  switch (value) {
    case LED_SLOW_BLINK: return 'W';
    case LED_FAST_BLINK: return 'S';
    case LED_STEADY: return 'C';
    default: return 0;
  }
}

std::string row_label(int row) {
  static constexpr const char* kSpecial[] = {"Brak zdarzeń", "Strata łączności", "Test wyjść",
                                             "Po resecie", "(brak funckji)"};
  static constexpr const char* kKinds[] = {". Alarm I", ". Alarm II", ". Awaria"};
  if (row < 0 || row >= ConfigMatrix::kRows) return {};
  if (row < ConfigMatrix::kFirstAddressRow) return kSpecial[row];
  const int offset = row - ConfigMatrix::kFirstAddressRow;
  return "adr " + std::to_string(offset / 3) + kKinds[offset % 3];
}

ConfigMatrix& config_matrix() {
  static ConfigMatrix matrix;
  return matrix;
}

std::vector<CellDifference> differing_cells(const ConfigMatrix::Bytes& grid, const ConfigMatrix::Bytes& other) {
  std::vector<CellDifference> cells;
  for (int row = 0; row < ConfigMatrix::kRows; ++row) {
    for (int column = 0; column < ConfigMatrix::kColumns; ++column) {
      const int index = ConfigMatrix::index(row, column);
      if (grid[index] != other[index]) cells.push_back({row, column, grid[index], other[index]});
    }
  }
  return cells;
}

bool row_lights_a_lamp(const ConfigMatrix& matrix, int row) {
  for (int column = 0; column < ConfigMatrix::kColumns; ++column) {
    if (is_lit_mode(matrix.at(row, column))) return true;
  }
  return false;
}
