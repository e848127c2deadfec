// SPDX-License-Identifier: MIT
#include "app/application_icon.h"

#include <QDir>
#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QTimer>
#include <QWidget>

QIcon application_icon() {
  QIcon icon;
  const QDir images(QStringLiteral(":/icons"));
  for (const QString& name : images.entryList({QStringLiteral("zel17-*.png")}, QDir::Files)) {
    icon.addFile(images.filePath(name));
  }
  return icon;
}

void set_application_icon() {
  QGuiApplication::setWindowIcon(application_icon());
  set_desktop_file_name();
}

void set_desktop_file_name() { QGuiApplication::setDesktopFileName(QStringLiteral("zel17")); }

namespace {

// Watches one window for its first paint, then sets the icon and goes.
class IconAfterFirstPaint : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !scheduled_) {
      scheduled_ = true;
      watched->removeEventFilter(this);
      // After the paint has reached the screen.
      QTimer::singleShot(0, this, [this] {
        if (QGuiApplication::windowIcon().isNull()) set_application_icon();
        deleteLater();
      });
    }
    return false;
  }

 private:
  bool scheduled_ = false;
};

}  // namespace

void set_application_icon_after_first_paint(QWidget& window) {
  if (!QGuiApplication::windowIcon().isNull()) return;
  window.installEventFilter(new IconAfterFirstPaint(&window));
}
