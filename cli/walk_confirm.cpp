// SPDX-License-Identifier: MIT
#include "cli/walk_confirm.h"

#include <chrono>
#include <ctime>
#include <optional>

#include "cli/exit_codes.h"
#include "cli/platform_console.h"
#include "cli/result_text.h"
#include "cli/terminal_keys.h"
#include "commissioning/walk_journal.h"
#include "commissioning/walk_plan.h"
#include "commissioning/walk_sequence.h"
#include "config/readback_runner.h"
#include "config/test_payload.h"
#include "text/local_time.h"
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

std::string now() { return iso8601_local_time(std::time(nullptr)); }

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

struct Journal {
  std::optional<WalkJournal> file;
  std::string failure;  // why the walk cannot begin, UTF-8
  bool interrupted = false;
};

// Opens the journal and begins its record, or goes on with an unfinished one
// of the same configuration when the engineer wants to; `plan` then stands at
// the first event without a verdict.
Journal open_journal(const ModuleJob& job, TerminalKeys& keys, int differing_cells, WalkPlan& plan) {
  const CliOptions& options = job.options;
  const fs::path configuration = utf8_path(options.confirm_file);
  const fs::path path = options.record_file.empty() ? journal_path_for(configuration) : utf8_path(options.record_file);
  const std::string shown_path = path_utf8(path);
  Journal journal;
  const JournalReading earlier = load_walk_journal(path);
  if (!earlier.ok) {
    journal.failure = "nie można odczytać dziennika \"" + shown_path + "\": " + earlier.reason;
    return journal;
  }
  const ProjectNames no_names;
  RecordHeader header =
      new_record_header(path_utf8(configuration.filename()), job.file, differing_cells, ZEL_VERSION, "", job.names ? *job.names : no_names, plan.rows());
  journal.file.emplace(path);
  if (!journal.file->error().empty()) {
    journal.failure = "nie można zapisać dziennika \"" + shown_path + "\": " + journal.file->error();
    return journal;
  }
  std::string error;
  const WalkRecord* unfinished = unfinished_record(earlier, header.sha256);
  bool resumed = false;
  if (unfinished != nullptr) {
    const RecordSummary summary = unfinished->summary();
    const int next_row = unfinished->first_unwalked_row();
    *job.prompts << "Niedokończony protokół tej konfiguracji: sprawdzono " << summary.walked << " z "
                 << unfinished->header.rows.size() << " zdarzeń. Dokończyć od „" << row_label(next_row)
                 << "”? [T/n] " << std::flush;
    const std::optional<bool> go_on = ask_yes_no(keys);
    if (!go_on) {
      journal.interrupted = true;
      return journal;
    }
    *job.prompts << (*go_on ? "t" : "n") << std::endl;
    if (*go_on) {
      resumed = true;
      plan = WalkPlan(unfinished->header.rows.front(), unfinished->header.rows.back());
      while (plan.current_row() != next_row && plan.advance()) {
      }
      error = journal.file->resume(*unfinished, now());
    }
  }
  if (!resumed) error = journal.file->begin(header);
  if (!error.empty()) journal.failure = "nie można zapisać dziennika \"" + shown_path + "\": " + error;
  return journal;
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

  // A walk against a module that holds another table proves nothing.
  job.progress.start(kReadbackCount);
  std::vector<CellDifference> differences;
  const ReadbackOutcome outcome = verify_configuration(protocol, job.file, view_on(job.progress), differences);
  job.progress.clear();
  if (outcome == ReadbackOutcome::failed) return not_accepted(protocol, kReadbackStatusFailed);
  if (outcome == ReadbackOutcome::invalid)
    return failure(exit_code::kDataError, kReadbackStatusInvalid, "moduł nie zawiera poprawnej konfiguracji");
  const int differing = static_cast<int>(differences.size());
  if (differing > 0 && !options.force) {
    return failure(exit_code::kDiffers, verify_status_text(differences.size()),
                   "moduł zawiera inną konfigurację niż \"" + options.confirm_file + "\" (" +
                       std::to_string(differing) +
                       " komórek się różni); test po kolei nie został rozpoczęty (--force: mimo to)");
  }

  TerminalKeys keys;
  WalkPlan plan(options.walk_first, options.walk_last);
  Journal journal = open_journal(job, keys, differing, plan);
  if (journal.interrupted) return interrupted();
  if (!journal.failure.empty()) return failure(exit_code::kCantCreate, "", journal.failure);
  const ProjectNames no_names;
  const ProjectNames& names = job.names ? *job.names : no_names;

  WalkSequence walk(protocol, plan, options.unit);
  std::string status = walk.finished_text();
  std::string journal_failure;
  bool stopped_by_signal = false;
  for (bool walking = true; walking;) {
    if (const std::string cause = walk.show(); !cause.empty()) {
      if (interrupt_requested()) return interrupted();
      return failure(exit_code::kIoError, walk.stopped_text(), cause);
    }
    RecordLine line = event_line(job.file, plan.current_row(), names);
    ask << walk_status_text(plan) << "\n  oczekiwane: " << line.expected
        << "\n  ocena (Enter/o – OK, b – błąd, p – wstecz, n – dalej, q – koniec): " << std::flush;
    VerdictKey key = VerdictKey::none;
    while (key == VerdictKey::none && !interrupt_requested()) key = decode_verdict_key(keys.read_key(kNoLimit));
    if (key == VerdictKey::fault) {
      ask << "b\n  uwagi: " << std::flush;
      const std::optional<std::string> comment = read_comment(keys, ask);
      if (!comment) key = VerdictKey::none;
      line.comment = comment.value_or("");
    } else if (key != VerdictKey::none) {
      ask << std::endl;
    }
    switch (key) {
      case VerdictKey::ok:
      case VerdictKey::fault:
        line.verdict = key == VerdictKey::ok ? Verdict::ok : Verdict::fault;
        line.time = now();
        journal_failure = journal.file->rate(line);
        if (!journal_failure.empty()) {
          walking = false;
          break;
        }
        if (job.results_out) {
          *job.results_out << verdict_row(line, job.names) << std::endl;
        }
        walking = walk.next();
        break;
      case VerdictKey::back: walk.back(); break;
      case VerdictKey::next: walking = walk.next(); break;
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
  if (journal_failure.empty() && !stopped_by_signal) journal_failure = journal.file->end(now());

  // The board must not keep showing the last event.
  const std::string clear_failure = walk.finish();
  if (stopped_by_signal) return interrupted();
  if (!journal_failure.empty())
    return failure(exit_code::kCantCreate, walk.stopped_text(), "nie można zapisać dziennika: " + journal_failure);
  if (!clear_failure.empty()) return failure(exit_code::kIoError, walk.stopped_text(), clear_failure);
  return {exit_code::kDone, status, "OK (" + status + ")", {}, {}};
}
