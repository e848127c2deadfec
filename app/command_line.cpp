#include "app/command_line.h"

#include <QFileInfo>
#include <iostream>

#include "app/main.h"

void open_command_line_file(TForm_main& window, const QStringList& arguments) {
  if (arguments.isEmpty()) return;
  if (arguments.size() > 1 || arguments.front().startsWith(u'-')) {
    std::cerr << kCommandLineUsage << std::endl;
    return;
  }
  // Absolute, so the report and the dialogs name the file wherever the program was started.
  window.openConfigFile(QFileInfo(arguments.front()).absoluteFilePath());
}
