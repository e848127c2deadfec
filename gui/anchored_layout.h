// SPDX-License-Identifier: MIT
#pragma once
// Keeps controls laid out for one size of a window in place as the window
// grows: each anchored control moves with the window's right or bottom
// edge, or stretches toward it, by as much as the window has grown beyond
// that size. At the designed size every control is exactly where the
// layout put it. Controls that are not anchored stay where they are.

#include <QFlags>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <vector>

class QWidget;

class AnchoredLayout : public QObject {
 public:
  enum Edge {
    MovesRight = 1,  // keeps its distance from the right edge
    MovesDown = 2,   // keeps its distance from the bottom edge
    GrowsRight = 4,  // its right side keeps its distance from the right edge
    GrowsDown = 8,   // its bottom side keeps its distance from the bottom edge
  };
  Q_DECLARE_FLAGS(Edges, Edge)

  // Follows the size of `window`, whose controls are laid out for `designed`.
  AnchoredLayout(QWidget* window, QSize designed);

  // `control`, placed as it is now (for the designed size), follows `edges`.
  void anchor(QWidget* control, Edges edges);
  // The window's descendants of these names; false when one is missing.
  bool anchor(const QStringList& names, Edges edges);

  // Places every anchored control for the window's size now.
  void apply();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Anchored {
    QPointer<QWidget> control;
    QRect designed;
    Edges edges;
  };

  QWidget* window_;
  QSize designed_;
  std::vector<Anchored> anchored_;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(AnchoredLayout::Edges)
