// SPDX-License-Identifier: MIT
#pragma once
// What DrawGrid1 shows over its cells' colours: a mark on every cell that
// differs from the module or from a compared file, a thin frame around
// the current cell while the grid has the keyboard focus, and the frame of
// a selected block. The marks are drawn in black and white together, so
// they show on every cell colour.

#include <vector>

#include "config/cell_block.h"
#include "config/config_matrix.h"

class QPainter;
class QRect;

class DifferenceMarks {
 public:
  void mark(int row, int column) { marked_[ConfigMatrix::index(row, column)] = true; }
  void clear() { marked_.assign(ConfigMatrix::kCells, false); }
  bool marked(int row, int column) const { return marked_[ConfigMatrix::index(row, column)]; }

 private:
  std::vector<bool> marked_ = std::vector<bool>(ConfigMatrix::kCells, false);
};

void paint_difference_mark(QPainter& painter, const QRect& cell);
void paint_focus_frame(QPainter& painter, const QRect& cell);
// A cell of a block of more than one cell: a thin border inside the cell
// and, on the sides where the block ends, its thick frame. The cell's centre
// keeps its colour.
void paint_block_cell(QPainter& painter, const QRect& cell, const CellBlock& block, int row, int column);
