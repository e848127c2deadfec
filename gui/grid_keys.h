// SPDX-License-Identifier: MIT
#pragma once
// What a key does on the grid editor: moves of the current cell (with Shift
// they span a block from where the move started) and edits of that cell or
// block. The same from the matrix, its row labels or a button of its page.
// A plain mapping from the key to a command, so the window only carries
// commands out.

#include <Qt>
#include <cstdint>

struct GridKeyCommand {
  enum Kind {
    ignore,  // not a key of the grids: leave it to focus navigation
    swallow, // a key of the grids that does nothing here (no type-to-search)
    move,    // make (row, column) the current cell
    extend,  // make (row, column) the current cell, keeping the block's anchor
    step,    // the current cell's next mode, as a left click
    set,     // the current cell to `mode`
  };
  Kind kind = ignore;
  int row = 0;
  int column = 0;
  std::uint8_t mode = 0;
  friend bool operator==(const GridKeyCommand&, const GridKeyCommand&) = default;
};

// `row` and `column` are the current cell; `page_rows` the rows one screen shows.
// Moves stop at the first and last row and column.
GridKeyCommand grid_key_command(int key, Qt::KeyboardModifiers modifiers, int row, int column, int page_rows);
