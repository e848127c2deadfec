// SPDX-License-Identifier: MIT
#include "cli/walk_confirm.h"

#include <chrono>
#include <optional>
#include <vector>

#include "cli/exit_codes.h"
#include "cli/platform_console.h"
#include "cli/record_start.h"
#include "cli/result_text.h"
#include "cli/terminal_keys.h"
#include "commissioning/commissioning_record.h"
#include "commissioning/walk_plan.h"
#include "commissioning/walk_sequence.h"
#include "config/sha256.h"
#include "config/test_payload.h"
#include "text/utf8_path.h"

namespace {

constexpr std::chrono::milliseconds kNoLimit(-1);

// A line typed key by key, echoed; Return ends it. Nothing after Ctrl+C.
std::optional<std::string> read_comment(TerminalKeys& keys, std::ostream& ask) {
  TypedLine comment(ask);
  for (;;) {
    const std::string input = keys.read_key(kNoLimit);
    if (input.empty() && interrupt_requested()) return std::nullopt;
    if (comment.take(input)) return comment.text();
  }
}

// The record's events a terminal walks: those checked by hand are provoked
// at the panel as the window says, never shown by the module on its own.
std::vector<int> terminal_rows(const WalkRecord& record) {
  std::vector<int> rows;
  for (const RecordLine& line : record.lines) {
    if (!line.by_hand()) rows.push_back(line.row);
  }
  return rows;
}

// The first of `rows` whose line in `record` has no verdict; -1 when none.
int first_unrated_row(const WalkRecord& record, const std::vector<int>& rows) {
  for (int row : rows) {
    if (const RecordLine* line = record.line(row); line && !line->rated()) return row;
  }
  return -1;
}

// Begins the record, or resumes the unfinished one of this table when the
// engineer wants to; `plan` is then the record's, standing at its first
// event without a verdict.
RecordStart begin_record(const ModuleJob& job, TerminalKeys& keys, const ModuleReading& module, WalkPlan& plan) {
  const CommissioningRecord& record = *job.record;
  RecordOffer offer;
  std::optional<WalkPlan> resumed;
  if (const WalkRecord* unfinished = record.unfinished(sha256_hex(job.file.bytes()), true)) {
    resumed.emplace(terminal_rows(*unfinished));
    const int next_row = first_unrated_row(*unfinished, resumed->rows());
    const RecordSummary summary = unfinished->summary();
    if (next_row < 0) {
      *job.prompts << "Niedokończony protokół tej konfiguracji czeka tylko na zdarzenia sprawdzane ręcznie "
                      "(dokończ go w oknie programu); zaczyna się nowy."
                   << std::endl;
    } else {
      offer.unfinished = unfinished;
      offer.question = "Niedokończony protokół tej konfiguracji: sprawdzono " +
                       std::to_string(summary.ok + summary.faults) + " z " + std::to_string(unfinished->lines.size()) +
                       " zdarzeń. Dokończyć od „" + row_label(next_row) + "”? [T/n] ";
      while (resumed->current_row() != next_row && resumed->advance()) {
      }
    }
  }
  const RecordStart start =
      begin_or_resume(job, keys, module, offer, [&] { return fresh_record(job, module, plan.rows()); });
  if (start.resumed) plan = *resumed;
  return start;
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
  ModuleReading module;
  if (std::optional<ModuleResult> refused =
          check_module_for_record(protocol, job, "test po kolei nie został rozpoczęty", module))
    return *refused;

  TerminalKeys keys;
  WalkPlan plan(options.walk_first, options.walk_last);
  const RecordStart begun = begin_record(job, keys, module, plan);
  if (begun.interrupted) return interrupted();
  if (!begun.failure.empty())
    return failed(exit_code::kCantCreate, "",
                   "nie można zapisać dziennika \"" + path_utf8(record.path()) + "\": " + begun.failure);

  WalkSequence walk(protocol, plan, options.unit);
  std::string status = walk.finished_text();
  std::string record_failure;
  bool stopped_by_signal = false;
  for (bool walking = true; walking;) {
    if (const std::string cause = walk.show(); !cause.empty()) {
      if (interrupt_requested()) return interrupted();
      return failed(exit_code::kIoError, walk.stopped_text(), cause);
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
    return failed(exit_code::kCantCreate, walk.stopped_text(), "nie można zapisać dziennika: " + record_failure);
  if (!clear_failure.empty()) return failed(exit_code::kIoError, walk.stopped_text(), clear_failure);
  return {exit_code::kDone, status, "OK (" + status + ")", {}, {}};
}
