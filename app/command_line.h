#pragma once
// The program's own command line: at most one configuration file (.zel or
// .csv), opened at start as "Otwórz..." opens it. More arguments, or one
// that starts with '-', get a usage line on standard error and the window
// starts with a fresh grid.

#include <filesystem>
#include <vector>

class TForm_main;

inline constexpr const char* kCommandLineUsage = "Użycie: zel17 [PLIK.zel | PLIK.csv]";

void open_command_line_file(TForm_main& window, const std::vector<std::filesystem::path>& arguments);
