// SPDX-License-Identifier: MIT
#pragma once
// The application object. An exception that escapes an event handler is shown
// in a message box and the program goes on, instead of ending it.
//
// Qt's own command-line options (-reverse, -stylesheet, -qwindowtitle,
// -platform...) would change the window, so QApplication is given the
// program's name alone; the variables of the environment that Qt reads
// (QT_QPA_PLATFORM...) still work. The program's own arguments are kept,
// unread by Qt, in programArguments().

#include <QApplication>
#include <filesystem>
#include <vector>

namespace zel_application_detail {

// The argument count and vector QApplication keeps references to: they must
// outlive it, so they live in a base constructed before it.
struct ProgramNameOnly {
  explicit ProgramNameOnly(char* program_name);
  int argc = 1;
  char* argv[2];
};

}  // namespace zel_application_detail

class ZelApplication : private zel_application_detail::ProgramNameOnly, public QApplication {
 public:
  ZelApplication(int argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  // The command line after the program's name, exactly as given.
  const std::vector<std::filesystem::path>& programArguments() const { return program_arguments_; }

 private:
  std::vector<std::filesystem::path> program_arguments_;
};

// The standard box for an exception: the application title and the message.
void show_exception_box(const QString& message);
