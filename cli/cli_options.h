// SPDX-License-Identifier: MIT
#pragma once
// zel17-cli's command line: one command, its FILE or ROW, and the options.
// Parsing looks at nothing outside the arguments, so it is tested alone.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class CliCommand { upload, read, verify, test, hello, walk, monitor, protocol, field };

struct CliOptions {
  CliCommand command = CliCommand::hello;
  std::string file;  // upload, read, verify: as typed (UTF-8); protocol: the journal
  int row = 0;       // test: the event row, 0 to 304
  int unit = 0;      // test, walk: the control unit number, 0 to 255; field: -1 (every unit) unless given
  int walk_first = 5;     // walk, field: OD and DO, rows 0 to 304
  int walk_last = 304;
  int dwell_ms = 3000;    // walk: how long each event stays, 0 to 3600 s
  int monitor_seconds = -1;  // monitor, field --for: how long to listen; -1 until Ctrl+C
  bool raw = false;          // monitor --raw: also each received frame in hex
  std::string log_file;      // --log: as typed (UTF-8); for monitor the changes as CSV
  std::string confirm_file;  // walk --confirm, field PLIK: the configuration the module must hold (UTF-8)
  std::string record_file;   // walk, field --record: the journal; empty: the records' folder beside confirm_file
  std::string engineer;      // walk, field --engineer: who checks, for the record (UTF-8)
  bool force = false;        // walk, field --force: also when the module holds another table
  std::string csv_file;      // protocol --csv: where the protocol goes
  int record_number = 0;     // protocol --record: the journal's records counted 1.. oldest first; 0: the newest
  bool list_records = false; // protocol --list: one line per record instead of a protocol
  bool verify_after_upload = false;
  bool repeat = false;
  bool trace = false;
  bool quiet = false;
};

struct ParsedCommandLine {
  enum Kind { run, help, version, usage_error } kind = usage_error;
  CliOptions options;
  std::string error;  // usage_error: what is wrong, UTF-8
};

ParsedCommandLine parse_command_line(const std::vector<std::string>& arguments);

// An event row from its number ("26") or its label ("adr 7. Alarm II").
std::optional<int> parse_event_row(std::string_view text);

// A time in seconds with decimals ("2.5" or "2,5") from 0 to `max_seconds`, in milliseconds.
std::optional<int> parse_seconds(std::string_view text, int max_seconds);

// The --help text.
std::string usage_text();
