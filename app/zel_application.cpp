// SPDX-License-Identifier: MIT
#include "app/zel_application.h"

#include <QMessageBox>
#include <exception>

#include "app/program_arguments.h"

namespace zel_application_detail {

ProgramNameOnly::ProgramNameOnly(char* program_name) : argv{program_name, nullptr} {
  static char fallback_name[] = "zel17";
  if (argv[0] == nullptr) argv[0] = fallback_name;
}

}  // namespace zel_application_detail

ZelApplication::ZelApplication(int argc, char** argv)
    : ProgramNameOnly(argc > 0 ? argv[0] : nullptr),
      QApplication(ProgramNameOnly::argc, ProgramNameOnly::argv),
      program_arguments_(arguments_after_program_name(argc, argv)) {}

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
