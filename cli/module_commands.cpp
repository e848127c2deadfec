// SPDX-License-Identifier: MIT
#include "cli/module_commands.h"

#include <sstream>

#include "cli/exit_codes.h"
#include "cli/field_command.h"
#include "cli/platform_console.h"
#include "cli/result_text.h"
#include "cli/walk_command.h"
#include "cli/walk_confirm.h"
#include "commissioning/bus_monitor.h"
#include "config/configuration_source.h"
#include "config/flash_image.h"
#include "config/readback_runner.h"
#include "config/test_payload.h"
#include "config/upload_runner.h"
#include "protocol/console_log.h"
#include "protocol/device_session.h"
#include "text/cp1250.h"
#include "text/utf8_path.h"

namespace {


ModuleResult done(std::string status, std::string summary) {
  return {exit_code::kDone, std::move(status), std::move(summary), {}, {}};
}


// Written on standard error at the first Ctrl+C while the FLASH is
// rewritten; from its second character when no progress line is drawn,
// which the leading line end keeps from being overwritten.
constexpr const char* kUploadFinishesNotice =
    "\nCtrl+C: zapis konfiguracji zostanie dokończony (trwa poniżej sekundy), potem program "
    "zakończy pracę. Ponowne Ctrl+C przerwie zapis, a moduł zostanie bez poprawnej "
    "konfiguracji.\n";


ModuleResult not_connected(bool module_found) {
  return failed(exit_code::kUnavailable, kConnectStatusFailed, connect_failure_text(module_found));
}

}  // namespace

OperationView view_on(ProgressLine& progress) {
  return {[&progress](std::string_view utf8) { progress.set_status(utf8); },
          [&progress](int position) { progress.set_position(position); },
          [] { return interrupt_stops_run(); },
          [&progress] {
            defer_first_interrupt(progress.enabled() ? kUploadFinishesNotice
                                                     : kUploadFinishesNotice + 1);
          }};
}

// A run stopped on a command the module did not accept, or at a Ctrl+C
// (then the last command was accepted).
ModuleResult not_accepted(const USB_protocol& protocol, std::string status) {
  const std::string cause = last_failure_text(protocol);
  if (cause.empty()) return interrupted();
  return failed(exit_code::kIoError, std::move(status), cause);
}

