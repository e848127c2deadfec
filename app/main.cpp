// SPDX-License-Identifier: MIT
// Program entry: the application object, the one main window, the event loop.
// Qt's options on the command line take no effect (ZelApplication); the
// program's own arguments (command_line.h) name a file to open, or ask for
// the help text, a record's protocol (--protocol) or the guide's PDF without a window.

#include <exception>
#include <iostream>

#include "app/application_setup.h"
#include "app/command_line.h"
#include "app/guide_command.h"
#include "app/main.h"
#include "app/program_arguments.h"
#include "app/protocol_command.h"
#include "app/zel_application.h"
#include "gui/user_settings.h"

int main(int argc, char** argv) {
  const CommandLineKind kind = command_line_kind(arguments_after_program_name(argc, argv));
  if (kind == CommandLineKind::help) {
    std::cout << kCommandLineHelp << std::flush;
    if (std::cout) return 0;
    std::cerr << "BŁĄD: nie można wypisać tekstu na standardowe wyjście" << std::endl;
    return 74;
  }
  const bool without_window = kind == CommandLineKind::protocol || kind == CommandLineKind::guide_pdf;
  if (without_window) qputenv("QT_QPA_PLATFORM", "offscreen");  // also without a display
  ZelApplication app(argc, argv);
  if (kind == CommandLineKind::protocol) return write_protocol_from_command_line(app.programArguments());
  if (kind == CommandLineKind::guide_pdf) return write_guide_pdf_from_command_line(app.programArguments());
  try {
    setup_application(app);
    std::vector<std::filesystem::path> arguments = app.programArguments();
    if (take_reset_settings_option(arguments)) UserSettings::instance().clear();
    TForm_main window;  // its creation handler runs before it is shown
    window.show();
    open_command_line_file(window, arguments);
    ZelApplication::exec();
  } catch (const std::exception& error) {
    show_exception_box(QString::fromLocal8Bit(error.what()));
  } catch (...) {
    show_exception_box(QStringLiteral("Nieznany wyjątek."));
  }
  return 0;
}
