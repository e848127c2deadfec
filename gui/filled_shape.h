// SPDX-License-Identifier: MIT
#pragma once
// A filled square or circle with a thin black outline: the colour legend and
// the connection lamp.

#include <QColor>
#include <QWidget>

class FilledShape : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QColor brushColor READ brushColor WRITE setBrushColor)
  Q_PROPERTY(bool circle READ isCircle WRITE setCircle)

 public:
  explicit FilledShape(QWidget* parent = nullptr);

  QColor brushColor() const { return brush_; }
  void setBrushColor(const QColor& color);
  bool isCircle() const { return circle_; }
  void setCircle(bool circle);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor brush_ = Qt::white;
  bool circle_ = false;
};
