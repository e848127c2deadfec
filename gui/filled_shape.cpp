// SPDX-License-Identifier: MIT
#include "gui/filled_shape.h"

#include <QPainter>

FilledShape::FilledShape(QWidget* parent) : QWidget(parent) {}

void FilledShape::setBrushColor(const QColor& color) {
  if (color == brush_) return;
  brush_ = color;
  update();
}

void FilledShape::setCircle(bool circle) {
  if (circle == circle_) return;
  circle_ = circle;
  update();
}

void FilledShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(brush_);
  if (circle_) {
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = qMin(width(), height()) - 1;
    painter.drawEllipse(QRectF((width() - side) / 2.0, (height() - side) / 2.0, side, side)
                            .adjusted(0.5, 0.5, -0.5, -0.5));
  } else {
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}
