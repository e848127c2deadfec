// SPDX-License-Identifier: MIT
#pragma once
// What the module's FLASH must hold after an upload, worked out here from
// the layout tables alone (not through the tool's own conversion):
//   mode bits: 1 -> bit 0, 2 -> bit 1, 3 -> both, anything else -> none;
//   page p carries bit p % 2 of the rows 5 + p / 2 + 3n, record n at page
//   byte 8n (mask little-endian in bytes 0-3, bytes 4-7 zero);
//   block 12: bytes 800-831 repeat bytes 768-799;
//   pages 0 and 1, block 13: half 0 the special rows 0-3, half 1 zero;
//   everything else on pages 0-5 stays erased (0xFF).

#include <array>
#include <cstdint>
#include <random>

#include "config/config_matrix.h"

inline constexpr int kLayoutPages = 6;
inline constexpr int kLayoutBlocks = 65;
using FlashPage = std::array<std::uint8_t, kLayoutBlocks * 64>;
using FlashPages = std::array<FlashPage, kLayoutPages>;

inline std::uint32_t layout_mask(const ConfigMatrix& m, int row, int bit) {
  std::uint32_t mask = 0;
  for (int column = 0; column < 25; ++column) {
    const int mode = m.bytes()[row + column * 305];
    const bool bit0 = mode == 1 || mode == 3;
    const bool bit1 = mode == 2 || mode == 3;
    if (bit == 0 ? bit0 : bit1) mask |= 1u << column;
  }
  return mask;
}

inline void put_record(FlashPage& page, int offset, std::uint32_t mask) {
  for (int i = 0; i < 4; ++i) page[offset + i] = static_cast<std::uint8_t>(mask >> (8 * i));
  for (int i = 4; i < 8; ++i) page[offset + i] = 0;
}

inline FlashPages expected_flash(const ConfigMatrix& m) {
  FlashPages pages;
  for (int p = 0; p < kLayoutPages; ++p) {
    FlashPage& page = pages[p];
    page.fill(0xFF);
    const int first_row = 5 + p / 2, bit = p % 2;
    for (int n = 0; n < 100; ++n) put_record(page, 8 * n, layout_mask(m, first_row + 3 * n, bit));
    for (int i = 0; i < 32; ++i) page[800 + i] = page[768 + i];
    if (p < 2) {
      for (int row = 0; row < 4; ++row) put_record(page, 832 + 8 * row, layout_mask(m, row, bit));
      for (int i = 864; i < 896; ++i) page[i] = 0;
    }
  }
  return pages;
}

// A random configuration, all that the grid can hold: a mode 0-3 in every
// cell, and 255 in row 4.
inline ConfigMatrix random_matrix(unsigned seed) {
  std::mt19937 rng(seed);
  ConfigMatrix m;
  for (int row = 0; row < ConfigMatrix::kRows; ++row)
    for (int column = 0; column < ConfigMatrix::kColumns; ++column)
      if (row != ConfigMatrix::kNoFunctionRow) m.set(row, column, static_cast<std::uint8_t>(rng() % 4));
  return m;
}
