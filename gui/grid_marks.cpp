// SPDX-License-Identifier: MIT
#include "gui/grid_marks.h"

#include <QPainter>
#include <QPolygon>

// A corner triangle, as spreadsheets mark a cell: the cell's centre keeps
// its colour. The black triangle carries a white one, so one of the two
// stands out on white, yellow, blue, red, grey and black alike.
void paint_difference_mark(QPainter& painter, const QRect& cell) {
  const auto corner = [&](int size) {
    const QPoint top_right = cell.topRight();
    return QPolygon({top_right, top_right - QPoint(size, 0), top_right + QPoint(0, size)});
  };
  painter.save();
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::black);
  painter.drawPolygon(corner(13));
  painter.setBrush(Qt::white);
  painter.drawPolygon(corner(7));
  painter.restore();
}

void paint_focus_frame(QPainter& painter, const QRect& cell) {
  painter.save();
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(Qt::white, 1));
  painter.drawRect(cell.adjusted(1, 1, -2, -2));
  painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
  painter.drawRect(cell.adjusted(1, 1, -2, -2));
  painter.restore();
}

void paint_block_cell(QPainter& painter, const QRect& cell, const CellBlock& block, int row, int column) {
  constexpr int kFrame = 2;
  painter.save();
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(64, 64, 64), 1));
  painter.drawRect(cell.adjusted(kFrame, kFrame, -kFrame - 1, -kFrame - 1));
  if (row == block.top()) painter.fillRect(cell.left(), cell.top(), cell.width(), kFrame, Qt::black);
  if (row == block.bottom()) painter.fillRect(cell.left(), cell.bottom() - kFrame + 1, cell.width(), kFrame, Qt::black);
  if (column == block.left()) painter.fillRect(cell.left(), cell.top(), kFrame, cell.height(), Qt::black);
  if (column == block.right()) painter.fillRect(cell.right() - kFrame + 1, cell.top(), kFrame, cell.height(), Qt::black);
  painter.restore();
}
