// SPDX-License-Identifier: MIT
// zel17-cli's pieces that need no module: the command line, the texts about
// a refused command and a differing cell, and the progress line.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/progress_line.h"
#include "config/project_names.h"
#include "cli/result_log.h"
#include "cli/record_start.h"
#include "cli/result_text.h"
#include "cli/terminal_keys.h"
#include "cli/walk_confirm.h"

namespace {

TEST(CliCommandLine, CommandsOptionsAndOperandsInAnyOrder) {
  ParsedCommandLine parsed = parse_command_line({"--quiet", "upload", "plik.zel", "--verify", "--repeat"});
  ASSERT_EQ(parsed.kind, ParsedCommandLine::run) << parsed.error;
  EXPECT_EQ(parsed.options.command, CliCommand::upload);
  EXPECT_EQ(parsed.options.file, "plik.zel");
  EXPECT_TRUE(parsed.options.verify_after_upload && parsed.options.repeat && parsed.options.quiet);
  EXPECT_FALSE(parsed.options.trace);

  parsed = parse_command_line({"test", "adr 99. Awaria", "--unit", "255"});
  ASSERT_EQ(parsed.kind, ParsedCommandLine::run) << parsed.error;
  EXPECT_EQ(parsed.options.row, 304);
  EXPECT_EQ(parsed.options.unit, 255);

  // A file whose name starts with a dash, after "--".
  parsed = parse_command_line({"read", "--", "--plik.zel"});
  ASSERT_EQ(parsed.kind, ParsedCommandLine::run) << parsed.error;
  EXPECT_EQ(parsed.options.file, "--plik.zel");

  parsed = parse_command_line({"monitor", "--raw", "--for", "90", "--log", "zmiany.csv"});
  ASSERT_EQ(parsed.kind, ParsedCommandLine::run) << parsed.error;
  EXPECT_EQ(parsed.options.command, CliCommand::monitor);
  EXPECT_EQ(parsed.options.monitor_seconds, 90);
  EXPECT_TRUE(parsed.options.raw);
  EXPECT_EQ(parsed.options.log_file, "zmiany.csv");
  EXPECT_EQ(parse_command_line({"monitor"}).options.monitor_seconds, -1);

  // --record names walk's journal, and protocol's record by its number.
  parsed = parse_command_line({"walk", "--confirm", "a.zelp", "--engineer", "Jan Kowalski", "--record", "7"});
  ASSERT_EQ(parsed.kind, ParsedCommandLine::run) << parsed.error;
  EXPECT_EQ(parsed.options.engineer, "Jan Kowalski");
  EXPECT_EQ(parsed.options.record_file, "7");
  parsed = parse_command_line({"protocol", "d", "--record", "7", "--csv", "p.csv"});
  ASSERT_EQ(parsed.kind, ParsedCommandLine::run) << parsed.error;
  EXPECT_EQ(parsed.options.record_number, 7);
  EXPECT_EQ(parsed.options.record_file, "");
  EXPECT_TRUE(parse_command_line({"protocol", "--list", "d"}).options.list_records);

  // field: its file is the one the module must hold; without --unit it hears every unit.
  parsed = parse_command_line({"field", "--for", "4", "obiekt.zelp", "adr 1. Alarm I", "--record", "J", "--force"});
  ASSERT_EQ(parsed.kind, ParsedCommandLine::run) << parsed.error;
  EXPECT_EQ(parsed.options.command, CliCommand::field);
  EXPECT_EQ(parsed.options.confirm_file, "obiekt.zelp");
  EXPECT_EQ(parsed.options.walk_first, 8);
  EXPECT_EQ(parsed.options.walk_last, 304);
  EXPECT_EQ(parsed.options.monitor_seconds, 4);
  EXPECT_EQ(parsed.options.record_file, "J");
  EXPECT_EQ(parsed.options.unit, -1);
  EXPECT_TRUE(parsed.options.force);
  EXPECT_EQ(parse_command_line({"field", "a.zel", "--unit", "0"}).options.unit, 0);

  EXPECT_EQ(parse_command_line({"upload", "x", "--help"}).kind, ParsedCommandLine::help);
  EXPECT_EQ(parse_command_line({"--version"}).kind, ParsedCommandLine::version);
}

TEST(CliCommandLine, WrongLinesSayWhatIsWrong) {
  struct Case {
    std::vector<std::string> arguments;
    std::string error;
  };
  const Case cases[] = {
      {{}, "nie podano polecenia"},
      {{"zapisz"}, "nieznane polecenie: zapisz"},
      {{"verify"}, "verify: nie podano pliku"},
      {{"test"}, "test: nie podano wiersza"},
      {{"hello", "extra"}, "nadmiarowy argument: extra"},
      {{"read", "a.zel", "--verify"}, "--verify dotyczy tylko polecenia upload"},
      {{"hello", "--unit", "1"}, "--unit dotyczy tylko poleceń test i walk"},
      {{"test", "5", "--dwell", "1"}, "--dwell dotyczy tylko polecenia walk"},
      {{"walk", "--dwell"}, "--dwell wymaga czasu w sekundach (0-3600)"},
      {{"walk", "--dwell", "3600.5"}, "nieprawidłowy czas na zdarzenie: 3600.5 (0-3600 s)"},
      {{"walk", "--dwell", "-1"}, "nieprawidłowy czas na zdarzenie: -1 (0-3600 s)"},
      {{"walk", "--dwell", "2s"}, "nieprawidłowy czas na zdarzenie: 2s (0-3600 s)"},
      {{"walk", "5", "305"}, "nieznany wiersz zdarzenia: 305 (0-304 lub np. \"adr 7. Alarm II\")"},
      {{"walk", "1", "4"}, "wierszy 1-4 nie wywoła ramka magistrali: nie ma czego testować"},
      {{"walk", "5", "6", "7"}, "nadmiarowy argument: 7"},
      {{"walk", "--repeat"}, "--repeat nie dotyczy polecenia walk"},
      {{"walk", "--force"}, "--record i --force dotyczą tylko polecenia walk z --confirm"},
      {{"walk", "--record", "d.jsonl"}, "--record i --force dotyczą tylko polecenia walk z --confirm"},
      {{"walk", "--confirm"}, "--confirm wymaga nazwy pliku"},
      {{"walk", "--confirm", "a.zel", "--csv", "p.csv"}, "--csv i --list dotyczą tylko polecenia protocol"},
      {{"walk", "--list"}, "--csv i --list dotyczą tylko polecenia protocol"},
      {{"walk", "--engineer", "Jan"}, "--engineer dotyczy tylko polecenia walk z --confirm"},
      {{"walk", "--confirm", "a.zel", "--engineer", " "}, "--engineer wymaga imienia i nazwiska"},
      {{"verify", "a.zel", "--confirm", "b.zel"}, "--confirm, --force i --engineer dotyczą tylko polecenia walk"},
      {{"hello", "--record", "1"}, "--record dotyczy tylko poleceń walk i protocol"},
      {{"protocol", "d.jsonl"}, "protocol: nie podano pliku CSV (--csv PLIK) ani --list"},
      {{"protocol", "d.jsonl", "--csv", "p.csv", "--record", "0"}, "nieprawidłowy numer protokołu: 0 (1, 2, ...)"},
      {{"protocol", "d.jsonl", "--list", "--csv", "p.csv"}, "--list wypisuje protokoły dziennika: bez --csv i --record"},
      {{"protocol", "--csv", "p.csv"}, "protocol: nie podano pliku"},
      {{"protocol", "d.jsonl", "--csv", "p.csv", "--repeat"}, "--repeat i --log nie dotyczą polecenia protocol"},
      {{"hello", "--csv", "p.csv"}, "--csv i --list dotyczą tylko polecenia protocol"},
      {{"test", "5", "--unit"}, "--unit wymaga numeru centrali (0-255)"},
      {{"test", "5", "--unit", "-1"}, "nieprawidłowy numer centrali: -1 (0-255)"},
      {{"hello", "-q"}, "nieznana opcja: -q"},
      {{"monitor", "--for"}, "--for wymaga liczby sekund"},
      {{"monitor", "--for", "1.5"}, "nieprawidłowa liczba sekund: 1.5"},
      {{"monitor", "--log"}, "--log wymaga nazwy pliku"},
      {{"hello", "--raw"}, "--for i --raw dotyczą tylko polecenia monitor"},
      {{"monitor", "--repeat"}, "--repeat nie dotyczy polecenia monitor"},
      {{"monitor", "x"}, "nadmiarowy argument: x"},
      {{"field", "--for", "5"}, "field: nie podano pliku"},
      {{"field", "a.zel", "5", "9", "x"}, "nadmiarowy argument: x"},
      {{"field", "a.zel", "0", "Po resecie"}, "wierszy 0-4 magistrala nie zgłasza jako zdarzeń: nie ma czego sprawdzać"},
      {{"field", "a.zel", "--log", "x.csv"}, "--log nie dotyczy polecenia field"},
      {{"field", "a.zel", "--repeat"}, "--repeat nie dotyczy polecenia field"},
      {{"test", "-1"}, "nieznany wiersz zdarzenia: -1 (0-304 lub np. \"adr 7. Alarm II\")"},
      {{"test", "1"}, "wiersza 1 („Strata łączności”) nie można wywołać ramką z magistrali (stan samego modułu)"},
      {{"test", "Po resecie"}, "wiersza 3 („Po resecie”) nie można wywołać ramką z magistrali (stan samego modułu)"},
      {{"test", "4"}, "wiersza 4 („(brak funckji)”) nie można wywołać ramką z magistrali (wiersz nieużywany)"},
  };
  for (const Case& c : cases) {
    const ParsedCommandLine parsed = parse_command_line(c.arguments);
    EXPECT_EQ(parsed.kind, ParsedCommandLine::usage_error) << c.error;
    EXPECT_EQ(parsed.error, c.error);
  }
}

TEST(CliCommandLine, WalkRangeDwellAndUnit) {
  struct Case {
    std::vector<std::string> arguments;
    int first, last, dwell_ms, unit;
  };
  const Case cases[] = {
      {{"walk"}, 5, 304, 3000, 0},
      {{"walk", "adr 7. Alarm II"}, 27, 304, 3000, 0},
      {{"walk", "0", "9", "--dwell", "0"}, 0, 9, 0, 0},
      {{"walk", "--dwell", "2.5", "--unit", "12", "30", "10"}, 30, 10, 2500, 12},
      {{"walk", "--dwell", "0,25"}, 5, 304, 250, 0},
      {{"walk", "--dwell", "3600"}, 5, 304, 3600000, 0},
  };
  for (const Case& c : cases) {
    const ParsedCommandLine parsed = parse_command_line(c.arguments);
    ASSERT_EQ(parsed.kind, ParsedCommandLine::run) << parsed.error;
    EXPECT_EQ(parsed.options.command, CliCommand::walk);
    EXPECT_EQ(parsed.options.walk_first, c.first);
    EXPECT_EQ(parsed.options.walk_last, c.last);
    EXPECT_EQ(parsed.options.dwell_ms, c.dwell_ms);
    EXPECT_EQ(parsed.options.unit, c.unit);
  }
}

TEST(CliTerminalKeys, KeysThatSteerTheWalk) {
  const std::pair<const char*, WalkKey> cases[] = {
      {" ", WalkKey::pause},     {"n", WalkKey::next},   {"\x1b[C", WalkKey::next}, {"\x1bOC", WalkKey::next},
      {"p", WalkKey::back},      {"\x1b[D", WalkKey::back}, {"q", WalkKey::quit},     {"x", WalkKey::none},
      {"\x1b[A", WalkKey::none}, {"nn", WalkKey::none},
  };
  for (const auto& [input, key] : cases) EXPECT_EQ(decode_walk_key(input), key) << input;
  const std::pair<const char*, VerdictKey> verdicts[] = {
      {"\r", VerdictKey::ok},      {"o", VerdictKey::ok},       {"b", VerdictKey::fault}, {"B", VerdictKey::fault},
      {"\x1b[D", VerdictKey::back}, {"n", VerdictKey::next},    {"q", VerdictKey::quit},  {" ", VerdictKey::none},
      {"ob", VerdictKey::none},
  };
  for (const auto& [input, key] : verdicts) EXPECT_EQ(decode_verdict_key(input), key) << input;
}

// `zel17-cli walk ... &`: a job in the terminal's background leaves the
// terminal's modes alone, so no SIGTTOU stops it while it holds the module.
// Each case runs in a session of its own on a new pseudo-terminal.
// A comment after "b": Backspace takes back a whole UTF-8 character, an
// arrow types nothing, Return ends the line and what came after it in a paste.
TEST(CliTerminalKeys, CommentTypedKeyByKey) {
  std::ostringstream echo;
  TypedLine comment(echo);
  EXPECT_FALSE(comment.take("lampa ś"));
  EXPECT_FALSE(comment.take("\x7f"));
  EXPECT_FALSE(comment.take("\x1b[D"));
  EXPECT_TRUE(comment.take("zgasła\rreszta"));
  EXPECT_EQ(comment.text(), "lampa zgasła");
  EXPECT_EQ(echo.str(), "lampa ś\b \bzgasła\n");
}

TEST(CliTerminalKeys, OnlyTheForegroundJobTakesTheKeys) {
  enum Ending { taken = 10, not_taken = 11, stopped = 12 };
  auto run_in_session = [](bool background) {
    const pid_t leader = fork();
    if (leader != 0) return leader;
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (setsid() < 0 || master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) _exit(1);
    const int terminal = open(ptsname(master), O_RDWR);  // becomes the session's terminal
    if (terminal < 0) _exit(1);
    const pid_t job = fork();
    if (job == 0) {
      if (background) setpgid(0, 0);
      dup2(terminal, STDIN_FILENO);
      const TerminalKeys keys;
      _exit(keys.active() ? taken : not_taken);
    }
    int status = 0;
    waitpid(job, &status, WUNTRACED);
    if (WIFSTOPPED(status)) {
      kill(job, SIGKILL);
      waitpid(job, nullptr, 0);
      _exit(stopped);
    }
    _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 1);
  };
  for (const auto& [background, ending] : {std::pair{false, taken}, std::pair{true, not_taken}}) {
    SCOPED_TRACE(background ? "background" : "foreground");
    const pid_t leader = run_in_session(background);
    ASSERT_GT(leader, 0);
    int status = 0;
    ASSERT_EQ(waitpid(leader, &status, 0), leader);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), ending);  // 12: stopped by SIGTTOU
  }
}

