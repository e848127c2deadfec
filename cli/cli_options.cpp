// SPDX-License-Identifier: MIT
#include "cli/cli_options.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

#include "commissioning/walk_plan.h"
#include "commissioning/walk_record.h"
#include "config/config_matrix.h"
#include "config/test_payload.h"

namespace {

struct CommandName {
  std::string_view name;
  CliCommand command;
  bool takes_file;
};

// A day: longer runs are for Ctrl+C.
constexpr int kMaxMonitorSeconds = 24 * 60 * 60;

constexpr CommandName kCommands[] = {
    {"upload", CliCommand::upload, true}, {"read", CliCommand::read, true},
    {"verify", CliCommand::verify, true}, {"test", CliCommand::test, false},
    {"hello", CliCommand::hello, false}, {"walk", CliCommand::walk, false},
    {"monitor", CliCommand::monitor, false}, {"protocol", CliCommand::protocol, true},
    {"field", CliCommand::field, true},
};

std::optional<int> parse_number(std::string_view text, int low, int high) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < low || value > high) return std::nullopt;
  return value;
}

// "-1" is a wrong number where one is expected, not an unknown option.
bool is_option(const std::string& argument) {
  return argument.size() >= 2 && argument[0] == '-' && !(argument[1] >= '0' && argument[1] <= '9');
}

// Rows 1-4 are the module's own states and the unused row: no event on the
// bus stands for them, so a test frame cannot call them up.
std::optional<std::string> untestable_row(int row) {
  if (row < 0 || row >= ConfigMatrix::kRows || is_bus_callable_row(row)) return std::nullopt;
  const std::string why = row == ConfigMatrix::kNoFunctionRow ? "wiersz nieużywany" : "stan samego modułu";
  return "wiersza " + std::to_string(row) + " („" + row_label(row) +
         "”) nie można wywołać ramką z magistrali (" + why + ")";
}

ParsedCommandLine failure(std::string message) {
  ParsedCommandLine parsed;
  parsed.kind = ParsedCommandLine::usage_error;
  parsed.error = std::move(message);
  return parsed;
}

constexpr int kMaxDwellSeconds = 3600;

// Takes the argument after an option into the options; the error otherwise.
using ValueReader = std::optional<std::string> (*)(const std::string& value, CliOptions& options);

std::optional<std::string> read_unit(const std::string& value, CliOptions& options) {
  const auto unit = parse_number(value, 0, 255);
  if (!unit) return "nieprawidłowy numer centrali: " + value + " (0-255)";
  options.unit = *unit;
  return std::nullopt;
}

std::optional<std::string> read_dwell(const std::string& value, CliOptions& options) {
  const auto dwell = parse_seconds(value, kMaxDwellSeconds);
  if (!dwell) return "nieprawidłowy czas na zdarzenie: " + value + " (0-3600 s)";
  options.dwell_ms = *dwell;
  return std::nullopt;
}

std::optional<std::string> read_monitor_seconds(const std::string& value, CliOptions& options) {
  const auto seconds = parse_number(value, 0, kMaxMonitorSeconds);
  if (!seconds) return "nieprawidłowa liczba sekund: " + value;
  options.monitor_seconds = *seconds;
  return std::nullopt;
}

std::optional<std::string> read_log_file(const std::string& value, CliOptions& options) {
  if (value.empty()) return "--log wymaga nazwy pliku";
  options.log_file = value;
  return std::nullopt;
}

std::optional<std::string> read_named_file(const char* option, const std::string& value, std::string& file) {
  if (value.empty()) return std::string(option) + " wymaga nazwy pliku";
  file = value;
  return std::nullopt;
}

std::optional<std::string> read_confirm(const std::string& value, CliOptions& options) {
  return read_named_file("--confirm", value, options.confirm_file);
}

// walk: the journal's name; protocol: a record's number, checked once the command is known.
std::optional<std::string> read_record(const std::string& value, CliOptions& options) {
  if (value.empty()) return "--record wymaga nazwy dziennika albo numeru protokołu";
  options.record_file = value;
  return std::nullopt;
}

std::optional<std::string> read_engineer(const std::string& value, CliOptions& options) {
  if (value.find_first_not_of(" \t") == std::string::npos) return "--engineer wymaga imienia i nazwiska";
  options.engineer = value;
  return std::nullopt;
}

