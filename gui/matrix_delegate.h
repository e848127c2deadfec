// SPDX-License-Identifier: MIT
#pragma once
// Paints DrawGrid1's cells through the window's draw-cell handler: a plain
// fill, with no text or selection colour; over it the difference marks, the
// frame of a selected block and, on the current cell while the grid has the
// focus, the focus frame.

#include <QAbstractItemDelegate>
#include <functional>

class DifferenceMarks;
struct CellBlock;

class MatrixCellDelegate : public QAbstractItemDelegate {
  Q_OBJECT

 public:
  using DrawCell = std::function<void(QPainter& painter, int column, int row, const QRect& rect)>;

  MatrixCellDelegate(DrawCell draw_cell, const DifferenceMarks& marks, const CellBlock& block,
                     QObject* parent = nullptr);

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  DrawCell draw_cell_;
  const DifferenceMarks& marks_;
  const CellBlock& block_;
};
