// SPDX-License-Identifier: MIT
#include "gui/labels_sized_on_show.h"

#include <QEvent>
#include <QLabel>

namespace {

class SizeLabelsOnShow : public QObject {
 public:
  explicit SizeLabelsOnShow(QWidget& page) : QObject(&page) { page.installEventFilter(this); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && watched == parent()) {
      size_labels_to_text(*static_cast<QWidget*>(watched));
      deleteLater();
    }
    return false;
  }
};

}  // namespace

void size_labels_to_text(QWidget& widget) {
  for (QLabel* label : widget.findChildren<QLabel*>()) label->adjustSize();
}

void size_labels_to_text_when_shown(QWidget& page) {
  if (page.isVisible()) {
    size_labels_to_text(page);
    return;
  }
  new SizeLabelsOnShow(page);
}
