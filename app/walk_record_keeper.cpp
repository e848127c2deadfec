// SPDX-License-Identifier: MIT
#include "app/walk_record_keeper.h"

#include "app/walk_controller.h"
#include "commissioning/commissioning_record.h"
#include "config/operation_view.h"
#include "config/sha256.h"
#include "text/utf8_path.h"

#ifndef ZEL_VERSION
#define ZEL_VERSION "?"
#endif

namespace {

QString qt_text(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

WalkRecordKeeper::WalkRecordKeeper(WalkController* walk, Sources sources, QObject* parent)
    : QObject(parent), walk_(walk), sources_(std::move(sources)) {
  walk_->setBeforeFirstEvent([this](USB_protocol& protocol) { return beforeFirstEvent(protocol); });
  connect(walk_, &WalkController::rowShown, this, &WalkRecordKeeper::rowShown);
  connect(walk_, &WalkController::runningChanged, this, &WalkRecordKeeper::runningChanged);
}

WalkRecordKeeper::~WalkRecordKeeper() = default;

std::filesystem::path WalkRecordKeeper::journalPath() const {
  const QString file = sources_.configuration_file();
  return file.isEmpty() ? std::filesystem::path() : records_folder_for(utf8_path(file.toStdString()));
}

std::string WalkRecordKeeper::tableSha256() const { return sha256_hex(sources_.grid().bytes()); }

bool WalkRecordKeeper::readRecords() {
  prepared_ = false;
  continuation_ = Continuation::none;
  const std::filesystem::path path = journalPath();
  if (path.empty()) {  // the window saves first; a walk started otherwise has nothing to name
    sources_.warn(QString::fromUtf8("Protokół testu wskazuje plik konfiguracji: zapisz konfigurację przed testem."));
    return false;
  }
  record_ = std::make_unique<CommissioningRecord>(path);
  if (const JournalReading& reading = record_->reading(); !reading.ok) {
    sources_.warn(QString::fromUtf8("Nie można odczytać protokołów z\n%1\n\n%2")
                      .arg(qt_text(path_utf8(path)), qt_text(reading.reason)));
    return false;
  }
  prepared_ = true;
  return true;
}

std::optional<WalkRecordKeeper::Walk> WalkRecordKeeper::prepare(const WalkPlan& plan) {
  if (!readRecords()) return std::nullopt;
  // Nothing is appended to a record that could not be read whole.
  if (const std::string damage = record_->newest_damage(); !damage.empty()) {
    sources_.warn(QString::fromUtf8("Ostatni protokół tego pliku jest uszkodzony i nie będzie kontynuowany; "
                                    "test rozpocznie nowy protokół.\n\n%1")
                      .arg(qt_text(damage)));
  }
  const bool with_verdicts = walk_->waitsForVerdict();
  const WalkRecord* unfinished = record_->unfinished(tableSha256(), with_verdicts);
  if (unfinished == nullptr) return Walk{plan};
  const RecordSummary summary = unfinished->summary();
  const int next_row = unfinished->next_row(with_verdicts);
  const QString question =
      QString::fromUtf8("Niedokończony protokół tej konfiguracji: sprawdzono %1 z %2 zdarzeń.\nDokończyć od „%3”?")
          .arg(with_verdicts ? summary.ok + summary.faults : summary.walked)
          .arg(unfinished->lines.size())
          .arg(qt_text(row_label(next_row)));
  if (!sources_.ask(question)) return Walk{plan};
  continuation_ = Continuation::unfinished;
  return Walk{WalkPlan(unfinished->rows()), next_row};
}

std::optional<WalkRecordKeeper::Walk> WalkRecordKeeper::prepareRepeat() {
  if (!readRecords()) return std::nullopt;
  const StoredRecord* newest = record_->reading().newest();
  const WalkRecord* last = newest && newest->record ? &*newest->record : nullptr;
  if (!last || last->header.sha256 != tableSha256() || last->fault_rows().empty()) {
    prepared_ = false;
    return std::nullopt;
  }
  continuation_ = Continuation::faults;
  return Walk{WalkPlan(last->fault_rows())};
}

// A walk against a module that holds another table, or none, proves
// nothing; a quick look at the board may still be wanted, so it is asked.
bool WalkRecordKeeper::beforeFirstEvent(USB_protocol& protocol) {
  failed_ = false;
  if (!prepared_ && !readRecords()) return false;  // a walk started without prepare()
  const Continuation continuation = std::exchange(continuation_, Continuation::none);
  prepared_ = false;

  const OperationView view{[this](std::string_view utf8) { sources_.status(qt_text(std::string(utf8))); },
                           [](int) {}};
  const ModuleCheck check = check_module(protocol, sources_.grid(), view);
  if (!check.read) return false;  // the connection's fault, its status given
  if (const int differing = check.module.differing_cells; differing != 0) {
    const QString question = qt_text(readback_result_text(differing)) +
                             QString::fromUtf8("\nTest po kolei sprawdzi wtedy inną tablicę niż edytowana. Mimo to rozpocząć?");
    if (!sources_.ask(question)) return false;
  }

  const std::string time = record_time_now();
  const bool with_verdicts = walk_->waitsForVerdict();
  std::string error;
  switch (continuation) {
    case Continuation::unfinished:
      error = record_->resume(tableSha256(), with_verdicts, check.module, time);
      break;
    case Continuation::faults:
      error = record_->reopen(tableSha256(), check.module, time);
      break;
    case Continuation::none: {
      const std::string file = path_utf8(utf8_path(sources_.configuration_file().toStdString()).filename());
      error = record_->begin(new_record(file, sources_.grid(), sources_.names(), walk_->plan()->rows(), ZEL_VERSION,
                                        sources_.engineer().toStdString(), check.module, time));
      break;
    }
  }
  if (!written(error)) return false;
  emit recordChanged();
  return true;
}

void WalkRecordKeeper::rowShown(int row) {
  // The record's own line: what the plan held when the record began.
  const RecordLine* line = record_ && record_->record() ? record_->record()->line(row) : nullptr;
  emit expectedChanged(qt_text(line ? line->expected
                                    : expected_lamps_text(sources_.grid(), row, sources_.names())));
  emit byHandStepChanged(QString::fromUtf8(by_hand_step_text(row)));
  // A walk on its timer records what it showed; never over a verdict (the core keeps those).
  if (walk_->waitsForVerdict() || !record_ || !record_->open()) return;
  if (written(record_->show(row, record_time_now()))) emit recordChanged();
}

void WalkRecordKeeper::giveVerdict(Verdict verdict, const QString& comment) {
  if (!walk_->running() || !record_ || !record_->open()) return;
  const int row = walk_->plan()->current_row();
  if (!written(record_->rate(row, verdict, comment.toStdString(), record_time_now()))) return;
  emit recordChanged();
  walk_->next();
}

void WalkRecordKeeper::runningChanged(bool running) {
  if (running) return;
  emit expectedChanged(QString());
  emit byHandStepChanged(QString());
  if (!record_ || !record_->open()) return;
  written(record_->end(record_time_now()));
  emit recordChanged();
}

bool WalkRecordKeeper::written(const std::string& error) {
  if (error.empty()) return true;
  if (!std::exchange(failed_, true)) {
    // Unrecorded checks count as not done: the walk stops.
    sources_.warn(QString::fromUtf8("Nie można zapisać protokołu do pliku\n%1\n\n%2")
                      .arg(qt_text(path_utf8(record_->path())), qt_text(error)));
  }
  walk_->stop();
  return false;
}

std::optional<WalkRecord> WalkRecordKeeper::record() const {
  // A walk's record stays its own while it runs, also if the grid is saved under another name.
  const std::filesystem::path path = journalPath();
  if (record_ && record_->record() && (record_->open() || record_->path() == path)) return record_->record();
  if (path.empty()) return std::nullopt;
  const JournalReading reading = load_walk_journal(path);
  const StoredRecord* newest = reading.newest();
  return newest ? newest->record : std::nullopt;
}