std::optional<std::string> read_csv(const std::string& value, CliOptions& options) {
  return read_named_file("--csv", value, options.csv_file);
}

struct OptionRule {
  std::string_view name;
  ParsedCommandLine::Kind ends_with = ParsedCommandLine::run;  // help and version end the parsing
  bool CliOptions::*flag = nullptr;                             // the switch it sets
  ValueReader read_value = nullptr;                             // or the value it takes
  std::string_view value_missing{};                             // when no value follows
};

constexpr auto kRun = ParsedCommandLine::run;
constexpr OptionRule kOptions[] = {
    {"--help", ParsedCommandLine::help},
    {"-h", ParsedCommandLine::help},
    {"--version", ParsedCommandLine::version},
    {"--verify", kRun, &CliOptions::verify_after_upload},
    {"--repeat", kRun, &CliOptions::repeat},
    {"--trace", kRun, &CliOptions::trace},
    {"--quiet", kRun, &CliOptions::quiet},
    {"--unit", kRun, nullptr, read_unit, "--unit wymaga numeru centrali (0-255)"},
    {"--dwell", kRun, nullptr, read_dwell, "--dwell wymaga czasu w sekundach (0-3600)"},
    {"--for", kRun, nullptr, read_monitor_seconds, "--for wymaga liczby sekund"},
    {"--raw", kRun, &CliOptions::raw},
    {"--log", kRun, nullptr, read_log_file, "--log wymaga nazwy pliku"},
    {"--confirm", kRun, nullptr, read_confirm, "--confirm wymaga nazwy pliku"},
    {"--record", kRun, nullptr, read_record, "--record wymaga nazwy dziennika albo numeru protokołu"},
    {"--engineer", kRun, nullptr, read_engineer, "--engineer wymaga imienia i nazwiska"},
    {"--force", kRun, &CliOptions::force},
    {"--csv", kRun, nullptr, read_csv, "--csv wymaga nazwy pliku"},
    {"--list", kRun, &CliOptions::list_records},
};

std::string unknown_row(const std::string& text) {
  return "nieznany wiersz zdarzenia: " + text + " (0-304 lub np. \"adr 7. Alarm II\")";
}

// OD and DO, by row or label, from operands[from] on; why one cannot be
// read, empty when both can.
std::string read_range(const std::vector<std::string>& operands, std::size_t from, CliOptions& options) {
  int* bounds[] = {&options.walk_first, &options.walk_last};
  for (std::size_t i = from; i < operands.size(); ++i) {
    const auto row = parse_event_row(operands[i]);
    if (!row) return unknown_row(operands[i]);
    *bounds[i - from] = *row;
  }
  return {};
}

// walk [OD [DO]]: the range, and no other command's options.
ParsedCommandLine walk_range(const std::vector<std::string>& operands, ParsedCommandLine parsed) {
  CliOptions& options = parsed.options;
  if (options.verify_after_upload) return failure("--verify dotyczy tylko polecenia upload");
  if (options.repeat) return failure("--repeat nie dotyczy polecenia walk");
  if (options.confirm_file.empty() && (!options.record_file.empty() || options.force))
    return failure("--record i --force dotyczą tylko polecenia walk z --confirm");
  if (options.confirm_file.empty() && !options.engineer.empty())
    return failure("--engineer dotyczy tylko polecenia walk z --confirm");
  if (!options.csv_file.empty() || options.list_records)
    return failure("--csv i --list dotyczą tylko polecenia protocol");
  if (const std::string unreadable = read_range(operands, 1, options); !unreadable.empty()) return failure(unreadable);
  if (WalkPlan(options.walk_first, options.walk_last).empty())
    return failure("wierszy 1-4 nie wywoła ramka magistrali: nie ma czego testować");
  parsed.kind = ParsedCommandLine::run;
  return parsed;
}

