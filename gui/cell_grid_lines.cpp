// SPDX-License-Identifier: MIT
#include "gui/cell_grid_lines.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionViewItem>

void paint_cell_grid_lines(QPainter& painter, const QStyleOptionViewItem& option) {
  const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
  const QColor color =
      QColor::fromRgba(static_cast<QRgb>(style->styleHint(QStyle::SH_Table_GridLineColor, &option, option.widget)));
  const QRect& cell = option.rect;
  painter.fillRect(QRect(cell.right(), cell.top(), 1, cell.height()), color);
  painter.fillRect(QRect(cell.left(), cell.bottom(), cell.width(), 1), color);
}
