// SPDX-License-Identifier: MIT
#pragma once
// Reading a configuration back from the module's FLASH: which halves to read,
// how the read bytes turn back into cells, and how they compare with a grid.
// The layout is the one the upload writes (see flash_image.h).

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "config/config_matrix.h"
#include "config/flash_image.h"

struct FlashRead {
  std::uint8_t page = 0;
  std::uint8_t block = 0;
  std::uint8_t half = 0;
  friend bool operator==(const FlashRead&, const FlashRead&) = default;
};

inline constexpr int kReadbackCount = 158;

// Page by page: both halves of blocks 0-12, then half 0 of block 13 on pages 0 and 1.
std::vector<FlashRead> build_readback_plan();

// The read halves assembled by page; bytes not read yet stay 0xFF (erased).
class FlashReadback {
 public:
  static constexpr int kPageBytes = (flash::kSpecialBlock + 1) * flash::kBlockBytes;

  FlashReadback() { for (auto& page : pages_) page.fill(0xFF); }

  // Pages or blocks outside the read layout are ignored.
  void store(const FlashRead& read, std::span<const std::uint8_t, flash::kHalfBytes> data);
  std::uint8_t byte(int page, int offset) const { return pages_[page][offset]; }

 private:
  std::array<std::array<std::uint8_t, kPageBytes>, flash::kPages> pages_;
};

struct ReadbackResult {
  bool valid = false;
  std::string reason;  // why it is not a configuration, UTF-8; empty when valid
  ConfigMatrix matrix;  // the decoded cells when valid; row 4 is 255
};

// Bit 0 of a mode from the even page, bit 1 from the odd page of each pair.
// An erased record (all bytes 0xFF) or a mask with bits 25-31 set means the
// module holds no valid configuration.
ReadbackResult decode_flash_readback(const FlashReadback& readback);

// The cells of rows 0-3 and 5-304 whose modes differ, row by row, as they
// are uploaded: 0 to 3, grid values other than 1-3 counting as off.
std::vector<CellDifference> compare_with_matrix(const ConfigMatrix& grid, const ConfigMatrix& module);