// field PLIK [OD [DO]]: the file, the range, and only the options of a field test.
ParsedCommandLine field_operands(const std::vector<std::string>& operands, ParsedCommandLine parsed,
                                 const std::vector<std::string_view>& given) {
  CliOptions& options = parsed.options;
  for (std::string_view refused : {"--raw", "--dwell", "--confirm", "--csv", "--list", "--verify", "--repeat", "--log"}) {
    if (std::find(given.begin(), given.end(), refused) != given.end())
      return failure(std::string(refused) + " nie dotyczy polecenia field");
  }
  if (operands.size() < 2) return failure("field: nie podano pliku");
  if (operands.size() > 4) return failure("nadmiarowy argument: " + operands[4]);
  options.confirm_file = operands[1];
  if (const std::string unreadable = read_range(operands, 2, options); !unreadable.empty()) return failure(unreadable);
  if (std::max(options.walk_first, options.walk_last) < ConfigMatrix::kFirstAddressRow)
    return failure("wierszy 0-4 magistrala nie zgłasza jako zdarzeń: nie ma czego sprawdzać");
  // Without --unit the field test listens to every control unit.
  if (std::find(given.begin(), given.end(), "--unit") == given.end()) options.unit = kAnyUnit;
  parsed.kind = ParsedCommandLine::run;
  return parsed;
}

}  // namespace

