// SPDX-License-Identifier: MIT
#include "app/command_line.h"

#include <iostream>

#include "app/main.h"

bool take_reset_settings_option(std::vector<std::filesystem::path>& arguments) {
  return std::erase(arguments, std::filesystem::path(kResetSettingsOption)) > 0;
}

void open_command_line_file(TForm_main& window, const std::vector<std::filesystem::path>& arguments) {
  if (arguments.empty()) return;
  const std::filesystem::path& file = arguments.front();
  if (arguments.size() > 1 || file.native().starts_with('-')) {
    std::cerr << kCommandLineUsage << std::endl;
    return;
  }
  // Absolute, so the report and the dialogs name the file wherever the program was started.
  std::error_code no_folder;
  const std::filesystem::path absolute = std::filesystem::absolute(file, no_folder).lexically_normal();
  window.openConfigPath(no_folder ? file : absolute);
}
