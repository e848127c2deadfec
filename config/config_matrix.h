// SPDX-License-Identifier: MIT
#pragma once
// The event-to-output table: 305 event rows by 25 outputs, one LedMode byte
// per cell, stored column by column (cell of row r, column c at r + c * 305).
// The byte order is also the order of the configuration file.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

enum LedMode : std::uint8_t {
  LED_OFF = 0,
  LED_SLOW_BLINK = 1,
  LED_FAST_BLINK = 2,
  LED_STEADY = 3,
  LED_NOT_AVAILABLE = 255,
};

class ConfigMatrix {
 public:

  static constexpr int kRows = 305;
  static constexpr int kColumns = 25;
  static constexpr int kCells = kRows * kColumns;  // 7625
  using Bytes = std::array<std::uint8_t, kCells>;
  static constexpr int kNoFunctionRow = 4;
  static constexpr int kFirstAddressRow = 5;
  static constexpr int kAddresses = 100;

  static constexpr int index(int row, int column) { return row + column * kRows; }

  ConfigMatrix() { reset(); }

  // The state after start: every cell off, row 4 not available.
  void reset();

  std::uint8_t at(int row, int column) const { return cells_[index(row, column)]; }
  void set(int row, int column, std::uint8_t value) { cells_[index(row, column)] = value; }

  Bytes& bytes() { return cells_; }
  const Bytes& bytes() const { return cells_; }

  friend bool operator==(const ConfigMatrix&, const ConfigMatrix&) = default;

 private:
  Bytes cells_{};
};

// One cell and the mode it is to hold.
struct CellValue {
  int row = 0;
  int column = 0;
  std::uint8_t value = 0;
  friend bool operator==(const CellValue&, const CellValue&) = default;
};

// A cell whose mode differs between the edited grid and another
// configuration: a file, the module's FLASH, or the grid before an edit.
struct CellDifference {
  int row = 0;
  int column = 0;
  std::uint8_t grid_mode = 0;
  std::uint8_t other_mode = 0;
  friend bool operator==(const CellDifference&, const CellDifference&) = default;
};

// Every cell whose byte differs, row by row.
std::vector<CellDifference> differing_cells(const ConfigMatrix::Bytes& grid, const ConfigMatrix::Bytes& other);

// One left click: 0 -> 1 -> 2 -> 3 -> 0; 255 stays; any other value becomes 0.
std::uint8_t next_led_mode(std::uint8_t value);
// A mode chosen for a cell by key or paste: a cell that is not available keeps 255.
constexpr std::uint8_t chosen_led_mode(std::uint8_t value, std::uint8_t chosen) {
  return value == LED_NOT_AVAILABLE ? value : chosen;
}

struct Rgb {
  std::uint8_t r, g, b;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};
// The colour a cell of this value is painted in.
Rgb led_mode_color(std::uint8_t value);
// The mode's name as the user reads it, lower case, UTF-8: "wyłączone", "wolne miganie",
// "szybkie miganie", "ciągłe świecenie", "niedostępne"; empty for any other value.
const char* led_mode_name(std::uint8_t value);
// The letter that says a lit mode without colour ('W', 'S', 'C'); 0 for any other value.
char led_mode_letter(std::uint8_t value);

// A cell's mode that lights its lamp: blinking or steady.
constexpr bool is_lit_mode(std::uint8_t value) { return value >= LED_SLOW_BLINK && value <= LED_STEADY; }
// Whether the event of `row` lights some lamp: a cell of it blinks or is steady.
bool row_lights_a_lamp(const ConfigMatrix& matrix, int row);

// The label of an event row, UTF-8 ("Brak zdarzeń", "adr 7. Alarm II", ...).
std::string row_label(int row);

// Rows 5..304 are address events and can be tested.
constexpr bool is_address_row(int row) { return row >= ConfigMatrix::kFirstAddressRow && row < ConfigMatrix::kRows; }

// The three events of an address, in the order of their rows.
enum class AddressEvent { alarm_1, alarm_2, fault };

// The matrix row of an address's event, and back (for address rows only).
constexpr int address_row(int address, AddressEvent event) {
  return ConfigMatrix::kFirstAddressRow + 3 * address + static_cast<int>(event);
}
constexpr int address_of_row(int row) { return (row - ConfigMatrix::kFirstAddressRow) / 3; }
constexpr AddressEvent event_of_row(int row) {
  return static_cast<AddressEvent>((row - ConfigMatrix::kFirstAddressRow) % 3);
}

// The process's one matrix.
ConfigMatrix& config_matrix();
