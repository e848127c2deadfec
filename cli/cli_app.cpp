// SPDX-License-Identifier: MIT
#include "cli/cli_app.h"

#include <ctime>
#include <memory>
#include <optional>

#include "cli/cli_options.h"
#include "cli/device_watch.h"
#include "cli/exit_codes.h"
#include "cli/module_commands.h"
#include "cli/platform_console.h"
#include "cli/result_log.h"
#include "cli/result_text.h"
#include "commissioning/bus_log.h"
#include "commissioning/commissioning_record.h"
#include "commissioning/walk_journal.h"
#include "commissioning/walk_protocol_csv.h"
#include "config/config_file.h"
#include "config/configuration_source.h"
#include "config/sha256.h"
#include "config/upload_runner.h"
#include "protocol/console_log.h"
#include "text/cp1250.h"
#include "text/utf8_path.h"
#include "transport/hid_device.h"

#ifndef ZEL_LICENCE_NOTICE
#define ZEL_LICENCE_NOTICE ""
#endif
#ifndef ZEL_VERSION
#define ZEL_VERSION "?"
#endif

namespace {

// The frame log of --trace; without it the console log is only kept.
class FrameLogEcho {
 public:
  FrameLogEcho(std::ostream& err, bool on) {
    console_log().clear();
    if (on) {
      echo_ = console_log().add_listener([&err](ConsoleChange change, std::string_view line) {
        if (change == ConsoleChange::appended || change == ConsoleChange::replaced_last)
          err << text::to_utf8(line) << '\n';
      });
    }
  }
  ~FrameLogEcho() { console_log().remove_listener(echo_); }
  FrameLogEcho(const FrameLogEcho&) = delete;
  FrameLogEcho& operator=(const FrameLogEcho&) = delete;

