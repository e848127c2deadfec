// SPDX-License-Identifier: MIT
#pragma once
// The grids draw their own lines, one cell at a time, as the table view
// draws them: a line of the style's grid colour along each cell's right
// and bottom edge. The table view strokes each line across the whole grid
// through the general line stroker, which was a good part of the window's
// first paint; a cell's two edges are two small fills.

#include <QRect>

class QPainter;
class QStyleOptionViewItem;

// The part of `cell` inside its lines, where the cell paints itself.
inline QRect inside_grid_lines(const QRect& cell) { return cell.adjusted(0, 0, -1, -1); }

// The right and bottom lines of `cell`.
void paint_cell_grid_lines(QPainter& painter, const QStyleOptionViewItem& option);
