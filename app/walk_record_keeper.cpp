// SPDX-License-Identifier: MIT
#include "app/walk_record_keeper.h"

#include "app/walk_controller.h"
#include "commissioning/commissioning_record.h"
#include "text/utf8_path.h"

#ifndef ZEL_VERSION
#define ZEL_VERSION "?"
#endif

namespace {

QString qt_text(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

WalkRecordKeeper::WalkRecordKeeper(WalkController* walk, Sources sources, QObject* parent)
    : QObject(parent), walk_(walk), keeper_(std::move(sources), RecordKind::walk, QString::fromUtf8("Test po kolei")) {
  walk_->setBeforeFirstEvent([this](USB_protocol& protocol) { return beforeFirstEvent(protocol); });
  connect(walk_, &WalkController::rowShown, this, &WalkRecordKeeper::rowShown);
  connect(walk_, &WalkController::runningChanged, this, &WalkRecordKeeper::runningChanged);
}

WalkRecordKeeper::~WalkRecordKeeper() = default;

std::filesystem::path WalkRecordKeeper::journalPath() const { return keeper_.journalPath(); }

bool WalkRecordKeeper::readRecords() {
  continuation_ = Continuation::none;
  prepared_ = keeper_.readRecords();
  return prepared_;
}

std::optional<WalkRecordKeeper::Walk> WalkRecordKeeper::prepare(const WalkPlan& plan) {
  if (!readRecords()) return std::nullopt;
  const bool with_verdicts = walk_->waitsForVerdict();
  const WalkRecord* unfinished = keeper_.offerUnfinished(with_verdicts, [with_verdicts](const WalkRecord& record) {
    const RecordSummary summary = record.summary();
    return QString::fromUtf8("Niedokończony protokół tej konfiguracji: sprawdzono %1 z %2 zdarzeń.\nDokończyć od „%3”?")
        .arg(with_verdicts ? summary.ok + summary.faults : summary.walked)
        .arg(record.lines.size())
        .arg(qt_text(row_label(record.next_row(with_verdicts))));
  });
  if (unfinished == nullptr) return Walk{plan};
  continuation_ = Continuation::unfinished;
  return Walk{WalkPlan(unfinished->rows()), unfinished->next_row(with_verdicts)};
}

std::optional<WalkRecordKeeper::Walk> WalkRecordKeeper::prepareRepeat() {
  if (!readRecords()) return std::nullopt;
  const StoredRecord* newest = keeper_.current()->reading().newest();
  const WalkRecord* last = newest && newest->record ? &*newest->record : nullptr;
  // A field test's faults are rated again in the field test, against the bus.
  if (!last || last->field() || last->header.sha256 != keeper_.tableSha256() || last->fault_rows().empty()) {
    prepared_ = false;
    return std::nullopt;
  }
  continuation_ = Continuation::faults;
  return Walk{WalkPlan(last->fault_rows())};
}

bool WalkRecordKeeper::beforeFirstEvent(USB_protocol& protocol) {
  if (!prepared_ && !readRecords()) return false;  // a walk started without prepare()
  const Continuation continuation = std::exchange(continuation_, Continuation::none);
  prepared_ = false;
  const RecordKeeper::Sources& sources = keeper_.sources();
  const auto fresh = [&](const ModuleReading& module, const std::string& time) {
    const std::string file = path_utf8(utf8_path(sources.configuration_file().toStdString()).filename());
    return new_record(file, sources.grid(), sources.names(), walk_->plan()->rows(), ZEL_VERSION,
                      sources.engineer().toStdString(), module, time);
  };
  if (!keeper_.beginSession(protocol, continuation, walk_->waitsForVerdict(), fresh)) return false;
  emit recordChanged();
  return true;
}

void WalkRecordKeeper::rowShown(int row) {
  // The record's own line: what the plan held when the record began.
  CommissioningRecord* record = keeper_.current();
  const RecordLine* line = record && record->record() ? record->record()->line(row) : nullptr;
  const RecordKeeper::Sources& sources = keeper_.sources();
  emit expectedChanged(qt_text(line ? line->expected : expected_lamps_text(sources.grid(), row, sources.names())));
  emit byHandStepChanged(QString::fromUtf8(by_hand_step_text(row)));
  // A walk on its timer records what it showed; never over a verdict (the core keeps those).
  if (walk_->waitsForVerdict() || !keeper_.open()) return;
  if (written(record->show(row, record_time_now()))) emit recordChanged();
}

void WalkRecordKeeper::giveVerdict(Verdict verdict, const QString& comment) {
  if (!walk_->running() || !keeper_.open()) return;
  const int row = walk_->plan()->current_row();
  if (!written(keeper_.current()->rate(row, verdict, comment.toStdString(), record_time_now()))) return;
  emit recordChanged();
  walk_->next();
}

void WalkRecordKeeper::runningChanged(bool running) {
  if (running) return;
  emit expectedChanged(QString());
  emit byHandStepChanged(QString());
  if (!keeper_.open()) return;
  keeper_.endSession();
  emit recordChanged();
}

bool WalkRecordKeeper::written(const std::string& error) {
  if (keeper_.written(error)) return true;
  walk_->stop();
  return false;
}

std::optional<WalkRecord> WalkRecordKeeper::record() const { return keeper_.record(); }
