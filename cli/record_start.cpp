// SPDX-License-Identifier: MIT
#include "cli/record_start.h"

#include <chrono>

#include "cli/exit_codes.h"
#include "cli/platform_console.h"
#include "cli/terminal_keys.h"
#include "commissioning/commissioning_record.h"
#include "config/readback_runner.h"
#include "text/utf8_path.h"

#ifndef ZEL_VERSION
#define ZEL_VERSION "?"
#endif

std::optional<ModuleResult> check_module_for_record(USB_protocol& protocol, const ModuleJob& job,
                                                    const char* not_begun, ModuleReading& module) {
  job.progress.start(kReadbackCount);
  const ModuleCheck check = check_module(protocol, job.file, view_on(job.progress));
  if (!check.read) return not_accepted(protocol, kReadbackStatusFailed);
  const int differing = check.module.differing_cells;
  if (differing == kNoValidConfiguration)
    return failed(exit_code::kDataError, kReadbackStatusInvalid, "moduł nie zawiera poprawnej konfiguracji");
  if (differing > 0 && !job.options.force) {
    return failed(exit_code::kDiffers, readback_result_text(differing),
                   "moduł zawiera inną konfigurację niż \"" + job.options.confirm_file + "\" (" +
                       std::to_string(differing) + " komórek się różni); " + not_begun + " (--force: mimo to)");
  }
  const std::string readback_line = readback_result_text(differing);
  if (job.progress.enabled()) {
    job.progress.keep(readback_line);
  } else if (job.notices) {
    *job.notices << readback_line << std::endl;
  }
  module = check.module;
  return std::nullopt;
}

std::optional<bool> ask_yes_no(TerminalKeys& keys) {
  if (!keys.active()) return true;
  for (;;) {
    const std::string input = keys.read_key(std::chrono::milliseconds(-1));
    if (input.empty() && interrupt_requested()) return std::nullopt;
    if (input == "\r" || input == "\n" || input == "t" || input == "T") return true;
    if (input == "n" || input == "N") return false;
  }
}

RecordStart begin_or_resume(const ModuleJob& job, TerminalKeys& keys, const ModuleReading& module,
                            const RecordOffer& offer, const std::function<WalkRecord()>& fresh) {
  CommissioningRecord& record = *job.record;
  std::ostream& ask = *job.prompts;
  RecordStart start;
  if (const std::string damage = record.newest_damage(); !damage.empty())
    ask << "Ostatniego protokołu w dzienniku nie można dokończyć (" << damage << "); zaczyna się nowy." << std::endl;
  if (offer.unfinished) {
    ask << offer.question << std::flush;
    const std::optional<bool> go_on = ask_yes_no(keys);
    if (!go_on) {
      start.interrupted = true;
      return start;
    }
    ask << (*go_on ? "t" : "n") << (keys.active() ? "" : " (bez terminala: domyślnie)") << std::endl;
    if (*go_on) {
      start.failure = record.resume(offer.unfinished->header.sha256, offer.with_verdicts, module, record_time_now(),
                                    offer.kind);
      start.resumed = start.failure.empty();
      return start;
    }
  }
  start.failure = record.begin(fresh());
  return start;
}

WalkRecord fresh_record(const ModuleJob& job, const ModuleReading& module, const std::vector<int>& rows) {
  const ProjectNames no_names;
  return new_record(path_utf8(utf8_path(job.options.confirm_file).filename()), job.file,
                    job.names ? *job.names : no_names, rows, ZEL_VERSION, job.options.engineer, module,
                    record_time_now());
}

bool TypedLine::take(std::string_view input) {
  if (input.starts_with('\x1b')) return false;  // arrows and other keys that type nothing
  for (char c : input) {
    if (c == '\r' || c == '\n') {
      echo_ << std::endl;
      return true;
    }
    if (c == '\x7f' || c == '\b') {
      // One character back: its UTF-8 continuation bytes go with it.
      while (!text_.empty() && (static_cast<unsigned char>(text_.back()) & 0xC0) == 0x80) text_.pop_back();
      if (!text_.empty()) {
        text_.pop_back();
        echo_ << "\b \b";
      }
      continue;
    }
    if (static_cast<unsigned char>(c) < 0x20) continue;
    text_ += c;
    echo_ << c;
  }
  echo_ << std::flush;
  return false;
}
