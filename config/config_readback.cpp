// SPDX-License-Identifier: MIT
#include "config/config_readback.h"

#include <algorithm>

namespace {

int record_offset(int record) { return record * flash::kRecordBytes; }

// The mode as the upload writes it: other values send no bits.
std::uint8_t uploaded_mode(std::uint8_t value) {
  return value <= LED_STEADY ? value : std::uint8_t{LED_OFF};
}

// Reads record k of a page, rejecting an erased record or stray high bits.
bool read_mask(const FlashReadback& readback, int page, int record, std::uint32_t& mask,
               std::string& reason) {
  const int at = record_offset(record);
  bool erased = true;
  for (int i = 0; i < flash::kRecordBytes; ++i) erased = erased && readback.byte(page, at + i) == 0xFF;
  mask = 0;
  for (int i = 0; i < 4; ++i) mask |= static_cast<std::uint32_t>(readback.byte(page, at + i)) << (8 * i);
  const std::string where = "strona " + std::to_string(page) + ", rekord " + std::to_string(record);
  if (erased) {
    reason = where + ": pamięć wyczyszczona";
    return false;
  }
  if (mask & ~flash::kOutputBits) {
    reason = where + ": ustawione bity 25-31";
    return false;
  }
  return true;
}

}  // namespace

std::vector<FlashRead> build_readback_plan() {
  std::vector<FlashRead> reads;
  reads.reserve(kReadbackCount);
  for (int page = 0; page < flash::kPages; ++page) {
    for (int block = 0; block < flash::kAddressBlocks; ++block)
      for (int half = 0; half < 2; ++half)
        reads.push_back({static_cast<std::uint8_t>(page), static_cast<std::uint8_t>(block),
                         static_cast<std::uint8_t>(half)});
    if (page < 2)
      reads.push_back({static_cast<std::uint8_t>(page), static_cast<std::uint8_t>(flash::kSpecialBlock), 0});
  }
  return reads;
}

void FlashReadback::store(const FlashRead& read, std::span<const std::uint8_t, flash::kHalfBytes> data) {
  if (read.page >= flash::kPages || read.block > flash::kSpecialBlock || read.half > 1) return;
  const int at = read.block * flash::kBlockBytes + read.half * flash::kHalfBytes;
  std::copy(data.begin(), data.end(), pages_[read.page].begin() + at);
}

ReadbackResult decode_flash_readback(const FlashReadback& readback) {
  ReadbackResult result;
  ModeMasks masks;
  auto read_into = [&](int page, int record, int row) {
    std::uint32_t mask = 0;
    if (!read_mask(readback, page, record, mask, result.reason)) return false;
    (flash::page_mode_bit(page) == 0 ? masks.bit0 : masks.bit1)[row] = mask;
    return true;
  };

  for (int page = 0; page < flash::kPages; ++page)
    for (int n = 0; n < ConfigMatrix::kAddresses; ++n)
      if (!read_into(page, n, flash::page_first_row(page) + 3 * n)) return result;
  for (int page = 0; page < 2; ++page)
    for (int row = 0; row < flash::kSpecialRows; ++row)
      if (!read_into(page, flash::kSpecialBlock * flash::kRecordsPerBlock + row, row)) return result;

  ConfigMatrix& matrix = result.matrix;
  matrix.reset();
  for (int row = 0; row < ConfigMatrix::kRows; ++row) {
    if (row == ConfigMatrix::kNoFunctionRow) continue;
    for (int c = 0; c < ConfigMatrix::kColumns; ++c) {
      const int mode = ((masks.bit0[row] >> c) & 1) | (((masks.bit1[row] >> c) & 1) << 1);
      matrix.set(row, c, static_cast<std::uint8_t>(mode));
    }
  }
  result.valid = true;
  return result;
}

std::vector<CellDifference> compare_with_matrix(const ConfigMatrix& grid, const ConfigMatrix& module) {
  std::vector<CellDifference> differences;
  for (int row = 0; row < ConfigMatrix::kRows; ++row) {
    if (row == ConfigMatrix::kNoFunctionRow) continue;
    for (int c = 0; c < ConfigMatrix::kColumns; ++c) {
      const std::uint8_t in_grid = uploaded_mode(grid.at(row, c));
      const std::uint8_t in_module = uploaded_mode(module.at(row, c));
      if (in_grid != in_module) differences.push_back({row, c, in_grid, in_module});
    }
  }
  return differences;
}
