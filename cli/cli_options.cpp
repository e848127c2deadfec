#include "cli/cli_options.h"

#include <charconv>

#include "config/config_matrix.h"

namespace {

struct CommandName {
  std::string_view name;
  CliCommand command;
  bool takes_file;
};

constexpr CommandName kCommands[] = {
    {"upload", CliCommand::upload, true}, {"read", CliCommand::read, true},
    {"verify", CliCommand::verify, true}, {"test", CliCommand::test, false},
    {"hello", CliCommand::hello, false},
};

std::optional<int> parse_number(std::string_view text, int low, int high) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < low || value > high) return std::nullopt;
  return value;
}

ParsedCommandLine failure(std::string message) {
  ParsedCommandLine parsed;
  parsed.kind = ParsedCommandLine::usage_error;
  parsed.error = std::move(message);
  return parsed;
}

}  // namespace

std::optional<int> parse_event_row(std::string_view text) {
  if (auto number = parse_number(text, 0, ConfigMatrix::kRows - 1)) return number;
  for (int row = 0; row < ConfigMatrix::kRows; ++row) {
    if (row_label(row) == text) return row;
  }
  return std::nullopt;
}

ParsedCommandLine parse_command_line(const std::vector<std::string>& arguments) {
  ParsedCommandLine parsed;
  CliOptions& options = parsed.options;
  std::vector<std::string> operands;
  bool unit_given = false;
  bool options_ended = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (options_ended || argument.size() < 2 || argument[0] != '-') {
      operands.push_back(argument);
    } else if (argument == "--") {
      options_ended = true;
    } else if (argument == "--help" || argument == "-h") {
      parsed.kind = ParsedCommandLine::help;
      return parsed;
    } else if (argument == "--version") {
      parsed.kind = ParsedCommandLine::version;
      return parsed;
    } else if (argument == "--verify") {
      options.verify_after_upload = true;
    } else if (argument == "--repeat") {
      options.repeat = true;
    } else if (argument == "--trace") {
      options.trace = true;
    } else if (argument == "--quiet") {
      options.quiet = true;
    } else if (argument == "--unit") {
      if (i + 1 >= arguments.size()) return failure("--unit wymaga numeru centrali (0-255)");
      const auto unit = parse_number(arguments[++i], 0, 255);
      if (!unit) return failure("nieprawidłowy numer centrali: " + arguments[i] + " (0-255)");
      options.unit = *unit;
      unit_given = true;
    } else {
      return failure("nieznana opcja: " + argument);
    }
  }

  if (operands.empty()) return failure("nie podano polecenia");
  const CommandName* command = nullptr;
  for (const CommandName& candidate : kCommands) {
    if (candidate.name == operands.front()) command = &candidate;
  }
  if (command == nullptr) return failure("nieznane polecenie: " + operands.front());
  options.command = command->command;

  const bool takes_operand = command->takes_file || command->command == CliCommand::test;
  const std::size_t expected = takes_operand ? 2 : 1;
  if (operands.size() < expected) {
    return failure(std::string(command->name) +
                   (command->takes_file ? ": nie podano pliku" : ": nie podano wiersza"));
  }
  if (operands.size() > expected) return failure("nadmiarowy argument: " + operands[expected]);
  if (options.verify_after_upload && options.command != CliCommand::upload)
    return failure("--verify dotyczy tylko polecenia upload");
  if (unit_given && options.command != CliCommand::test)
    return failure("--unit dotyczy tylko polecenia test");

  if (command->takes_file) options.file = operands[1];
  if (options.command == CliCommand::test) {
    const auto row = parse_event_row(operands[1]);
    if (!row) return failure("nieznany wiersz zdarzenia: " + operands[1] + " (0-304 lub np. \"adr 7. Alarm II\")");
    options.row = *row;
  }
  parsed.kind = ParsedCommandLine::run;
  return parsed;
}

std::string usage_text() {
  return "Użycie: zel17-cli POLECENIE [OPCJE]\n"
         "Moduł ZEL tablicy synoptycznej KVR17 z wiersza poleceń.\n"
         "\n"
         "Polecenia:\n"
         "  upload [--verify] PLIK  zapisuje konfigurację z PLIKU (.zel, .csv) do modułu;\n"
         "                          z --verify odczytuje ją potem i porównuje z PLIKIEM\n"
         "  read PLIK               odczytuje konfigurację modułu do PLIKU (.zel)\n"
         "  verify PLIK             porównuje moduł z PLIKIEM (.zel, .csv) i wypisuje\n"
         "                          różniące się komórki, po jednej w wierszu: wiersz,\n"
         "                          zdarzenie, wyjście, tryb w pliku, tryb w module\n"
         "                          (rozdzielone tabulatorem; tryby 0-3)\n"
         "  test WIERSZ [--unit N]  test wyjść dla zdarzenia z wiersza 0-304 albo\n"
         "                          o nazwie takiej jak \"adr 7. Alarm II\";\n"
         "                          N: numer centrali, 0-255 (domyślnie 0)\n"
         "  hello                   łączy się z modułem i wypisuje jego powitanie\n"
         "\n"
         "Opcje:\n"
         "  --repeat   po każdym module czeka, aż zostanie odłączony i podłączony\n"
         "             następny, i powtarza polecenie, aż do Ctrl+C; jeden wiersz\n"
         "             wyniku na moduł i podsumowanie na końcu\n"
         "  --trace    ślad transportu i dziennik ramek na standardowe wyjście błędów\n"
         "  --quiet    tylko błędy\n"
         "  --help     ten tekst\n"
         "  --version  wersja programu\n"
         "\n"
         "Kody wyjścia:\n"
         "   0  wykonano (verify: moduł zgodny z PLIKIEM)\n"
         "   1  verify znalazł różnice\n"
         "  64  nieprawidłowe argumenty\n"
         "  65  moduł nie zawiera poprawnej konfiguracji\n"
         "  66  nie można wczytać PLIKU albo nie jest on konfiguracją\n"
         "  69  nie znaleziono modułu\n"
         "  73  nie można zapisać PLIKU\n"
         "  74  moduł odrzucił polecenie albo nie odpowiedział\n"
         " 130  przerwano (Ctrl+C)\n";
}
