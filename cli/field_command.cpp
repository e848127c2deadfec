// SPDX-License-Identifier: MIT
#include "cli/field_command.h"

#include <chrono>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

#include "cli/bus_monitor_command.h"
#include "cli/exit_codes.h"
#include "cli/platform_console.h"
#include "cli/record_start.h"
#include "cli/result_text.h"
#include "cli/terminal_keys.h"
#include "cli/walk_confirm.h"
#include "commissioning/bus_monitor.h"
#include "commissioning/commissioning_record.h"
#include "config/config_matrix.h"
#include "config/sha256.h"
#include "text/utf8_path.h"

namespace {

// "centrali 3", "wszystkich central"
std::string listened_units_text(int unit) {
  return unit == kAnyUnit ? "wszystkich central" : "centrali " + std::to_string(unit);
}

// The newest record, when it is an unfinished field test of this table that
// listened as this run does; another unit's record is not gone on with.
RecordOffer field_offer(const ModuleJob& job) {
  RecordOffer offer;
  offer.with_verdicts = false;
  offer.kind = RecordKind::field;
  const WalkRecord* unfinished = job.record->unfinished(sha256_hex(job.file.bytes()), false, RecordKind::field);
  if (unfinished == nullptr) return offer;
  if (unfinished->header.unit != job.options.unit) {
    *job.prompts << "Niedokończona próba z obiektu tej konfiguracji słuchała "
                 << listened_units_text(unfinished->header.unit) << "; zaczyna się nowa." << std::endl;
    return offer;
  }
  offer.unfinished = unfinished;
  offer.question = "Niedokończona próba z obiektu tej konfiguracji: " + field_tally_text(unfinished->summary()) +
                   ". Dokończyć? [T/n] ";
  return offer;
}

// What the bus reported, printed and put into the record as it comes, and
// the engineer's verdicts for the last planned event seen.
class FieldRun {
 public:
  FieldRun(const ModuleJob& job, const TerminalKeys& keys)
      : job_(job), record_(*job.record), out_(*job.results_out), ask_(*job.prompts), keys_(keys) {}

  // An event that began on the bus; false when the record could not take it.
  bool seen(const BusChange& change) {
    const SeenResult result = record_.see(job_.file, names(), change.row, change.unit, record_time_now());
    if (!result.failure.empty()) {
      failure_ = result.failure;
      return false;
    }
    end_question();
    out_ << bus_event_tab_fields(change) << '\t' << one_field(expected_lamps_text(job_.file, change.row, names()))
         << std::endl;
    if (result.sighting == Sighting::planned || result.sighting == Sighting::seen_before) {
      last_row_ = change.row;
      if (!comment_) ask();
    }
    if (comment_) ask_ << "  uwagi (" << row_label(comment_row_) << "): " << comment_->text() << std::flush;
    return true;
  }

  // A key pressed on the terminal; false when it ends the run (q, or a
  // verdict the record could not take).
  bool key(const std::string& input) {
    if (comment_) {
      if (!comment_->take(input)) return true;
      const std::string comment = comment_->text();
      comment_.reset();
      return rate(comment_row_, Verdict::fault, comment);
    }
    const VerdictKey key = decode_verdict_key(input);
    if (key == VerdictKey::quit) {
      end_question();
      return false;
    }
    if (last_row_ < 0 || (key != VerdictKey::ok && key != VerdictKey::fault)) return true;
    if (!asking_) ask_ << "  ocena „" << row_label(last_row_) << "”: ";
    asking_ = false;
    if (key == VerdictKey::ok) {
      ask_ << verdict_text(Verdict::ok) << std::endl;
      return rate(last_row_, Verdict::ok, {});
    }
    ask_ << verdict_text(Verdict::fault) << "\n  uwagi (" << row_label(last_row_) << "): " << std::flush;
    comment_.emplace(ask_);
    comment_row_ = last_row_;
    return true;
  }

  // The run ends: a question left on its own line; a fault whose comment
  // was not finished by Enter is not written, and that is said.
  void finish() {
    if (comment_) {
      ask_ << "\n  Bez Enter: ocena „" << row_label(comment_row_) << "” nie została zapisana." << std::endl;
      comment_.reset();
      asking_ = false;
      return;
    }
    end_question();
  }

  // Why the record could not be written; empty while it could.
  const std::string& record_failure() const { return failure_; }
  void set_record_failure(std::string failure) { failure_ = std::move(failure); }

 private:
  using SeenResult = CommissioningRecord::SeenResult;

  const ProjectNames& names() const {
    static const ProjectNames no_names;
    return job_.names ? *job_.names : no_names;
  }

  // The question for the last event seen, on a terminal.
  void ask() {
    if (!keys_.active()) return;
    ask_ << "  ocena „" << row_label(last_row_) << "” (Enter/o – OK, b – błąd, q – koniec): " << std::flush;
    asking_ = true;
  }

  // A question or a comment being typed stays on its own line above what comes next.
  void end_question() {
    if (asking_ || comment_) ask_ << std::endl;
    asking_ = false;
  }

  bool rate(int row, Verdict verdict, const std::string& comment) {
    failure_ = record_.rate(row, verdict, comment, record_time_now());
    return failure_.empty();
  }

