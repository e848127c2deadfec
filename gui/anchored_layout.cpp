// SPDX-License-Identifier: MIT
#include "gui/anchored_layout.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>

AnchoredLayout::AnchoredLayout(QWidget* window, QSize designed)
    : QObject(window), window_(window), designed_(designed) {
  window_->installEventFilter(this);
}

void AnchoredLayout::anchor(QWidget* control, Edges edges) {
  anchored_.push_back({control, control->geometry(), edges});
}

bool AnchoredLayout::anchor(const QStringList& names, Edges edges) {
  bool all_found = true;
  for (const QString& name : names) {
    if (auto* control = window_->findChild<QWidget*>(name)) {
      anchor(control, edges);
    } else {
      all_found = false;
    }
  }
  return all_found;
}

void AnchoredLayout::apply() {
  // Never smaller than designed: below it the controls keep their places.
  const int wider = std::max(0, window_->width() - designed_.width());
  const int taller = std::max(0, window_->height() - designed_.height());
  for (const Anchored& a : anchored_) {
    if (!a.control) continue;
    QRect placed = a.designed;
    if (a.edges & MovesRight) placed.translate(wider, 0);
    if (a.edges & MovesDown) placed.translate(0, taller);
    if (a.edges & GrowsRight) placed.setWidth(placed.width() + wider);
    if (a.edges & GrowsDown) placed.setHeight(placed.height() + taller);
    if (a.control->geometry() != placed) a.control->setGeometry(placed);
  }
}

bool AnchoredLayout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && event->type() == QEvent::Resize) apply();
  return QObject::eventFilter(watched, event);
}
