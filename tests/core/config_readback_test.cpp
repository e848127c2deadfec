// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <tuple>

#include "config/cell_description.h"
#include "config/config_readback.h"
#include "config/readback_runner.h"
#include "flash_model.h"

namespace {

std::span<const std::uint8_t, 32> half_of(const FlashModel& flash, const FlashRead& read) {
  return std::span<const std::uint8_t, 32>(flash.pages[read.page].data() + read.block * 64 + read.half * 32, 32);
}

FlashReadback read_back(const FlashModel& flash) {
  FlashReadback readback;
  for (const FlashRead& read : build_readback_plan()) readback.store(read, half_of(flash, read));
  return readback;
}

FlashModel uploaded(const ConfigMatrix& matrix) {
  FlashModel flash;
  for (const UploadStep& step : build_upload_plan(convert_to_masks(matrix))) flash.apply(step.command);
  return flash;
}

ConfigMatrix random_matrix(unsigned seed) {
  std::mt19937 random(seed);
  ConfigMatrix matrix;
  for (auto& cell : matrix.bytes()) {
    const unsigned pick = random() % 6;
    cell = pick < 4 ? static_cast<std::uint8_t>(pick) : static_cast<std::uint8_t>(random());
  }
  return matrix;
}

TEST(ConfigReadback, ReadsEveryWrittenHalfOnce) {
  const std::vector<FlashRead> plan = build_readback_plan();
  ASSERT_EQ(plan.size(), 158u);
  std::set<std::tuple<int, int, int>> expected;
  for (int p = 0; p < 6; ++p)
    for (int b = 0; b < 13; ++b)
      for (int h = 0; h < 2; ++h) expected.insert({p, b, h});
  expected.insert({0, 13, 0});
  expected.insert({1, 13, 0});
  std::set<std::tuple<int, int, int>> planned;
  for (const FlashRead& read : plan) planned.insert({read.page, read.block, read.half});
  EXPECT_EQ(planned, expected);
}

TEST(ConfigReadback, UploadedMatrixReadsBackAsItsModes) {
  for (unsigned seed : {1u, 2u, 3u}) {
    const ConfigMatrix grid = random_matrix(seed);
    const FlashModel flash = uploaded(grid);
    ASSERT_TRUE(flash.faults.empty());

    const ReadbackResult result = decode_flash_readback(read_back(flash));
    ASSERT_TRUE(result.valid) << result.reason;
    EXPECT_TRUE(result.reason.empty());
    for (int r = 0; r < ConfigMatrix::kRows; ++r)
      for (int c = 0; c < ConfigMatrix::kColumns; ++c) {
        const int value = grid.at(r, c);
        const int expected = r == 4 ? 255 : (value <= 3 ? value : 0);
        ASSERT_EQ(result.matrix.at(r, c), expected) << "seed " << seed << " row " << r << " column " << c;
      }
    EXPECT_TRUE(compare_with_matrix(grid, result.matrix).empty());
  }
}

TEST(ConfigReadback, ModuleWithoutAConfigurationIsRejected) {
  const FlashModel good = uploaded(random_matrix(4));
  struct Case {
    const char* name;
    int page, offset;      // byte to spoil
    std::uint8_t or_mask;  // bits to set there
    bool whole_record;     // erase all 8 bytes of the record instead
  };
  const Case cases[] = {
      {"bit 25 in page 0 record 0", 0, 3, 0x02, false},
      {"bit 31 in page 3 record 57", 3, 8 * 57 + 3, 0x80, false},
      {"bits in a special record", 1, 832 + 8 * 2 + 3, 0x10, false},
      {"erased address record", 5, 8 * 99, 0, true},
      {"erased special record", 0, 832 + 8 * 3, 0, true},
  };
  for (const Case& c : cases) {
    FlashModel flash = good;
    if (c.whole_record)
      std::fill_n(flash.pages[c.page].begin() + c.offset, 8, 0xFF);
    else
      flash.pages[c.page][c.offset] |= c.or_mask;
    const ReadbackResult result = decode_flash_readback(read_back(flash));
    EXPECT_FALSE(result.valid) << c.name;
    EXPECT_FALSE(result.reason.empty()) << c.name;
  }

  // Erased pages, and nothing read at all.
  FlashModel erased;
  for (int p = 0; p < 6; ++p) erased.apply({FlashCommand::erase, static_cast<std::uint8_t>(p), 0, {}});
  EXPECT_FALSE(decode_flash_readback(read_back(erased)).valid);
  EXPECT_FALSE(decode_flash_readback(FlashReadback{}).valid);
}

TEST(ConfigReadback, BytesTheRecordsDoNotUseAreIgnored) {
  const ConfigMatrix grid = random_matrix(5);
  FlashModel flash = uploaded(grid);
  flash.pages[2][8 * 10 + 5] = 0x77;                   // byte 5 of a record
  flash.pages[0][800] ^= 0xFF;                         // the repeated half of block 12
  const ReadbackResult result = decode_flash_readback(read_back(flash));
  ASSERT_TRUE(result.valid) << result.reason;
  EXPECT_TRUE(compare_with_matrix(grid, result.matrix).empty());
}

TEST(ConfigReadback, ComparisonListsTheDifferingCellsRowByRow) {
  ConfigMatrix grid;
  ConfigMatrix module;
  grid.set(300, 2, 3);
  module.set(300, 2, 1);
  grid.set(7, 24, 9);     // counts as off: agrees with the module's 0
  grid.set(0, 5, 255);    // likewise
  module.set(1, 0, 2);
  grid.set(4, 3, 1);      // row 4 is never uploaded
  const std::vector<CellDifference> expected = {{1, 0, 0, 2}, {300, 2, 3, 1}};
  EXPECT_EQ(compare_with_matrix(grid, module), expected);
}

// One cell takes the singular; every other count the plural locative.
TEST(ConfigReadback, CountsOfDifferingCellsReadAsPolish) {
  const std::pair<std::size_t, const char*> cases[] = {
      {1, "w 1 komórce"},   {2, "w 2 komórkach"},   {4, "w 4 komórkach"},       {5, "w 5 komórkach"},
      {21, "w 21 komórkach"}, {22, "w 22 komórkach"}, {7625, "w 7625 komórkach"},
  };
  for (const auto& [count, text] : cases) EXPECT_EQ(in_cells_text(count), text) << count;

  // How many cells an edit set: 1, then 2-4 (but 12-14), then the rest.
  const std::pair<std::size_t, const char*> set[] = {
      {1, "1 komórkę"},    {2, "2 komórki"},    {4, "4 komórki"},     {5, "5 komórek"},  {12, "12 komórek"},
      {14, "14 komórek"},  {21, "21 komórek"},  {22, "22 komórki"},   {75, "75 komórek"}, {112, "112 komórek"},
      {124, "124 komórki"},
  };
  for (const auto& [count, text] : set) EXPECT_EQ(cells_text(count), text) << count;
  EXPECT_EQ(verify_status_text(1), "Konfiguracja w module różni się w 1 komórce!");
}

}  // namespace