TEST(CliCommandLine, EventRowsByNumberOrByLabel) {
  EXPECT_EQ(parse_event_row("0"), 0);
  EXPECT_EQ(parse_event_row("304"), 304);
  EXPECT_EQ(parse_event_row("Brak zdarzeń"), 0);
  EXPECT_EQ(parse_event_row("Po resecie"), 3);
  EXPECT_EQ(parse_event_row("adr 0. Alarm I"), 5);
  EXPECT_EQ(parse_event_row("adr 7. Alarm II"), 27);
  for (const char* wrong : {"305", "-1", "", "1x", "adr 100. Alarm I", "adr 7. alarm ii", " 5"})
    EXPECT_FALSE(parse_event_row(wrong).has_value()) << wrong;
}

TEST(CliTexts, RefusedCommandNamesItsFlashAddress) {
  UsbFrame request{};
  request[1] = 2;
  request[2] = 7;
  request[3] = 1;
  const std::pair<std::uint8_t, const char*> cases[] = {
      {WRITE_FLASH_BLOCK_USB_FRAME, "moduł nie przyjął polecenia Write_flash_block (strona 2, blok 7)"},
      {BUFFOR_FLASH_BLOCK_USB_FRAME, "moduł nie przyjął polecenia Buffor_flash_block (strona 2, blok 7)"},
      {ERASE_FLASH_PAGE_USB_FRAME, "moduł nie przyjął polecenia Erase_flash_page (strona 2)"},
      {READ_FLASH_BLOCK_USB_FRAME,
       "moduł nie przyjął polecenia Read_flash_block (strona 2, blok 7, połówka 1)"},
      {RS485_GIFT_USB_FRAME, "moduł nie przyjął polecenia RS485_gift_frame"},
      {HELLO_USB_FRAME, "moduł nie przyjął polecenia Hello_frame"},
      {0x04, "moduł nie przyjął polecenia o kodzie 4"},
  };
  for (const auto& [code, text] : cases) {
    request[0] = code;
    EXPECT_EQ(failed_command_text(request), text);
  }
  // No connection: no module at all, or one that could not be opened.
  EXPECT_EQ(connect_failure_text(false), "nie znaleziono modułu ZEL (VID_04D8&PID_003F)");
  EXPECT_EQ(connect_failure_text(true), "moduł ZEL jest podłączony, ale nie udało się go otworzyć (brak uprawnień?)");
}