namespace {

// "Konfiguracja w module zgodna z plikiem wzor.zel."
std::string same_as_file_text(const std::string& file) {
  return "Konfiguracja w module zgodna z plikiem " + path_utf8(utf8_path(file).filename()) + ".";
}

// Reads the module's cells back and compares them with the file's.
ModuleResult verify(USB_protocol& protocol, const ModuleJob& job, const char* ok_summary) {
  job.progress.start(kReadbackCount);
  std::vector<CellDifference> differences;
  const std::string same_as_file = same_as_file_text(job.options.file);
  const ReadbackOutcome outcome =
      verify_configuration(protocol, job.file, view_on(job.progress), differences, same_as_file);
  if (outcome == ReadbackOutcome::failed) return not_accepted(protocol, kReadbackStatusFailed);
  if (outcome == ReadbackOutcome::invalid) {
    return failed(exit_code::kDataError, kReadbackStatusInvalid,
                  "moduł nie zawiera poprawnej konfiguracji");
  }
  if (differences.empty()) return done(same_as_file, ok_summary);
  const std::string status = verify_status_text(differences.size());
  ModuleResult result{exit_code::kDiffers, status, "RÓŻNICE: " + status, {}, {}};
  for (const CellDifference& d : differences) result.results.push_back(difference_row(d, job.names));
  return result;
}

// A Ctrl+C after the first erase lets the upload finish and ends the run
// after it, without the verification.
ModuleResult upload(USB_protocol& protocol, const ModuleJob& job) {
  job.progress.start(kUploadProgressMax);
  const UploadOutcome outcome = run_flash_upload(protocol, job.file, view_on(job.progress));
  end_deferred_interrupt();
  if (outcome != UploadOutcome::written) {
    // After an erase, whatever the cause, the user must know what the module holds.
    ModuleResult result = not_accepted(protocol, kUploadStatusFailed);
    if (const char* warning = upload_outcome_warning(outcome)) result.summary += ". " + std::string(warning);
    return result;
  }
  if (interrupt_requested()) {
    return {interrupt_exit_status(), kUploadStatusDone,
            "PRZERWANO (Ctrl+C) po zapisaniu konfiguracji", {}, {}};
  }
  if (!job.options.verify_after_upload) return done(kUploadStatusDone, "OK (zapisano)");
  ModuleResult checked = verify(protocol, job, "OK (zapisano i zweryfikowano)");
  if (checked.exit_status == exit_code::kDone) checked.status = kUploadStatusDone;
  return checked;
}

ModuleResult read_to_file(USB_protocol& protocol, const ModuleJob& job) {
  job.progress.start(kReadbackCount);
  ConfigMatrix module_cells;
  const ReadbackOutcome outcome = read_configuration(protocol, module_cells, view_on(job.progress));
  if (outcome == ReadbackOutcome::failed) return not_accepted(protocol, kReadbackStatusFailed);
  if (outcome == ReadbackOutcome::invalid) {
    return failed(exit_code::kDataError, kReadbackStatusInvalid,
                  "moduł nie zawiera poprawnej konfiguracji");
  }
  const FileResult saved = save_configuration(utf8_path(job.options.file), module_cells);
  if (!saved.ok) {
    return failed(exit_code::kCantCreate, kSaveStatusFailed,
                  "nie udało się zapisać konfiguracji do pliku \"" + job.options.file + "\": " +
                      saved.reason);
  }
  ModuleResult result = done(kReadbackStatusRead, "OK (odczytano)");
  if (!saved.note.empty()) {
    // Written in place, or without the old file's owner or rights: said
    // after the status, and in --repeat's line.
    result.status += "\n" + saved.note;
    result.summary += " " + saved.note;
  }
  result.read_cells = module_cells;
  return result;
}

ModuleResult test_event(USB_protocol& protocol, const ModuleJob& job) {
  const TestPayload payload = build_test_payload(job.options.row, job.options.unit);
  if (interrupt_requested()) return interrupted();
  if (!protocol.RS485_gift_frame(payload.data(), kTestPayloadSize))
    return not_accepted(protocol, kTestStatusFailed);
  const std::string event = "wiersz " + std::to_string(job.options.row) + ": " + tested_event_text(job.options.row);
  return done(std::string(kTestStatusRunning) + " (" + event + ")", "OK (przetestowano " + event + ")");
}

// The greeting was exchanged on connecting: its frames are still the last ones.
ModuleResult greeting(USB_protocol& protocol) {
  const UsbFrame& request = protocol.last_request();
  const UsbFrame& response = protocol.last_response();
  if (request[0] != HELLO_USB_FRAME || classify_reply(HELLO_USB_FRAME, response) != ReplyKind::answer)
    return not_accepted(protocol, "");
  const std::string greeting_text = text::to_utf8(protocol.greeting());
  ModuleResult result = done("", "OK: " + greeting_text);
  result.results.push_back(greeting_text);
  return result;
}

ModuleResult monitor(USB_protocol& protocol, const ModuleJob& job) {
  const USB_protocol::Outcome outcome = run_bus_monitor(protocol, job.options, *job.monitor_output);
  if (const AppendedFile* log = job.monitor_output->log; log && !log->failure().empty()) {
    return failed(exit_code::kCantCreate, "",
                  "nie udało się zapisać dziennika do pliku \"" + job.options.log_file + "\": " + log->failure());
  }
  if (outcome != USB_protocol::Outcome::accepted) return not_accepted(protocol, bus_monitor_stop_text(outcome));
  if (interrupt_requested()) return interrupted();
  return done("", "OK");
}

ModuleResult run_command(USB_protocol& protocol, const ModuleJob& job) {
  switch (job.options.command) {
    case CliCommand::upload: return upload(protocol, job);
    case CliCommand::read: return read_to_file(protocol, job);
    case CliCommand::verify: return verify(protocol, job, "OK (zgodna)");
    case CliCommand::test: return test_event(protocol, job);
    case CliCommand::hello: return greeting(protocol);
    case CliCommand::walk:
      if (!job.options.confirm_file.empty()) return walk_with_verdicts(protocol, job);
      return walk_events(protocol, job);
    case CliCommand::monitor: return monitor(protocol, job);
    case CliCommand::field: return field_test(protocol, job);
    case CliCommand::protocol: break;  // needs no module
  }
  return failed(exit_code::kUsage, "", "nieznane polecenie");
}

}  // namespace

ModuleResult failed(int exit_status, std::string status, const std::string& reason) {
  return {exit_status, std::move(status), "BŁĄD: " + reason, {}, {}};
}

ModuleResult interrupted() { return {interrupt_exit_status(), "", "PRZERWANO (Ctrl+C)", {}, {}}; }

ModuleResult run_on_module(const ModuleJob& job) {
  // The search's trace is passed on once the connect has ended.
  std::ostringstream trace;
  auto pass_trace_on = [&] {
    job.transport_trace << trace.str() << std::flush;
    trace.str({});
  };
  ConnectionState state;
  ModuleResult result;
  {
    Device_session session(state, trace);
    pass_trace_on();
    if (!session.connected()) {
      result = not_connected(session.module_found());
    } else if (interrupt_requested()) {
      result = interrupted();
    } else {
      result = run_command(session.protocol(), job);
    }
  }
  pass_trace_on();
  job.progress.clear();
  return result;
}
