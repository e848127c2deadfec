// SPDX-License-Identifier: MIT
// Lamps assigned to addresses by rule: which cells the rule changes.

#include <gtest/gtest.h>

#include "config/address_fill.h"

// Found by the failure messages beside CellValue itself.
static std::ostream& operator<<(std::ostream& out, const CellValue& cell) {
  return out << "(" << cell.row << "," << cell.column << ")=" << int{cell.value};
}

namespace {

constexpr std::uint8_t kOff = LED_OFF, kSlow = LED_SLOW_BLINK, kFast = LED_FAST_BLINK, kSteady = LED_STEADY;

TEST(AddressFill, TheTypicalBoardIsOneRule) {
  // Addresses 0-24, each with its own lamp 1-25: Alarm I slow, Alarm II steady, fault fast.
  ConfigMatrix matrix;
  AddressFill fill;
  fill.last_address = 24;
  fill.modes = {kSlow, kSteady, kFast};
  const std::vector<CellValue> cells = address_fill_cells(matrix, fill);
  ASSERT_EQ(cells.size(), 75u);
  EXPECT_EQ(cells.front(), (CellValue{5, 0, kSlow}));
  EXPECT_EQ(cells[1], (CellValue{6, 0, kSteady}));
  EXPECT_EQ(cells[2], (CellValue{7, 0, kFast}));
  EXPECT_EQ(cells[3 * 7 + 1], (CellValue{address_row(7, AddressEvent::alarm_2), 7, kSteady}));
  EXPECT_EQ(cells.back(), (CellValue{79, 24, kFast}));
  for (const CellValue& cell : cells) matrix.set(cell.row, cell.column, cell.value);
  EXPECT_TRUE(address_fill_cells(matrix, fill).empty());  // nothing left to change
}

TEST(AddressFill, RangesLampsModesAndTheOtherLamps) {
  ConfigMatrix lit;  // address 3's Alarm I with lamps 1 and 2 slow, Alarm II with lamp 9 fast
  lit.set(14, 0, kSlow);
  lit.set(14, 1, kSlow);
  lit.set(15, 8, kFast);
  struct Case {
    const char* name;
    AddressFill fill;
    std::vector<CellValue> cells;
  };
  const auto fill = [](int first, int last, int lamp, bool consecutive, std::optional<std::uint8_t> alarm_1,
                       std::optional<std::uint8_t> alarm_2, std::optional<std::uint8_t> fault, bool others_off) {
    return AddressFill{first, last, lamp, consecutive, {alarm_1, alarm_2, fault}, others_off};
  };
  const Case cases[] = {
      {"consecutive lamps from lamp 5", fill(10, 12, 5, true, kSteady, {}, {}, false),
       {{35, 4, kSteady}, {38, 5, kSteady}, {41, 6, kSteady}}},
      {"one lamp for every address", fill(10, 12, 5, false, {}, {}, kFast, false),
       {{37, 4, kFast}, {40, 4, kFast}, {43, 4, kFast}}},
      {"past lamp 25 the count goes on from lamp 1", fill(97, 99, 24, true, {}, kSlow, {}, false),
       {{297, 23, kSlow}, {300, 24, kSlow}, {303, 0, kSlow}}},
      {"a single address", fill(99, 99, 25, true, kSteady, {}, {}, false), {{302, 24, kSteady}}},
      {"bez zmian everywhere changes nothing", fill(0, 99, 1, true, {}, {}, {}, true), {}},
      {"a cell that already holds its mode is not a change", fill(3, 3, 1, true, kSlow, {}, {}, false), {}},
      {"off sets a lit lamp off", fill(3, 3, 2, true, kOff, {}, {}, false), {{14, 1, kOff}}},
      {"the other lamps of the rows that get a mode go off", fill(3, 3, 2, true, kSteady, {}, kSlow, true),
       {{14, 0, kOff}, {14, 1, kSteady}, {16, 1, kSlow}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(address_fill_cells(lit, c.fill), c.cells);
  }
}

TEST(AddressFill, CellsThatAreNotAvailableStay) {
  ConfigMatrix matrix;
  matrix.set(20, 4, LED_NOT_AVAILABLE);  // as a loaded file may hold
  const AddressFill fill{5, 5, 5, true, {kSteady, {}, {}}, true};
  const std::vector<CellValue> cells = address_fill_cells(matrix, fill);
  EXPECT_TRUE(cells.empty()) << cells.front();
}

}  // namespace
