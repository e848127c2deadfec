// SPDX-License-Identifier: MIT
// Rows and blocks through the clipboard: what a copy writes, which texts a
// paste takes, and which cells a paste sets.

#include <gtest/gtest.h>

#include "config/row_clipboard.h"

namespace {

TEST(RowClipboard, ACopiedRowIsOneLineOfTabSeparatedModes) {
  ConfigMatrix matrix;
  matrix.set(7, 0, LED_STEADY);
  matrix.set(7, 24, LED_SLOW_BLINK);
  EXPECT_EQ(row_clipboard_text(matrix, 7), "3\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t1");
  EXPECT_EQ(row_clipboard_text(matrix, 4).substr(0, 8), "255\t255\t");
  // What a copy writes, a paste takes back.
  const auto rows = parse_clipboard_modes(row_clipboard_text(matrix, 7));
  ASSERT_TRUE(rows.has_value());
  ASSERT_EQ(rows->size(), 1u);
  ASSERT_EQ((*rows)[0].size(), 25u);
  EXPECT_EQ((*rows)[0][0], 3);
  EXPECT_EQ((*rows)[0][24], 1);
}

TEST(RowClipboard, ACopiedBlockIsOneLinePerRowInEitherCornerOrder) {
  ConfigMatrix matrix;
  matrix.set(3, 23, LED_FAST_BLINK);
  matrix.set(5, 24, LED_STEADY);
  EXPECT_EQ(block_clipboard_text(matrix, CellBlock{5, 24, 3, 22}), "0\t2\t0\n255\t255\t255\n0\t0\t3");
  EXPECT_EQ(block_clipboard_text(matrix, CellBlock::at(5, 24)), "3");
}

TEST(RowClipboard, PasteTakesLinesOfOneToTwentyFiveModesAllOfOneLength) {
  const std::string row = "0\t1\t2\t3\t0\t1\t2\t3\t0\t1\t2\t3\t0\t1\t2\t3\t0\t1\t2\t3\t0\t1\t2\t3\t0";
  auto with = [&](char separator) {
    std::string text = row;
    for (char& c : text) c = c == '\t' ? separator : c;
    return text;
  };
  struct Case {
    std::string text;
    std::size_t rows;  // 0: refused
    std::size_t columns = 25;
  };
  const Case cases[] = {
      {row, 1},
      {row + "\r\n" + with(';') + "\r\n" + with(',') + "\r\n\r\n", 3},  // a spreadsheet's copy ends with a line end
      {with(';').replace(1, 1, " ; "), 1},                              // spaces around a value
      {"", 0},
      {"\n\n", 0},
      {"adr 0. Alarm I", 0},
      {row + "\t0", 0},                                    // 26 values
      {row.substr(0, row.size() - 2), 1, 24},
      {"2", 1, 1},
      {"1\t2\t3\r\n0;1;2\r\n", 2, 3},                          // each line its own separator
      {"1\t2\t3\n0\t1", 0},                                  // lines of different lengths
      {"1\t2\n" + row, 0},
      {row.substr(0, row.size() - 1) + "4", 0},            // not a mode
      {row.substr(0, row.size() - 1) + "255", 1},          // a copied unavailable cell; the paste places it
      {row.substr(0, row.size() - 1) + "25", 0},
      {row.substr(0, row.size() - 1) + "x", 0},
      {row + "\n\n" + row, 0},                             // a blank line between rows
      {row + "\n" + row.substr(2), 0},                     // one bad line spoils the text
      {row.substr(0, row.size() - 2) + "\t\t0", 0},        // an empty value
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto rows = parse_clipboard_modes(c.text);
    EXPECT_EQ(rows ? rows->size() : 0u, c.rows);
    if (rows) {
      EXPECT_EQ(rows->front().size(), c.columns);
    }
  }
}

TEST(RowClipboard, PasteGoesDownFromTheRowSkippingUnavailableCellsAndTheEnd) {
  ConfigMatrix matrix;
  const std::vector<std::uint8_t> steady(25, LED_STEADY);
  // Whole rows start in column 0 whatever the current column.
  const std::vector<CellValue> over_row_4 = pasted_cells(matrix, 3, 7, {steady, steady, steady}).value();
  ASSERT_EQ(over_row_4.size(), 75u);
  for (const CellValue& cell : over_row_4) {
    EXPECT_EQ(cell.value, cell.row == 4 ? LED_NOT_AVAILABLE : LED_STEADY) << cell.row << "," << cell.column;
  }
  EXPECT_EQ(over_row_4.back().row, 5);
  // Rows past the last one are left out.
  const std::vector<CellValue> at_end = pasted_cells(matrix, 304, 0, {steady, steady}).value();
  ASSERT_EQ(at_end.size(), 25u);
  EXPECT_EQ(at_end.front().row, 304);
}

TEST(RowClipboard, ABlockIsPastedFromTheCellAndClippedAtTheEdges) {
  ConfigMatrix matrix;
  const ModeLines block = {{1, 2, 3}, {3, 2, 1}};
  // A block copied across row 4 carries its 255s.
  const ModeLines over_row_4 = parse_clipboard_modes(block_clipboard_text(matrix, CellBlock{3, 1, 5, 2})).value();
  const ModeLines ending_on_row_4 = parse_clipboard_modes(block_clipboard_text(matrix, CellBlock{3, 1, 4, 2})).value();
  constexpr std::uint8_t kNa = LED_NOT_AVAILABLE;
  std::vector<CellValue> row_4;
  for (int column = 0; column < ConfigMatrix::kColumns; ++column) row_4.push_back({4, column, kNa});
  struct Case {
    const char* name;
    ModeLines lines;
    int row, column;
    std::optional<std::vector<CellValue>> cells;  // nothing: refused
  };
  const Case cases[] = {
      {"inside", block, 10, 4, {{{10, 4, 1}, {10, 5, 2}, {10, 6, 3}, {11, 4, 3}, {11, 5, 2}, {11, 6, 1}}}},
      {"clipped", block, 304, 23, {{{304, 23, 1}, {304, 24, 2}}}},
      {"onto row 4", block, 3, 0, {{{3, 0, 1}, {3, 1, 2}, {3, 2, 3}, {4, 0, kNa}, {4, 1, kNa}, {4, 2, kNa}}}},
      {"copied over row 4, pasted back", over_row_4, 3, 1,
       {{{3, 1, 0}, {3, 2, 0}, {4, 1, kNa}, {4, 2, kNa}, {5, 1, 0}, {5, 2, 0}}}},
      {"copied over row 4, pasted one row lower", over_row_4, 4, 1, std::nullopt},
      {"a 255 past the last row is left out", ending_on_row_4, 304, 0, {{{304, 0, 0}, {304, 1, 0}}}},
      {"row 4 alone onto row 4", {std::vector<std::uint8_t>(25, kNa)}, 4, 9, row_4},
      {"row 4 alone onto row 5", {std::vector<std::uint8_t>(25, kNa)}, 5, 0, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(pasted_cells(matrix, c.row, c.column, c.lines), c.cells);
  }
}

}  // namespace
