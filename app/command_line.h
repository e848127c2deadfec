// SPDX-License-Identifier: MIT
#pragma once
// The program's own command line. Without options it starts the window and
// opens at most one file (a project .zelp, or a table .zel or .csv) as
// "Otwórz..." opens it; --reset-settings first forgets what the window
// remembered (folders, recent files, the board window's place...). Three
// options do their work without a window and end: --help, --protocol
// (app/protocol_command.h) and --guide-pdf (app/guide_command.h). More
// files, or an unknown option, get the usage line on standard error and the
// window starts with a fresh grid.

#include <filesystem>
#include <vector>

class TForm_main;

inline constexpr const char* kCommandLineUsage =
    "Użycie: zel17 [--reset-settings] [PLIK.zelp | PLIK.zel | PLIK.csv] (zel17 --help: wszystkie opcje)";

inline constexpr const char* kResetSettingsOption = "--reset-settings";
inline constexpr const char* kHelpOption = "--help";

// `zel17 --help`: everything the program takes. tests/packaging holds the
// manual page to its options and exit codes, tests/command_line the parser.
inline constexpr const char* kCommandLineHelp =
    "Użycie: zel17 [--reset-settings] [PLIK]\n"
    "       zel17 --protocol DZIENNIK PLIK.pdf [--record N] [--handover]\n"
    "       zel17 --guide-pdf PLIK.pdf\n"
    "       zel17 --help\n"
    "Konfigurator tablicy synoptycznej ZEL systemu KVR17.\n"
    "\n"
    "Argumenty:\n"
    "  PLIK                  projekt (.zelp) albo tabela (.zel, .csv) otwierana\n"
    "                        przy starcie tak jak przez \"Otwórz...\"\n"
    "\n"
    "Opcje:\n"
    "  --reset-settings      przed startem czyści zapamiętane ustawienia okna\n"
    "                        (foldery, ostatnie pliki, okno tablicy, test po kolei)\n"
    "  --protocol DZIENNIK PLIK.pdf\n"
    "                        bez okna: zapisuje protokół testu po kolei albo\n"
    "                        próby z obiektu z DZIENNIKA (folder protokołów\n"
    "                        pliku albo plik .jsonl) do PLIKU PDF, najnowszy\n"
    "                        protokół\n"
    "  --record N            z --protocol: protokół numer N, licząc od\n"
    "                        najstarszego (1)\n"
    "  --handover            z --protocol: \"Protokół odbioru\", wybrany protokół\n"
    "                        razem z najnowszym protokołem drugiego rodzaju\n"
    "                        tej samej konfiguracji\n"
    "  --guide-pdf PLIK.pdf  bez okna: zapisuje podręcznik (okno \"Pomoc\", F1)\n"
    "                        do PLIKU PDF\n"
    "  --help                ten tekst\n"
    "\n"
    "Kody wyjścia:\n"
    "   0  wykonano (okno kończy się zawsze kodem 0)\n"
    "  64  nieprawidłowe argumenty\n"
    "  66  nie można odczytać DZIENNIKA albo jego protokołu\n"
    "  73  nie można zapisać PLIKU\n"
    "  74  nie można wypisać tekstu na standardowe wyjście\n";

// What a command line asks for. `wrong` starts the window too, after the usage line.
enum class CommandLineKind { window, help, protocol, guide_pdf, wrong };
// Looked at before the application object exists, since the platform is chosen then.
CommandLineKind command_line_kind(const std::vector<std::filesystem::path>& arguments);

// Takes --reset-settings out of the arguments; true when it was there.
bool take_reset_settings_option(std::vector<std::filesystem::path>& arguments);

void open_command_line_file(TForm_main& window, const std::vector<std::filesystem::path>& arguments);
