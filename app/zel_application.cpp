#include "app/zel_application.h"

#include <QMessageBox>
#include <exception>

bool ZelApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    show_exception_box(QString::fromLocal8Bit(error.what()));
  } catch (...) {
    show_exception_box(QStringLiteral("Nieznany wyjątek."));
  }
  return false;
}

void show_exception_box(const QString& message) {
  QMessageBox::critical(nullptr, QApplication::applicationName(), message);
}
