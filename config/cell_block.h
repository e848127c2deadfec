// SPDX-License-Identifier: MIT
#pragma once
// A rectangle of matrix cells as the user spans it: from the anchor, where
// it was started, to the current cell, which is its opposite corner and
// moves as the block grows or shrinks. A block of one cell is the current
// cell alone.

#include <algorithm>
#include <vector>

#include "config/config_matrix.h"

struct CellBlock {
  int anchor_row = 0;
  int anchor_column = 0;
  int row = 0;     // the current cell
  int column = 0;

  static CellBlock at(int row, int column) { return {row, column, row, column}; }
  CellBlock extendedTo(int to_row, int to_column) const { return {anchor_row, anchor_column, to_row, to_column}; }

  int top() const { return std::min(anchor_row, row); }
  int bottom() const { return std::max(anchor_row, row); }
  int left() const { return std::min(anchor_column, column); }
  int right() const { return std::max(anchor_column, column); }
  bool single() const { return anchor_row == row && anchor_column == column; }
  bool contains(int r, int c) const { return r >= top() && r <= bottom() && c >= left() && c <= right(); }

  friend bool operator==(const CellBlock&, const CellBlock&) = default;
};

// Every cell of the block with the mode `new_mode(value)` gives for its value,
// row by row.
template <typename NewMode>
std::vector<CellValue> edited_block(const ConfigMatrix& matrix, const CellBlock& block, NewMode new_mode) {
  std::vector<CellValue> cells;
  for (int r = block.top(); r <= block.bottom(); ++r)
    for (int c = block.left(); c <= block.right(); ++c) cells.push_back({r, c, new_mode(matrix.at(r, c))});
  return cells;
}
