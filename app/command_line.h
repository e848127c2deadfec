// SPDX-License-Identifier: MIT
#pragma once
// The program's own command line: at most one configuration file (.zel or
// .csv), opened at start as "Otwórz..." opens it. More arguments, or one
// that starts with '-', get a usage line on standard error and the window
// starts with a fresh grid. --reset-settings first forgets what the window
// remembered (folders, recent files, the board window's place...).

#include <filesystem>
#include <vector>

class TForm_main;

inline constexpr const char* kCommandLineUsage = "Użycie: zel17 [--reset-settings] [PLIK.zel | PLIK.csv]";

inline constexpr const char* kResetSettingsOption = "--reset-settings";

// Takes --reset-settings out of the arguments; true when it was there.
bool take_reset_settings_option(std::vector<std::filesystem::path>& arguments);

void open_command_line_file(TForm_main& window, const std::vector<std::filesystem::path>& arguments);