 private:
  ConsoleLog::ListenerId echo_ = 0;
};

// A search without trace: is a module there that can be opened?
bool module_present() {
  std::ostream nowhere(nullptr);
  HID_device device(nowhere);
  return device.search_device();
}

// False when a stop was requested first.
bool wait_until_present(DeviceWatch& watch, bool present) {
  while (module_present() != present) {
    if (!watch.wait()) return false;
  }
  return !interrupt_requested();
}

void print_single(const ModuleResult& result, const CliOptions& options, std::ostream& out,
                  std::ostream& err) {
  for (const std::string& line : result.results) {
    // The greeting is a success's text; differing cells are printed also with --quiet.
    if (result.exit_status != exit_code::kDone || !options.quiet) out << line << '\n';
  }
  out << std::flush;
  if (result.exit_status == exit_code::kDone) {
    // The walk's and the field test's standard output is their lines alone.
    std::ostream& status_out =
        options.command == CliCommand::walk || options.command == CliCommand::field ? err : out;
    if (!options.quiet && !result.status.empty()) status_out << result.status << std::endl;
    return;
  }
  // A summary that repeats the status ("RÓŻNICE: ...") says it once.
  if (!result.status.empty() && result.summary.find(result.status) == std::string::npos)
    err << result.status << '\n';
  err << result.summary << std::endl;
}

// The configuration a module's record names: FILE's cells, or for read the
// module's cells saved to FILE.
const ConfigMatrix* logged_configuration(const ModuleJob& job, const ModuleResult& result) {
  switch (job.options.command) {
    case CliCommand::upload:
    case CliCommand::verify: return &job.file;
    case CliCommand::read: return result.read_cells ? &*result.read_cells : nullptr;
    case CliCommand::test:
    case CliCommand::hello:
    case CliCommand::walk:
    case CliCommand::monitor:
    case CliCommand::protocol:
    case CliCommand::field: return nullptr;
  }
  return nullptr;
}

// --log: the module's record on the disk; false, after saying why, when it
// could not be written (a production line must not go on unrecorded).
bool log_result(ResultLog* log, const ModuleJob& job, const ModuleResult& result, std::ostream& err) {
  if (log == nullptr) return true;
  LogRecord record{iso8601_local_time(std::time(nullptr)), result.summary, result.exit_status, "", ""};
  if (const ConfigMatrix* cells = logged_configuration(job, result)) {
    record.file_name = job.options.file;
    record.sha256 = sha256_hex(cells->bytes());
  }
  const std::string reason = log->append(record);
  if (reason.empty()) return true;
  job.progress.clear();
  err << "BŁĄD: nie udało się zapisać wyniku do dziennika \"" << job.options.log_file << "\": " << reason
      << std::endl;
  return false;
}

int run_repeated(const ModuleJob& job, ResultLog* log, std::ostream& out, std::ostream& err) {
  DeviceWatch watch;
  int modules = 0;
  int succeeded = 0;
  for (;;) {
    job.progress.show_waiting("Czekam na podłączenie modułu... (Ctrl+C kończy)");
    if (!wait_until_present(watch, true)) break;
    const ModuleResult result = run_on_module(job);
    ++modules;
    if (result.exit_status == exit_code::kDone) ++succeeded;
    if (result.exit_status != exit_code::kDone || !job.options.quiet)
      out << repeat_line(modules, result.summary) << std::endl;
    console_log().clear();  // a long production run must not pile up its frames
    if (!log_result(log, job, result, err)) return exit_code::kCantCreate;
    if (!out || interrupt_requested()) break;
    job.progress.show_waiting("Odłącz moduł...");
    if (!wait_until_present(watch, false)) break;
  }
  job.progress.clear();
  out << closing_count(modules, succeeded) << std::endl;
  return interrupt_exit_status();
}

// protocol JOURNAL --csv FILE [--record N] | --list: no module, only the files.
int write_protocol(const CliOptions& options, std::ostream& out, std::ostream& err) {
  const std::filesystem::path path = utf8_path(options.file);
  const JournalReading reading = load_walk_journal(path);
  const auto refused = [&](const std::string& why) {
    err << "BŁĄD: nie można odczytać dziennika \"" << options.file << "\": " << why << std::endl;
    return exit_code::kNoInput;
  };
  std::error_code error;
  if (!reading.ok) return refused(reading.reason);
  if (reading.records.empty())
    return refused(std::filesystem::exists(path, error) ? "dziennik jest pusty" : "nie ma takiego pliku ani folderu");
  const int count = static_cast<int>(reading.records.size());
  if (options.list_records) {
    for (int number = count; number >= 1; --number)
      out << record_list_line(number, reading.records[static_cast<std::size_t>(number - 1)]) << '\n';
    out << std::flush;
    return exit_code::kDone;
  }
  const int number = options.record_number == 0 ? count : options.record_number;
  if (number > count)
    return refused("nie ma w nim protokołu " + std::to_string(number) + " (protokoły: 1-" + std::to_string(count) + ")");
  const StoredRecord& stored = reading.records[static_cast<std::size_t>(number - 1)];
  if (!stored.record) {
    return refused("protokół " + std::to_string(number) + " jest uszkodzony: " + stored.damage +
                   (count > 1 ? " (pozostałe: --list, --record N)" : ""));
  }
  const FileResult saved = save_walk_protocol_csv(utf8_path(options.csv_file), *stored.record);
  if (!saved.ok) {
    err << "BŁĄD: nie udało się zapisać protokołu do pliku \"" << options.csv_file << "\": " << saved.reason
        << std::endl;
    return exit_code::kCantCreate;
  }
  if (!options.quiet) out << "Protokół zapisany." << std::endl;
  return exit_code::kDone;
}

// walk --confirm, field: the journal is read before anything is sent, as FILE is;
// one that cannot be read at all (not a file or a folder) ends the run.
std::optional<int> open_record(const CliOptions& options, std::optional<CommissioningRecord>& record,
                               std::ostream& err) {
  const std::filesystem::path path = options.record_file.empty()
                                         ? records_folder_for(utf8_path(options.confirm_file))
                                         : utf8_path(options.record_file);
  record.emplace(path);
  if (record->reading().ok) return std::nullopt;
  err << "BŁĄD: nie można odczytać dziennika \"" << path_utf8(path) << "\": " << record->reading().reason
      << std::endl;
  return exit_code::kNoInput;
}

int run_parsed(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  const ParsedCommandLine parsed = parse_command_line(arguments);
  switch (parsed.kind) {
    case ParsedCommandLine::help: out << usage_text(); return exit_code::kDone;
    case ParsedCommandLine::version: out << "zel17-cli " ZEL_VERSION "\n" ZEL_LICENCE_NOTICE "\n"; return exit_code::kDone;
    case ParsedCommandLine::usage_error:
      err << "zel17-cli: " << parsed.error << "\nWięcej: zel17-cli --help\n";
      return exit_code::kUsage;
    case ParsedCommandLine::run: break;
  }
  const CliOptions& options = parsed.options;
  if (options.command == CliCommand::protocol) return write_protocol(options, out, err);
  if (options.command == CliCommand::walk && !options.confirm_file.empty() && !standard_input_is_terminal()) {
    err << "zel17-cli: --confirm wymaga terminala na standardowym wejściu (oceny podaje się klawiszami)\n"
           "Więcej: zel17-cli --help\n";
    return exit_code::kUsage;
  }

  // The file is read before anything is sent to a module.
  Project project;
  const ConfigMatrix& file = project.matrix;
  const ProjectNames* names = nullptr;  // a project's, for the results' last field and the walk's record
  const std::string& file_name = options.confirm_file.empty() ? options.file : options.confirm_file;
  if (options.command == CliCommand::upload || options.command == CliCommand::verify ||
      !options.confirm_file.empty()) {
    const std::filesystem::path path = utf8_path(file_name);
    const FileResult loaded = load_configuration(path, project);
    if (has_project_extension(path)) names = &project.names;
    if (!loaded.ok) {
      err << kLoadStatusFailed << "\nBŁĄD: nie udało się wczytać konfiguracji z pliku \"" << file_name
          << "\": " << loaded.reason << std::endl;
      return exit_code::kNoInput;
    }
    if (const std::string refusal = upload_refusal(file); options.command == CliCommand::upload && !refusal.empty()) {
      err << kUploadStatusFailed << "\nBŁĄD: " << refusal << std::endl;
      return exit_code::kNoInput;
    }
  }

  std::optional<CommissioningRecord> record;
  if (!options.confirm_file.empty()) {
    if (const std::optional<int> refused = open_record(options, record, err)) return *refused;
  }

  // A log is opened before anything is sent, as a file to read is read. It
  // is appended to: a run, even one that finds no module, keeps what it held;
  // the monitor's header goes only into a new or empty file.
  std::optional<AppendedFile> bus_log;
  std::optional<ResultLog> log;
  if (!options.log_file.empty() && options.command == CliCommand::monitor) {
    bus_log.emplace(utf8_path(options.log_file));
    if (bus_log->failure().empty() && bus_log->was_empty()) bus_log->append(bus_log_csv_header());
    if (!bus_log->failure().empty()) {
      err << "BŁĄD: nie można zapisać dziennika do pliku \"" << options.log_file << "\": " << bus_log->failure()
          << std::endl;
      return exit_code::kCantCreate;
    }
  } else if (!options.log_file.empty()) {
    log.emplace(utf8_path(options.log_file));
    if (!log->error().empty()) {
      err << "BŁĄD: nie można otworzyć dziennika \"" << options.log_file << "\": " << log->error()
          << std::endl;
      return exit_code::kCantCreate;
    }
  }
  const BusMonitorOutput monitor_output{out, bus_log ? &*bus_log : nullptr};

  const FrameLogEcho echo(err, options.trace);
  std::ostream nowhere(nullptr);
  ProgressLine progress(err, !options.quiet && standard_error_is_terminal());
  const ModuleJob job{options, file,           progress, options.trace ? err : nowhere, &out, &monitor_output,
                      options.quiet ? nullptr : &err, names, &err, record ? &*record : nullptr};
  ResultLog* const log_file = log ? &*log : nullptr;
  if (options.repeat) return run_repeated(job, log_file, out, err);

  const ModuleResult result = run_on_module(job);
  print_single(result, options, out, err);
  if (!log_result(log_file, job, result, err)) return exit_code::kCantCreate;
  return result.exit_status;
}

}  // namespace

// A result that could not be written (a full disk, a closed pipe) is lost:
// that is a failure, whatever the module did.
int run_cli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  const int status = run_parsed(arguments, out, err);
  out.flush();
  if (out) return status;
  err << "BŁĄD: nie udało się zapisać wyniku na standardowe wyjście; wynik został utracony"
      << std::endl;
  return exit_code::kIoError;
}
