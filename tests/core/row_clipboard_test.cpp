// Rows through the clipboard: what a copy writes, which texts a paste takes,
// and which cells a paste sets.

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
  const auto rows = parse_clipboard_rows(row_clipboard_text(matrix, 7));
  ASSERT_TRUE(rows.has_value());
  ASSERT_EQ(rows->size(), 1u);
  EXPECT_EQ((*rows)[0][0], 3);
  EXPECT_EQ((*rows)[0][24], 1);
}

TEST(RowClipboard, PasteTakesOnlyWholeLinesOfTwentyFiveModes) {
  const std::string row = "0\t1\t2\t3\t0\t1\t2\t3\t0\t1\t2\t3\t0\t1\t2\t3\t0\t1\t2\t3\t0\t1\t2\t3\t0";
  auto with = [&](char separator) {
    std::string text = row;
    for (char& c : text) c = c == '\t' ? separator : c;
    return text;
  };
  struct Case {
    std::string text;
    std::size_t rows;  // 0: refused
  };
  const Case cases[] = {
      {row, 1},
      {row + "\r\n" + with(';') + "\r\n" + with(',') + "\r\n\r\n", 3},  // a spreadsheet's copy ends with a line end
      {with(';').replace(1, 1, " ; "), 1},                              // spaces around a value
      {"", 0},
      {"\n\n", 0},
      {"adr 0. Alarm I", 0},
      {row + "\t0", 0},                                    // 26 values
      {row.substr(0, row.size() - 2), 0},                  // 24 values
      {row.substr(0, row.size() - 1) + "4", 0},            // not a mode
      {row.substr(0, row.size() - 1) + "255", 0},          // not available is not pasted
      {row.substr(0, row.size() - 1) + "x", 0},
      {row + "\n\n" + row, 0},                             // a blank line between rows
      {row + "\n" + row.substr(2), 0},                     // one bad line spoils the text
      {row.substr(0, row.size() - 2) + "\t\t0", 0},        // an empty value
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto rows = parse_clipboard_rows(c.text);
    EXPECT_EQ(rows ? rows->size() : 0u, c.rows);
  }
}

TEST(RowClipboard, PasteGoesDownFromTheRowSkippingUnavailableCellsAndTheEnd) {
  ConfigMatrix matrix;
  RowModes steady;
  steady.fill(LED_STEADY);
  const std::vector<CellValue> over_row_4 = pasted_cells(matrix, 3, {steady, steady, steady});
  ASSERT_EQ(over_row_4.size(), 75u);
  for (const CellValue& cell : over_row_4) {
    EXPECT_EQ(cell.value, cell.row == 4 ? LED_NOT_AVAILABLE : LED_STEADY) << cell.row << "," << cell.column;
  }
  EXPECT_EQ(over_row_4.back().row, 5);
  // Rows past the last one are left out.
  const std::vector<CellValue> at_end = pasted_cells(matrix, 304, {steady, steady});
  ASSERT_EQ(at_end.size(), 25u);
  EXPECT_EQ(at_end.front().row, 304);
}

}  // namespace
