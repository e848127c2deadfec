#pragma once
// The application object. An exception that escapes an event handler is shown
// in a message box and the program goes on, instead of ending it.

#include <QApplication>

class ZelApplication : public QApplication {
 public:
  ZelApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* event) override;
};

// The standard box for an exception: the application title and the message.
void show_exception_box(const QString& message);
