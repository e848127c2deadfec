// SPDX-License-Identifier: MIT
// Program entry: the application object, the one main window, the event loop.
// Qt's options on the command line take no effect (ZelApplication); the
// program's own argument is a configuration file to open (command_line.h),
// or --protocol, which writes a record's protocol without a window.

#include <exception>

#include "app/application_setup.h"
#include "app/command_line.h"
#include "app/main.h"
#include "app/protocol_command.h"
#include "app/zel_application.h"
#include "gui/user_settings.h"

int main(int argc, char** argv) {
  const bool protocol_only = asks_for_protocol(argc, argv);
  if (protocol_only) qputenv("QT_QPA_PLATFORM", "offscreen");  // no window, also without a display
  ZelApplication app(argc, argv);
  if (protocol_only) return write_protocol_from_command_line(app.programArguments());
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