  const ModuleJob& job_;
  CommissioningRecord& record_;
  std::ostream& out_;
  std::ostream& ask_;
  const TerminalKeys& keys_;
  int last_row_ = -1;  // the last planned event seen, which a verdict is for
  bool asking_ = false;
  std::optional<TypedLine> comment_;  // after "b": the comment being typed, for comment_row_
  int comment_row_ = -1;
  std::string failure_;  // why the record could not be written
};

enum class Stop { time_up, quit, interrupted, module_failed, record_failed };

// Polls the bus as the monitor does until the time of --for has passed,
// Ctrl+C, q, or a failure; between polls it waits for a key. `listening`
// is called once the module's queue has been read as the state at the
// start: only from then on is an event that begins seen as beginning.
Stop listen(USB_protocol& protocol, const ModuleJob& job, TerminalKeys& keys, FieldRun& run,
            USB_protocol::Outcome& outcome, const std::function<void()>& listening) {
  BusMonitor monitor;
  const auto seen = [&](const BusPoll& poll) {
    for (const BusLogEntry& entry : poll.new_entries) {
      if (const auto* change = std::get_if<BusChange>(&entry)) {
        if (change->began && !run.seen(*change)) return false;
      } else if (std::holds_alternative<BusNote>(entry) && job.notices) {
        *job.notices << bus_log_tab_line(entry) << std::endl;  // dropped frames, the state at the start
      }
    }
    return true;
  };
  bool said_listening = false;
  const auto wait = [&](std::chrono::milliseconds wait) {
    if (!said_listening && monitor.started()) {
      listening();
      said_listening = true;
    }
    if (!keys.active()) {
      sleep_unless_interrupted(wait);  // Ctrl+C ends the run at the next turn
      return true;
    }
    const std::string input = keys.read_key(wait);
    return input.empty() || run.key(input);
  };
  switch (poll_bus(protocol, monitor, job.options.monitor_seconds, seen, wait, outcome)) {
    case BusPollingEnd::time_up: return Stop::time_up;
    case BusPollingEnd::interrupted: return Stop::interrupted;
    case BusPollingEnd::module_failed: return Stop::module_failed;
    case BusPollingEnd::stopped: break;
  }
  return run.record_failure().empty() ? Stop::quit : Stop::record_failed;
}

}  // namespace

std::string not_seen_line(const RecordLine& line) {
  return std::string(field_state_text(line)) + "\t" + std::to_string(line.row) + "\t" + line.label + "\t" +
         one_field(line.name);
}

ModuleResult field_test(USB_protocol& protocol, const ModuleJob& job) {
  CommissioningRecord& record = *job.record;
  // A new record of no event would listen for nothing and still say "widziano 0 z 0".
  const std::vector<int> plan = field_plan_rows(job.file, job.options.walk_first, job.options.walk_last);
  const RecordOffer offer = field_offer(job);
  if (plan.empty() && offer.unfinished == nullptr)
    return failed(exit_code::kUsage, "", "w wybranym zakresie żadne zdarzenie nie zapala lampy: nie ma czego sprawdzać");
  ModuleReading module;
  if (std::optional<ModuleResult> refused =
          check_module_for_record(protocol, job, "próba z obiektu nie została rozpoczęta", module))
    return *refused;

  TerminalKeys keys;
  const RecordStart begun = begin_or_resume(job, keys, module, offer, [&] {
    WalkRecord fresh = fresh_record(job, module, plan);
    fresh.header.kind = RecordKind::field;
    fresh.header.unit = job.options.unit;
    return fresh;
  });
  if (begun.interrupted) return interrupted();
  if (!begun.failure.empty())
    return failed(exit_code::kCantCreate, "",
                  "nie można zapisać dziennika \"" + path_utf8(record.path()) + "\": " + begun.failure);
  const auto listening = [&] {
    if (!job.notices) return;
    *job.notices << "Próba z obiektu: nasłuch " << listened_units_text(job.options.unit) << ", zdarzeń w planie: "
                 << record.record()->lines.size() << " (Ctrl+C kończy)." << std::endl;
  };

  FieldRun run(job, keys);
  USB_protocol::Outcome outcome = USB_protocol::Outcome::accepted;
  const Stop stop = listen(protocol, job, keys, run, outcome, listening);
  run.finish();
  // Every stop but the record's own failure ends the session at a known
  // time; the record stays open for resuming while a planned event is unseen.
  if (run.record_failure().empty()) run.set_record_failure(record.end(record_time_now()));

  const WalkRecord& done = *record.record();
  std::ostream& out = *job.results_out;
  out << field_summary_text(done.summary()) << '\n';
  for (const RecordLine& line : done.lines) {
    if (!line.shown()) out << not_seen_line(line) << '\n';
  }
  out << std::flush;

  const std::string status = "Próba z obiektu zakończona: " + field_tally_text(done.summary()) + ".";
  if (!run.record_failure().empty())
    return failed(exit_code::kCantCreate, status, "nie można zapisać dziennika: " + run.record_failure());
  switch (stop) {
    case Stop::module_failed: return not_accepted(protocol, bus_monitor_stop_text(outcome));
    case Stop::interrupted: return interrupted();
    case Stop::record_failed:  // said above
    case Stop::time_up:
    case Stop::quit: break;
  }
  return {exit_code::kDone, status, "OK (" + status + ")", {}, {}};
}
