// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "config/config_matrix.h"

TEST(ConfigMatrix, StartsOffWithRowFourNotAvailable) {
  ConfigMatrix m;
  for (int r = 0; r < ConfigMatrix::kRows; ++r)
    for (int c = 0; c < ConfigMatrix::kColumns; ++c)
      EXPECT_EQ(m.at(r, c), r == 4 ? 255 : 0) << r << "," << c;
  EXPECT_EQ(ConfigMatrix::index(304, 24), 7624);
  EXPECT_EQ(ConfigMatrix::index(0, 1), 305);
}

TEST(ConfigMatrix, ClickCycleColoursNamesAndLetters) {
  struct Case { int value, next; Rgb colour; std::string name; char letter; };
  const Case cases[] = {
      {0, 1, {255, 255, 255}, "wyłączone", 0},       {1, 2, {255, 255, 0}, "wolne miganie", 'W'},
      {2, 3, {0, 0, 255}, "szybkie miganie", 'S'},   {3, 0, {255, 0, 0}, "ciągłe świecenie", 'C'},
      {255, 255, {128, 128, 128}, "niedostępne", 0}, {7, 0, {0, 0, 0}, "", 0},
      {4, 0, {0, 0, 0}, "", 0},                      {254, 0, {0, 0, 0}, "", 0},
  };
  for (const Case& c : cases) {
    const auto value = static_cast<std::uint8_t>(c.value);
    EXPECT_EQ(next_led_mode(value), c.next) << c.value;
    EXPECT_EQ(led_mode_color(value), c.colour) << c.value;
    EXPECT_EQ(led_mode_name(value), c.name) << c.value;
    EXPECT_EQ(led_mode_letter(value), c.letter) << c.value;
  }
}

TEST(ConfigMatrix, RowLabels) {
  EXPECT_EQ(row_label(0), "Brak zdarzeń");
  EXPECT_EQ(row_label(1), "Strata łączności");
  EXPECT_EQ(row_label(2), "Test wyjść");
  EXPECT_EQ(row_label(3), "Po resecie");
  EXPECT_EQ(row_label(4), "(brak funckji)");
  EXPECT_EQ(row_label(5), "adr 0. Alarm I");
  EXPECT_EQ(row_label(27), "adr 7. Alarm II");
  EXPECT_EQ(row_label(304), "adr 99. Awaria");
  EXPECT_EQ(row_label(305), "");
  EXPECT_FALSE(is_address_row(4));
  EXPECT_TRUE(is_address_row(5));
  EXPECT_TRUE(is_address_row(304));
  EXPECT_FALSE(is_address_row(305));
}

TEST(ConfigMatrix, DifferingCellsGivesBothBytesRowByRow) {
  ConfigMatrix grid;
  ConfigMatrix other;
  other.set(300, 2, 3);
  grid.set(4, 0, 2);  // every byte counts, row 4 and values past 3 too
  other.set(7, 24, 9);
  grid.set(7, 3, 1);
  other.set(7, 3, 1);
  const std::vector<CellDifference> expected = {{4, 0, 2, 255}, {7, 24, 0, 9}, {300, 2, 0, 3}};
  EXPECT_EQ(differing_cells(grid.bytes(), other.bytes()), expected);
  EXPECT_TRUE(differing_cells(grid.bytes(), grid.bytes()).empty());
}
