#include "app/application_icon.h"

#include <QDir>
#include <QGuiApplication>
#include <QIcon>

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
  QGuiApplication::setDesktopFileName(QStringLiteral("zel17"));
}
