// SPDX-License-Identifier: MIT
#include "app/command_line.h"

#include <algorithm>
#include <iostream>

#include "app/guide_command.h"
#include "app/main.h"
#include "app/protocol_command.h"

namespace {

bool is_option(const std::filesystem::path& argument) { return argument.native().starts_with('-'); }

}  // namespace

CommandLineKind command_line_kind(const std::vector<std::filesystem::path>& arguments) {
  if (!arguments.empty()) {
    // An option that works without a window comes first; its own arguments follow it.
    const std::filesystem::path& first = arguments.front();
    if (first == kHelpOption) return CommandLineKind::help;
    if (first == kProtocolOption) return CommandLineKind::protocol;
    if (first == kGuidePdfOption) return CommandLineKind::guide_pdf;
  }
  std::vector<std::filesystem::path> rest = arguments;
  take_reset_settings_option(rest);
  const bool one_file_at_most = rest.empty() || (rest.size() == 1 && !is_option(rest.front()));
  return one_file_at_most ? CommandLineKind::window : CommandLineKind::wrong;
}

bool take_reset_settings_option(std::vector<std::filesystem::path>& arguments) {
  return std::erase(arguments, std::filesystem::path(kResetSettingsOption)) > 0;
}

void open_command_line_file(TForm_main& window, const std::vector<std::filesystem::path>& arguments) {
  if (arguments.empty()) return;
  const std::filesystem::path& file = arguments.front();
  if (arguments.size() > 1 || is_option(file)) {
    std::cerr << kCommandLineUsage << std::endl;
    return;
  }
  // Absolute, so the report and the dialogs name the file wherever the program was started.
  std::error_code no_folder;
  const std::filesystem::path absolute = std::filesystem::absolute(file, no_folder).lexically_normal();
  window.openConfigPath(no_folder ? file : absolute);
}
