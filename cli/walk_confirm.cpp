// SPDX-License-Identifier: MIT
#include "cli/walk_confirm.h"

#include <chrono>
#include <optional>

#include "cli/exit_codes.h"
#include "cli/platform_console.h"
#include "cli/result_text.h"
#include "cli/terminal_keys.h"
#include "commissioning/commissioning_record.h"
#include "commissioning/walk_plan.h"
#include "commissioning/walk_sequence.h"
#include "config/readback_runner.h"
#include "config/sha256.h"
#include "config/test_payload.h"
#include "text/utf8_path.h"

#ifndef ZEL_VERSION
#define ZEL_VERSION "?"
#endif

namespace {

namespace fs = std::filesystem;
constexpr std::chrono::milliseconds kNoLimit(-1);

ModuleResult failure(int exit_status, std::string status, const std::string& reason) {
  return {exit_status, std::move(status), "BŁĄD: " + reason, {}, {}};
}

// Return, 't' or 'n'; nothing after Ctrl+C.
std::optional<bool> ask_yes_no(TerminalKeys& keys) {
  for (;;) {
    const std::string input = keys.read_key(kNoLimit);
    if (input.empty() && interrupt_requested()) return std::nullopt;
    if (input == "\r" || input == "\n" || input == "t" || input == "T") return true;
    if (input == "n" || input == "N") return false;
  }
}

// A line typed key by key, echoed; Return ends it. Nothing after Ctrl+C.
std::optional<std::string> read_comment(TerminalKeys& keys, std::ostream& ask) {
  std::string comment;
  for (;;) {
    const std::string input = keys.read_key(kNoLimit);
    if (input.empty() && interrupt_requested()) return std::nullopt;
    if (input.starts_with('\x1b')) continue;  // arrows and other keys that type nothing
    for (char c : input) {
      if (c == '\r' || c == '\n') {
        ask << std::endl;
        return comment;
      }
      if (c == '\x7f' || c == '\b') {
        // One character back: its UTF-8 continuation bytes go with it.
        while (!comment.empty() && (static_cast<unsigned char>(comment.back()) & 0xC0) == 0x80) comment.pop_back();
        if (!comment.empty()) {
          comment.pop_back();
          ask << "\b \b";
        }
        continue;
      }
      if (static_cast<unsigned char>(c) < 0x20) continue;
      comment += c;
      ask << c;
    }
    ask << std::flush;
  }
}

// Where the walk stands in its record: the plan it walks and, when an
// unfinished record of the same table goes on, that it does.
struct Begun {
  bool interrupted = false;
  std::string failure;  // why the record could not be begun or resumed, UTF-8
};

// The first row of `plan` whose line in `record` has no verdict; -1 when
// none (the rest is checked by hand, which the window does).
int first_unrated_row(const WalkRecord& record, const WalkPlan& plan) {
  for (int row : plan.rows()) {
    if (const RecordLine* line = record.line(row); line && !line->rated()) return row;
  }
  return -1;
}

// Begins the record, or resumes the unfinished one of this table when the
// engineer wants to; `plan` is then the record's, standing at its first
// event without a verdict.
Begun begin_record(const ModuleJob& job, TerminalKeys& keys, const ModuleReading& module, WalkPlan& plan) {
  CommissioningRecord& record = *job.record;
  std::ostream& ask = *job.prompts;
  const std::string sha256 = sha256_hex(job.file.bytes());
  Begun begun;
  if (const std::string damage = record.newest_damage(); !damage.empty())
    ask << "Ostatniego protokołu w dzienniku nie można dokończyć (" << damage << "); zaczyna się nowy." << std::endl;
  if (const WalkRecord* unfinished = record.unfinished(sha256, true)) {
    WalkPlan resumed(unfinished->rows());
    const int next_row = first_unrated_row(*unfinished, resumed);
    const RecordSummary summary = unfinished->summary();
    if (next_row < 0) {
      ask << "Niedokończony protokół tej konfiguracji czeka tylko na zdarzenia sprawdzane ręcznie (dokończ go "
             "w oknie programu); zaczyna się nowy."
          << std::endl;
    } else {
      ask << "Niedokończony protokół tej konfiguracji: sprawdzono " << summary.ok + summary.faults << " z "
          << unfinished->lines.size() << " zdarzeń. Dokończyć od „" << row_label(next_row) << "”? [T/n] "
          << std::flush;
      const std::optional<bool> go_on = ask_yes_no(keys);
      if (!go_on) {
        begun.interrupted = true;
        return begun;
      }
      ask << (*go_on ? "t" : "n") << std::endl;
      if (*go_on) {
        while (resumed.current_row() != next_row && resumed.advance()) {
        }
        begun.failure = record.resume(sha256, true, module, record_time_now());
        if (begun.failure.empty()) plan = resumed;
        return begun;
      }
    }
  }
  const fs::path configuration = utf8_path(job.options.confirm_file);
  const ProjectNames no_names;
  begun.failure = record.begin(new_record(path_utf8(configuration.filename()), job.file,
                                          job.names ? *job.names : no_names, plan.rows(), ZEL_VERSION,
                                          job.options.engineer, module, record_time_now()));
  return begun;
}

// What the event must light, and its verdict so far when it has one.
void ask_for_verdict(std::ostream& ask, const WalkPlan& plan, const RecordLine& line) {
  ask << walk_status_text(plan) << "\n  oczekiwane: " << line.expected;
  if (line.rated()) {
    ask << "\n  dotychczasowa ocena: " << verdict_text(line.verdict)
        << (line.comment.empty() ? "" : " – " + line.comment);
  }
  ask << "\n  ocena (Enter/o – OK, b – błąd, p – wstecz, n – dalej, q – koniec): " << std::flush;
}

}  // namespace

