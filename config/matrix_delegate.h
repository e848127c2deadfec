#pragma once
// Paints DrawGrid1's cells through the window's draw-cell handler: a plain
// fill, with no text, focus mark or selection colour.

#include <QAbstractItemDelegate>
#include <functional>

class MatrixCellDelegate : public QAbstractItemDelegate {
  Q_OBJECT

 public:
  using DrawCell = std::function<void(QPainter& painter, int column, int row, const QRect& rect)>;

  explicit MatrixCellDelegate(DrawCell draw_cell, QObject* parent = nullptr);

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  DrawCell draw_cell_;
};
