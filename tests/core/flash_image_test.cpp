// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "config/flash_image.h"
#include "flash_model.h"

namespace {

// The layout, written out here from the table of pages rather than taken
// from the code under test.
constexpr int kFirstRowOfPage[6] = {5, 5, 6, 6, 7, 7};
constexpr int kModeBitOfPage[6] = {0, 1, 0, 1, 0, 1};

std::uint32_t table_mask(const ConfigMatrix& matrix, int row, int bit) {
  std::uint32_t mask = 0;
  for (int c = 0; c < 25; ++c) {
    const int value = matrix.at(row, c);
    const bool on = (bit == 0) ? (value == 1 || value == 3) : (value == 2 || value == 3);
    if (on) mask |= 1u << c;
  }
  return mask;
}

void put_record(std::array<std::uint8_t, FlashModel::kPageBytes>& page, int record, std::uint32_t mask) {
  for (int i = 0; i < 8; ++i) page[8 * record + i] = i < 4 ? static_cast<std::uint8_t>(mask >> (8 * i)) : 0;
}

// What pages 0 to 7 must hold after an upload over FLASH that held kUntouched.
FlashModel expected_flash(const ConfigMatrix& matrix) {
  FlashModel flash;
  for (int p = 0; p < 6; ++p) {
    auto& page = flash.pages[p];
    page.fill(0xFF);
    for (int n = 0; n < 100; ++n) put_record(page, n, table_mask(matrix, kFirstRowOfPage[p] + 3 * n, kModeBitOfPage[p]));
    for (int i = 0; i < 32; ++i) page[800 + i] = page[768 + i];  // block 12, half 1 repeats half 0
    if (p < 2) {
      for (int r = 0; r < 4; ++r) put_record(page, 104 + r, table_mask(matrix, r, kModeBitOfPage[p]));
      for (int i = 864; i < 896; ++i) page[i] = 0;
    }
  }
  return flash;
}

FlashModel run_upload(const ConfigMatrix& matrix) {
  FlashModel flash;
  for (const UploadStep& step : build_upload_plan(convert_to_masks(matrix))) flash.apply(step.command);
  return flash;
}

// Every non-zero data byte the upload sends, keyed by (page, block, byte of
// the block): a buffer command carries block bytes 0-31, a write 32-63.
std::map<std::tuple<int, int, int>, int> sent_bytes(const ConfigMatrix& matrix) {
  std::map<std::tuple<int, int, int>, int> sent;
  for (const UploadStep& step : build_upload_plan(convert_to_masks(matrix))) {
    const FlashCommand& command = step.command;
    for (int i = 0; i < 32; ++i) {
      if (command.data[i] == 0) continue;
      const int at = (command.kind == FlashCommand::write ? 32 : 0) + i;
      sent[{command.page, command.block, at}] = command.data[i];
    }
  }
  return sent;
}

TEST(FlashImage, MasksHoldTheTwoBitsOfEachMode) {
  struct Case { std::uint8_t value; bool bit0, bit1; };
  const Case cases[] = {{0, false, false}, {1, true, false}, {2, false, true},   {3, true, true},
                        {4, false, false}, {7, false, false}, {254, false, false}, {255, false, false}};
  for (const Case& c : cases) {
    ConfigMatrix matrix;
    matrix.set(100, 17, c.value);
    matrix.set(3, 24, c.value);
    const ModeMasks masks = convert_to_masks(matrix);
    EXPECT_EQ(masks.bit0[100], c.bit0 ? 1u << 17 : 0u) << int(c.value);
    EXPECT_EQ(masks.bit1[100], c.bit1 ? 1u << 17 : 0u) << int(c.value);
    EXPECT_EQ(masks.bit0[3], c.bit0 ? 1u << 24 : 0u) << int(c.value);
    EXPECT_EQ(masks.bit1[3], c.bit1 ? 1u << 24 : 0u) << int(c.value);
  }
  ConfigMatrix row_four;
  for (int c = 0; c < 25; ++c) row_four.set(4, c, 3);
  const ModeMasks masks = convert_to_masks(row_four);
  EXPECT_EQ(masks.bit0[4], 0x01FFFFFFu);  // converted, but never uploaded
}

TEST(FlashImage, UploadSendsTheCommandsInOrder) {
  struct Expected { FlashCommand::Kind kind; int page, block; };
  std::vector<Expected> expected;
  for (int p = 0; p < 6; ++p) expected.push_back({FlashCommand::erase, p, 0});
  for (int p = 0; p < 2; ++p) {
    expected.push_back({FlashCommand::buffer, p, 13});
    expected.push_back({FlashCommand::write, p, 13});
  }
  for (int p = 0; p < 6; ++p)
    for (int b = 0; b < 13; ++b) {
      expected.push_back({FlashCommand::buffer, p, b});
      expected.push_back({FlashCommand::write, p, b});
    }
  ASSERT_EQ(expected.size(), 166u);

  const std::vector<UploadStep> plan = build_upload_plan(convert_to_masks(ConfigMatrix{}));
  ASSERT_EQ(plan.size(), expected.size());
  for (std::size_t i = 0; i < plan.size(); ++i) {
    EXPECT_EQ(plan[i].command.kind, expected[i].kind) << i;
    EXPECT_EQ(plan[i].command.page, expected[i].page) << i;
    EXPECT_EQ(plan[i].command.block, expected[i].block) << i;
  }
}

TEST(FlashImage, StatusTextsAndProgressFollowTheRun) {
  const std::vector<UploadStep> plan = build_upload_plan(convert_to_masks(ConfigMatrix{}));
  ASSERT_EQ(plan.size(), 166u);
  // Where each status text is set, and the bar's position at that moment.
  const std::map<std::size_t, std::pair<std::string, int>> expected_status = {
      {0, {"Czyszczenie pamięci FLASH...", 1}},
      {6, {"Zapisywanie konfiguracji zdarzeń specjalnych...", 7}},
      {10, {"Zapisywanie konfiguracji zdarzeń adresów...", 8}},
  };
  int position = kUploadProgressAfterConversion;
  int advances = 0;
  for (std::size_t i = 0; i < plan.size(); ++i) {
    const auto found = expected_status.find(i);
    if (found != expected_status.end()) {
      ASSERT_NE(plan[i].status_before, nullptr) << i;
      EXPECT_EQ(std::string(plan[i].status_before), found->second.first);
      EXPECT_EQ(position, found->second.second);
    } else {
      EXPECT_EQ(plan[i].status_before, nullptr) << i;
    }
    // The bar moves after each erase, after the second special block, and
    // after every address block is completed.
    const FlashCommand& command = plan[i].command;
    const bool advances_here = command.kind == FlashCommand::erase ||
                               (command.kind == FlashCommand::write && (command.block != 13 || command.page == 1));
    EXPECT_EQ(plan[i].progress_after, position + (advances_here ? 1 : 0)) << i;
    position = plan[i].progress_after;
    advances += advances_here;
  }
  EXPECT_EQ(advances, 85);
  EXPECT_EQ(position, 86);
  EXPECT_EQ(kUploadProgressMax, 86);
  EXPECT_EQ(std::string(kUploadStatusConverting), "Konwersja konfiguracji...");
  EXPECT_EQ(std::string(kUploadStatusDone), "Konfiguracja zapisana!");
}

TEST(FlashImage, SingleCellsLandOnTheirBytes) {
  struct Case {
    const char* name;
    int row, column;
    std::uint8_t value;
    std::map<std::tuple<int, int, int>, int> sent;  // (page, block, block byte) -> value
  };
  const Case cases[] = {
      {"fresh matrix", 0, 0, 0, {}},
      {"row 5 column 0 steady", 5, 0, 3, {{{0, 0, 0}, 0x01}, {{1, 0, 0}, 0x01}}},
      {"row 6 column 24 fast", 6, 24, 2, {{{3, 0, 3}, 0x01}}},
      {"row 304 column 8 slow", 304, 8, 1, {{{4, 12, 25}, 0x01}, {{4, 12, 57}, 0x01}}},
      {"row 2 column 3 steady", 2, 3, 3, {{{0, 13, 16}, 0x08}, {{1, 13, 16}, 0x08}}},
      {"row 4 steady", 4, 7, 3, {}},
      {"value 4", 100, 5, 4, {}},
      {"value 254", 5, 0, 254, {}},
  };
  for (const Case& c : cases) {
    ConfigMatrix matrix;
    matrix.set(c.row, c.column, c.value);
    EXPECT_EQ(sent_bytes(matrix), c.sent) << c.name;
  }
}

TEST(FlashImage, ValuesOutsideTheModesSendNoBits) {
  std::mt19937 random(7);
  ConfigMatrix matrix;
  for (auto& cell : matrix.bytes()) cell = static_cast<std::uint8_t>(4 + random() % 252);
  EXPECT_TRUE(sent_bytes(matrix).empty());
}

TEST(FlashImage, UploadLeavesTheImageOfTheTables) {
  std::mt19937 random(42);
  for (int round = 0; round < 5; ++round) {
    ConfigMatrix matrix;
    for (auto& cell : matrix.bytes()) {
      const unsigned pick = random() % 6;
      cell = pick < 4 ? static_cast<std::uint8_t>(pick) : static_cast<std::uint8_t>(random());
    }
    const FlashModel flash = run_upload(matrix);
    EXPECT_TRUE(flash.faults.empty()) << (flash.faults.empty() ? "" : flash.faults.front());
    const FlashModel expected = expected_flash(matrix);
    for (int p = 0; p < FlashModel::kPages; ++p)
      for (int i = 0; i < FlashModel::kPageBytes; ++i)
        ASSERT_EQ(flash.pages[p][i], expected.pages[p][i]) << "round " << round << " page " << p << " byte " << i;
  }
}

}  // namespace