std::optional<int> parse_seconds(std::string_view text, int max_seconds) {
  std::string number(text);
  std::replace(number.begin(), number.end(), ',', '.');
  double seconds = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), seconds);
  if (number.empty() || number.front() == '-' || error != std::errc() || end != number.data() + number.size())
    return std::nullopt;
  if (!(seconds >= 0 && seconds <= max_seconds)) return std::nullopt;
  return static_cast<int>(std::lround(seconds * 1000));
}

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
  std::vector<std::string_view> given;
  bool options_ended = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (options_ended || !is_option(argument)) {
      operands.push_back(argument);
      continue;
    }
    if (argument == "--") {
      options_ended = true;
      continue;
    }
    const auto* rule = std::find_if(std::begin(kOptions), std::end(kOptions),
                                    [&](const OptionRule& r) { return r.name == argument; });
    if (rule == std::end(kOptions)) return failure("nieznana opcja: " + argument);
    given.push_back(rule->name);
    if (rule->ends_with != kRun) {
      parsed.kind = rule->ends_with;
      return parsed;
    }
    if (rule->flag != nullptr) options.*(rule->flag) = true;
    if (rule->read_value != nullptr) {
      if (i + 1 >= arguments.size()) return failure(std::string(rule->value_missing));
      if (auto error = rule->read_value(arguments[++i], options)) return failure(*error);
    }
  }
  const auto was_given = [&](std::string_view name) {
    return std::find(given.begin(), given.end(), name) != given.end();
  };

  if (operands.empty()) return failure("nie podano polecenia");
  const CommandName* command = nullptr;
  for (const CommandName& candidate : kCommands) {
    if (candidate.name == operands.front()) command = &candidate;
  }
  if (command == nullptr) return failure("nieznane polecenie: " + operands.front());
  options.command = command->command;
  if (options.command == CliCommand::field) return field_operands(operands, parsed, given);
  if ((was_given("--for") || was_given("--raw")) && options.command != CliCommand::monitor)
    return failure("--for i --raw dotyczą tylko polecenia monitor");

  const bool takes_operand = command->takes_file || command->command == CliCommand::test;
  const std::size_t expected = takes_operand ? 2 : options.command == CliCommand::walk ? 3 : 1;
  if (options.command == CliCommand::walk && operands.size() <= expected) {
    return walk_range(operands, parsed);
  }
  if (was_given("--dwell") && options.command != CliCommand::walk) return failure("--dwell dotyczy tylko polecenia walk");
  if (was_given("--confirm") || was_given("--force") || was_given("--engineer"))
    return failure("--confirm, --force i --engineer dotyczą tylko polecenia walk");
  if (options.command != CliCommand::protocol && (was_given("--csv") || was_given("--list") || was_given("--record")))
    return failure(was_given("--record") ? "--record dotyczy tylko poleceń walk i protocol"
                                         : "--csv i --list dotyczą tylko polecenia protocol");
  if (options.command == CliCommand::protocol && options.list_records && (was_given("--csv") || was_given("--record")))
    return failure("--list wypisuje protokoły dziennika: bez --csv i --record");
  if (options.command == CliCommand::protocol && was_given("--record")) {
    const auto number = parse_number(options.record_file, 1, INT_MAX);
    if (!number) return failure("nieprawidłowy numer protokołu: " + options.record_file + " (1, 2, ...)");
    options.record_number = *number;
    options.record_file.clear();
  }
  if (options.command == CliCommand::protocol && operands.size() == expected && options.csv_file.empty() &&
      !options.list_records)
    return failure("protocol: nie podano pliku CSV (--csv PLIK) ani --list");
  if (options.command == CliCommand::protocol && (options.repeat || !options.log_file.empty()))
    return failure("--repeat i --log nie dotyczą polecenia protocol");
  if (operands.size() < expected) {
    return failure(std::string(command->name) +
                   (command->takes_file ? ": nie podano pliku" : ": nie podano wiersza"));
  }
  if (operands.size() > expected) return failure("nadmiarowy argument: " + operands[expected]);
  if (options.verify_after_upload && options.command != CliCommand::upload)
    return failure("--verify dotyczy tylko polecenia upload");
  if (was_given("--unit") && options.command != CliCommand::test)
    return failure("--unit dotyczy tylko poleceń test i walk");
  if (options.repeat && options.command == CliCommand::monitor)
    return failure("--repeat nie dotyczy polecenia monitor");

  if (command->takes_file) options.file = operands[1];
  if (options.command == CliCommand::test) {
    const auto row = parse_event_row(operands[1]);
    if (!row) return failure(unknown_row(operands[1]));
    if (auto why = untestable_row(*row)) return failure(*why);
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
         "  upload [--verify] PLIK  zapisuje konfigurację z PLIKU (.zel, .csv albo\n"
         "                          projekt .zelp) do modułu; z --verify odczytuje ją\n"
         "                          potem i porównuje z PLIKIEM\n"
         "  read PLIK               odczytuje konfigurację modułu do PLIKU (.zel, .csv,\n"
         "                          .zelp)\n"
         "  verify PLIK             porównuje moduł z PLIKIEM (.zel, .csv, .zelp)\n"
         "                          i wypisuje różniące się komórki, po jednej\n"
         "                          w wierszu: wiersz, zdarzenie, wyjście, tryb w pliku,\n"
         "                          tryb w module (rozdzielone tabulatorem; tryby 0-3)\n"
         "  test WIERSZ [--unit N]  test wyjść dla zdarzenia z wiersza 5-304 albo\n"
         "                          o nazwie takiej jak \"adr 7. Alarm II\"; wiersz 0\n"
         "                          wysyła ramkę bez zdarzeń;\n"
         "                          N: numer centrali, 0-255 (domyślnie 0)\n"
         "  hello                   łączy się z modułem i wypisuje jego powitanie\n"
         "  walk [OD [DO]] [--dwell SEKUNDY] [--unit N]\n"
         "                          test po kolei: zdarzenia z wierszy OD do DO (0-304\n"
         "                          albo nazwy; domyślnie 5 i 304; wiersze 1-4 pomija),\n"
         "                          każde przez SEKUNDY (0-3600, domyślnie 3), na koniec\n"
         "                          ramka bez zdarzeń; po każdym zdarzeniu wiersz:\n"
         "                          wiersz, zdarzenie (rozdzielone tabulatorem).\n"
         "                          Na terminalu: spacja – pauza, n/→ – dalej,\n"
         "                          p/← – wstecz, q – koniec\n"
         "  walk [OD [DO]] --confirm PLIK [--record DZIENNIK] [--engineer OSOBA] [--force]\n"
         "                          test po kolei z oceną każdego zdarzenia: najpierw\n"
         "                          porównuje moduł z PLIKIEM (.zel, .csv, .zelp; przy\n"
         "                          różnicach kończy z kodem 1, chyba że podano\n"
         "                          --force), potem czeka przy każdym zdarzeniu na\n"
         "                          ocenę: Enter/o – OK, b – błąd (z uwagami); po ocenie\n"
         "                          wiersz: wiersz, zdarzenie, ocena, uwagi. Oceny od\n"
         "                          razu trafiają do protokołu w DZIENNIKU (domyślnie folder\n"
         "                          PLIK-protokoly obok PLIKU, plik na protokół; nazwa\n"
         "                          z .jsonl: jeden plik); niedokończony protokół tej\n"
         "                          konfiguracji można dokończyć od pierwszego\n"
         "                          zdarzenia bez oceny. OSOBA: kto sprawdza, do\n"
         "                          protokołu; wymaga terminala na standardowym wejściu\n"
         "  field PLIK [OD [DO]] [--unit N] [--for SEKUNDY] [--record DZIENNIK] [--engineer NAZWA] [--force]\n"
         "                          próba z obiektu: porównuje moduł z PLIKIEM (.zel,\n"
         "                          .csv, .zelp) jak walk --confirm, potem słucha\n"
         "                          magistrali, gdy w obiekcie wyzwala się czujki; plan:\n"
         "                          zdarzenia wierszy OD do DO (domyślnie 5 i 304),\n"
         "                          które zapalają lampę. Wiersz na każde zdarzenie,\n"
         "                          które się zaczęło: czas, centrala, wiersz,\n"
         "                          zdarzenie, co ma się zaświecić (\"nic\"); na koniec\n"
         "                          (Ctrl+C albo po SEKUNDACH) podsumowanie i wiersz na\n"
         "                          każde niewidziane zdarzenie planu. N: tylko ta\n"
         "                          centrala (domyślnie wszystkie). Na terminalu ocena\n"
         "                          ostatniego zdarzenia: Enter/o – OK, b – błąd,\n"
         "                          q – koniec. Protokół w DZIENNIKU jak przy walk\n"
         "                          --confirm; niedokończoną próbę można dokończyć\n"
         "  protocol DZIENNIK --csv PLIK [--record N]\n"
         "                          zapisuje protokół testu po kolei albo próby\n"
         "                          z obiektu z DZIENNIKA do PLIKU CSV; N: numer\n"
         "                          protokołu w DZIENNIKU (1 – najstarszy; domyślnie\n"
         "                          najnowszy)\n"
         "  protocol DZIENNIK --list\n"
         "                          wypisuje protokoły DZIENNIKA, najnowszy pierwszy,\n"
         "                          po jednym w wierszu: numer, początek, kto sprawdzał,\n"
         "                          liczby ocen, rodzaj (rozdzielone tabulatorem);\n"
         "                          uszkodzony: numer i przyczyna\n"
         "  monitor [--for SEKUNDY] [--raw] [--log PLIK]\n"
         "                          nasłuch magistrali RS485: jeden wiersz na zmianę\n"
         "                          (czas, centrala, wiersz, zdarzenie, początek albo\n"
         "                          koniec; rozdzielone tabulatorem), aż do Ctrl+C albo\n"
         "                          przez SEKUNDY; z --raw także każda odebrana ramka\n"
         "                          szesnastkowo; z --log zmiany także do PLIKU (CSV)\n"
         "\n"
         "Opcje:\n"
         "  --repeat   po każdym module czeka, aż zostanie odłączony i podłączony\n"
         "             następny, i powtarza polecenie, aż do Ctrl+C; jeden wiersz\n"
         "             wyniku na moduł i podsumowanie na końcu\n"
         "  --log PLIK dopisuje do PLIKU wiersz wyniku każdego modułu: czas, wynik,\n"
         "             kod wyjścia, plik konfiguracji i SHA-256 jego 7625 bajtów\n"
         "             (rozdzielone tabulatorem), od razu zapisany na dysk;\n"
         "             przy monitor: zmiany w CSV, jak wyżej\n"
         "  --trace    ślad transportu i dziennik ramek na standardowe wyjście błędów\n"
         "  --quiet    tylko błędy\n"
         "  --help     ten tekst\n"
         "  --version  wersja programu\n"
         "\n"
         "Kody wyjścia:\n"
         "   0  wykonano (verify: moduł zgodny z PLIKIEM; monitor, field: minął czas\n"
         "      --for)\n"
         "   1  verify znalazł różnice; walk --confirm, field: moduł różni się od PLIKU\n"
         "  64  nieprawidłowe argumenty\n"
         "  65  moduł nie zawiera poprawnej konfiguracji\n"
         "  66  nie można wczytać PLIKU albo nie jest on konfiguracją; nie można\n"
         "      odczytać DZIENNIKA albo jego protokołu\n"
         "  69  nie znaleziono modułu\n"
         "  73  nie można zapisać PLIKU\n"
         "  74  moduł odrzucił polecenie, nie odpowiedział albo został odłączony;\n"
         "      nie można zapisać wyniku na standardowe wyjście\n"
         " 130  przerwano (Ctrl+C)\n";
}