TEST(CliTexts, DifferingCellAndRepeatLines) {
  EXPECT_EQ(difference_row({304, 24, 3, 0}), "304\tadr 99. Awaria\t25\t3\t0");
  EXPECT_EQ(difference_row({0, 0, 0, 2}), "0\tBrak zdarzeń\t1\t0\t2");
  ProjectNames names;
  names.addresses[99] = "Kotłownia";
  EXPECT_EQ(difference_row({304, 24, 3, 0}, &names), "304\tadr 99. Awaria\t25\t3\t0\tKotłownia");
  EXPECT_EQ(difference_row({0, 0, 0, 2}, &names), "0\tBrak zdarzeń\t1\t0\t2\t");
  // A rated event: the comment's field stays with names, so the name is always fifth.
  RecordLine rated{304, "adr 99. Awaria", "", "", Verdict::ok, "", "", {}, "", kAnyUnit};
  EXPECT_EQ(verdict_row(rated), "304\tadr 99. Awaria\tOK");
  EXPECT_EQ(verdict_row(rated, &names), "304\tadr 99. Awaria\tOK\t\tKotłownia");
  rated.verdict = Verdict::fault;
  rated.comment = "nie świeci";
  EXPECT_EQ(verdict_row(rated), "304\tadr 99. Awaria\tBłąd\tnie świeci");
  EXPECT_EQ(verdict_row(rated, &names), "304\tadr 99. Awaria\tBłąd\tnie świeci\tKotłownia");
  EXPECT_EQ(repeat_line(3, "OK (zapisano i zweryfikowano)"), "3: OK (zapisano i zweryfikowano)");
  EXPECT_EQ(closing_count(5, 4), "Moduły: 5, poprawnie: 4, z błędem: 1");
}

