// SPDX-License-Identifier: MIT
#include "gui/matrix_delegate.h"

#include <QPainter>

#include "gui/grid_marks.h"

MatrixCellDelegate::MatrixCellDelegate(DrawCell draw_cell, const DifferenceMarks& marks, const CellBlock& block,
                                       QObject* parent)
    : QAbstractItemDelegate(parent), draw_cell_(std::move(draw_cell)), marks_(marks), block_(block) {}

void MatrixCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  draw_cell_(*painter, index.column(), index.row(), option.rect);
  if (marks_.marked(index.row(), index.column())) paint_difference_mark(*painter, option.rect);
  if (!block_.single() && block_.contains(index.row(), index.column()))
    paint_block_cell(*painter, option.rect, block_, index.row(), index.column());
  if (option.state & QStyle::State_HasFocus) paint_focus_frame(*painter, option.rect);
}

QSize MatrixCellDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const { return {23, 23}; }