VerdictKey decode_verdict_key(std::string_view input) {
  if (input == "\r" || input == "\n" || input == "o" || input == "O") return VerdictKey::ok;
  if (input == "b" || input == "B") return VerdictKey::fault;
  switch (decode_walk_key(input)) {
    case WalkKey::next: return VerdictKey::next;
    case WalkKey::back: return VerdictKey::back;
    case WalkKey::quit: return VerdictKey::quit;
    case WalkKey::pause:
    case WalkKey::none: break;
  }
  return VerdictKey::none;
}

ModuleResult walk_with_verdicts(USB_protocol& protocol, const ModuleJob& job) {
  const CliOptions& options = job.options;
  std::ostream& ask = *job.prompts;
  CommissioningRecord& record = *job.record;

  // A walk against a module that holds another table proves nothing; what
  // the module held goes into the record's session.
  job.progress.start(kReadbackCount);
  const ModuleCheck check = check_module(protocol, job.file, view_on(job.progress));
  if (!check.read) return not_accepted(protocol, kReadbackStatusFailed);
  const int differing = check.module.differing_cells;
  if (differing == kNoValidConfiguration)
    return failure(exit_code::kDataError, kReadbackStatusInvalid, "moduł nie zawiera poprawnej konfiguracji");
  if (differing > 0 && !options.force) {
    return failure(exit_code::kDiffers, readback_result_text(differing),
                   "moduł zawiera inną konfigurację niż \"" + options.confirm_file + "\" (" +
                       std::to_string(differing) +
                       " komórek się różni); test po kolei nie został rozpoczęty (--force: mimo to)");
  }
  // The read-back's result stays above the walk's questions.
  const std::string readback_line = readback_result_text(differing);
  if (job.progress.enabled()) {
    job.progress.keep(readback_line);
  } else if (job.notices) {
    *job.notices << readback_line << std::endl;
  }

  TerminalKeys keys;
  WalkPlan plan(options.walk_first, options.walk_last);
  const Begun begun = begin_record(job, keys, check.module, plan);
  if (begun.interrupted) return interrupted();
  if (!begun.failure.empty())
    return failure(exit_code::kCantCreate, "",
                   "nie można zapisać dziennika \"" + path_utf8(record.path()) + "\": " + begun.failure);

  WalkSequence walk(protocol, plan, options.unit);
  std::string status = walk.finished_text();
  std::string record_failure;
  bool stopped_by_signal = false;
  for (bool walking = true; walking;) {
    if (const std::string cause = walk.show(); !cause.empty()) {
      if (interrupt_requested()) return interrupted();
      return failure(exit_code::kIoError, walk.stopped_text(), cause);
    }
    const int row = plan.current_row();
    ask_for_verdict(ask, plan, *record.record()->line(row));
    VerdictKey key = VerdictKey::none;
    while (key == VerdictKey::none && !interrupt_requested()) key = decode_verdict_key(keys.read_key(kNoLimit));
    std::string comment;
    if (key == VerdictKey::fault) {
      ask << "b\n  uwagi: " << std::flush;
      const std::optional<std::string> typed = read_comment(keys, ask);
      if (!typed) key = VerdictKey::none;
      comment = typed.value_or("");
    } else if (key != VerdictKey::none) {
      ask << std::endl;
    }
    switch (key) {
      case VerdictKey::ok:
      case VerdictKey::fault:
        record_failure =
            record.rate(row, key == VerdictKey::ok ? Verdict::ok : Verdict::fault, comment, record_time_now());
        if (!record_failure.empty()) {
          walking = false;
          break;
        }
        if (job.results_out) *job.results_out << verdict_row(*record.record()->line(row), job.names) << std::endl;
        walking = walk.next();
        break;
      case VerdictKey::back: walk.back(); break;
      case VerdictKey::next:
        // Passed over: shown, without a verdict.
        record_failure = record.show(row, record_time_now());
        walking = record_failure.empty() && walk.next();
        break;
      case VerdictKey::quit:
        status = walk.stopped_text();
        walking = false;
        break;
      case VerdictKey::none:
        stopped_by_signal = true;
        walking = false;
        break;
    }
  }
  // Ctrl+C is the engineer's stop too: the session ends, at a known time.
  if (record_failure.empty()) record_failure = record.end(record_time_now());

  // The board must not keep showing the last event.
  const std::string clear_failure = walk.finish();
  if (stopped_by_signal) return interrupted();
  if (!record_failure.empty())
    return failure(exit_code::kCantCreate, walk.stopped_text(), "nie można zapisać dziennika: " + record_failure);
  if (!clear_failure.empty()) return failure(exit_code::kIoError, walk.stopped_text(), clear_failure);
  return {exit_code::kDone, status, "OK (" + status + ")", {}, {}};
}
