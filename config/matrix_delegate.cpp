#include "config/matrix_delegate.h"

#include <QPainter>

MatrixCellDelegate::MatrixCellDelegate(DrawCell draw_cell, QObject* parent)
    : QAbstractItemDelegate(parent), draw_cell_(std::move(draw_cell)) {}

void MatrixCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  draw_cell_(*painter, index.column(), index.row(), option.rect);
}

QSize MatrixCellDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const { return {23, 23}; }