TEST(CliResultLog, LineIsTabSeparatedWithTheLocalTimeAndItsOffset) {
  std::tm local{};
  local.tm_year = 2026 - 1900;
  local.tm_mon = 11;
  local.tm_mday = 7;
  local.tm_hour = 14;
  local.tm_min = 3;
  local.tm_sec = 9;
  const std::pair<long, const char*> offsets[] = {
      {3600, "2026-12-07T14:03:09+01:00"}, {0, "2026-12-07T14:03:09+00:00"},
      {-16200, "2026-12-07T14:03:09-04:30"}, {20700, "2026-12-07T14:03:09+05:45"}};
  for (const auto& [offset, text] : offsets) EXPECT_EQ(iso8601(local, offset), text);

  // The process's zone decides: two hours east of UTC, then three hours west.
  const char* zone = std::getenv("TZ");
  const std::string saved = zone ? zone : "";
  setenv("TZ", "XYZ-2", 1);
  tzset();
  EXPECT_EQ(iso8601_local_time(86400), "1970-01-02T02:00:00+02:00");
  setenv("TZ", "XYZ+3", 1);
  tzset();
  EXPECT_EQ(iso8601_local_time(86400), "1970-01-01T21:00:00-03:00");
  if (zone) setenv("TZ", saved.c_str(), 1); else unsetenv("TZ");
  tzset();

  EXPECT_EQ(log_line({"T", "BŁĄD: x\ty", 74, "linia\nA.zel", "ab"}), "T\tBŁĄD: x y\t74\tlinia A.zel\tab\n");
  EXPECT_EQ(log_line({"T", "OK: powitanie", 0, "", ""}), "T\tOK: powitanie\t0\t\t\n");
}

