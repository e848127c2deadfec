// SPDX-License-Identifier: MIT
#include "gui/matrix_delegate.h"

#include <QPainter>

#include "gui/cell_grid_lines.h"
#include "gui/grid_marks.h"

MatrixCellDelegate::MatrixCellDelegate(DrawCell draw_cell, const DifferenceMarks& marks, const CellBlock& block,
                                       QObject* parent)
    : QAbstractItemDelegate(parent), draw_cell_(std::move(draw_cell)), marks_(marks), block_(block) {}

void MatrixCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  const QRect cell = inside_grid_lines(option.rect);
  draw_cell_(*painter, index.column(), index.row(), cell);
  if (marks_.marked(index.row(), index.column())) paint_difference_mark(*painter, cell);
  if (!block_.single() && block_.contains(index.row(), index.column()))
    paint_block_cell(*painter, cell, block_, index.row(), index.column());
  if (option.state & QStyle::State_HasFocus) paint_focus_frame(*painter, cell);
  paint_cell_grid_lines(*painter, option);
}

QSize MatrixCellDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const { return {23, 23}; }