TEST(CliProgressLine, StepCountAndPercentageRedrawnInPlace) {
  EXPECT_EQ(ProgressLine::render("Krok", 0, 86), "Krok [--------------------] 0/86   0%");
  EXPECT_EQ(ProgressLine::render("Krok", 43, 86), "Krok [##########----------] 43/86  50%");
  EXPECT_EQ(ProgressLine::render("Krok", 86, 86), "Krok [####################] 86/86 100%");
  EXPECT_EQ(ProgressLine::render("Krok", 90, 86), "Krok [####################] 86/86 100%");

  std::ostringstream terminal;
  {
    ProgressLine line(terminal, true);
    line.start(4);
    line.set_status("Długi krok");
    line.set_position(2);
    line.show_waiting("Ąę");
  }
  // Each draw returns to the line's start; a shorter line blanks the rest
  // (counted in characters, not bytes); the end clears the line.
  const std::string first = "Długi krok [--------------------] 0/4   0%";
  const std::string second = "Długi krok [##########----------] 2/4  50%";
  const std::size_t width = 42;
  EXPECT_EQ(terminal.str(), "\r" + first + "\r" + second + "\rĄę" + std::string(width - 2, ' ') +
                                "\r" + std::string(width, ' ') + "\r");

  // A kept line replaces the drawn one and is ended: clearing leaves it be.
  std::ostringstream kept;
  {
    ProgressLine line(kept, true);
    line.show_waiting("Odczyt...");
    line.keep("Zgodna");
    line.clear();
  }
  EXPECT_EQ(kept.str(), "\rOdczyt...\rZgodna   \n");

  std::ostringstream pipe;
  {
    ProgressLine line(pipe, false);
    line.start(4);
    line.set_status("Krok");
    line.set_position(4);
    line.keep("Zgodna");
  }
  EXPECT_EQ(pipe.str(), "");
}

}  // namespace
