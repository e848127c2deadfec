// SPDX-License-Identifier: MIT
#include "app/field_test_controller.h"

#include <variant>

#include "commissioning/commissioning_record.h"
#include "config/name_text.h"
#include "text/utf8_path.h"

#ifndef ZEL_VERSION
#define ZEL_VERSION "?"
#endif

namespace {

QString qt_text(const std::string& utf8) { return QString::fromStdString(utf8); }

// A field test goes on while some planned event is not seen or not rated.
constexpr bool kWithVerdicts = true;

QString resume_question(const WalkRecord& record) {
  const RecordSummary summary = record.summary();
  return QString::fromUtf8("Niedokończony protokół próby z obiektu tej konfiguracji: widziano %1 z %2 zdarzeń, "
                           "ocenionych %3.\nKontynuować tę próbę?")
      .arg(summary.walked)
      .arg(record.lines.size())
      .arg(summary.ok + summary.faults);
}

}  // namespace

std::string field_event_text(const std::string& label, const std::string& name, const std::string& expected) {
  return label + (name.empty() ? "" : " – " + name) + ": " + expected;
}

QString field_sighting_text(Sighting sighting, int unit, const std::string& event) {
  const char* what = "";
  switch (sighting) {
    case Sighting::planned: break;
    case Sighting::seen_before: what = " (widziano wcześniej)"; break;
    case Sighting::no_lamp: what = " – zdarzenie bez lampy"; break;
    case Sighting::other_unit: what = " – zdarzenie innej centrali"; break;
    case Sighting::outside_plan: what = " (poza zakresem próby)"; break;
  }
  return QString::fromUtf8("Próba z obiektu, centrala %1: ").arg(unit) + qt_text(event) + QString::fromUtf8(what);
}

FieldTestController::FieldTestController(LongOperationLink link, RecordKeeper::Sources sources, QObject* parent)
    : QObject(parent),
      monitor_(new BusMonitorController(std::move(link), this)),
      keeper_(std::move(sources), RecordKind::field, QString::fromUtf8("Próba z obiektu")) {
  monitor_->setBeforeFirstPoll([this](USB_protocol& protocol) { return beforeFirstPoll(protocol); });
  connect(monitor_, &BusMonitorController::entriesAdded, this, &FieldTestController::entriesAdded);
  connect(monitor_, &BusMonitorController::runningChanged, this, &FieldTestController::monitorRunningChanged);
  // The monitor's status after a run is why it ended: a module that failed, or Stop.
  connect(monitor_, &BusMonitorController::statusChanged, this, [this](const QString& text) {
    if (monitor_->running()) return;
    const std::optional<WalkRecord> now = record();
    const QString tally = now ? qt_text(field_tally_text(now->summary())) : QString();
    if (!failure_.isEmpty()) {
      emit statusChanged(failure_);
    } else if (text == QString::fromUtf8(kBusMonitorStopped)) {
      emit statusChanged(QString::fromUtf8("Próba z obiektu zakończona: ") + tally);
    } else {
      emit statusChanged(text + QString::fromUtf8(" Próba z obiektu: ") + tally);
    }
  });
}

FieldTestController::~FieldTestController() {
  if (!running()) return;
  blockSignals(true);  // whoever listened may be going too
  stop();
}

void FieldTestController::start(int first_row, int last_row, int unit) {
  if (running() || !keeper_.readRecords()) return;
  continuation_ = RecordKeeper::Continuation::none;
  if (keeper_.offerUnfinished(kWithVerdicts, resume_question) != nullptr) {
    continuation_ = RecordKeeper::Continuation::unfinished;
  } else {
    plan_ = field_plan_rows(keeper_.sources().grid(), first_row, last_row);
    unit_ = unit;
    if (plan_.empty()) {
      emit statusChanged(
          QString::fromUtf8("W wybranym zakresie żadne zdarzenie nie zapala lampy: nie ma czego sprawdzać."));
      return;
    }
  }
  failure_.clear();
  monitor_->start();
}

void FieldTestController::stop() { monitor_->stop(); }

bool FieldTestController::beforeFirstPoll(USB_protocol& protocol) {
  const RecordKeeper::Sources& sources = keeper_.sources();
  const auto fresh = [&](const ModuleReading& module, const std::string& time) {
    const std::string file = path_utf8(utf8_path(sources.configuration_file().toStdString()).filename());
    WalkRecord record = new_record(file, sources.grid(), sources.names(), plan_, ZEL_VERSION,
                                   sources.engineer().toStdString(), module, time);
    record.header.kind = RecordKind::field;
    record.header.unit = unit_;
    return record;
  };
  if (!keeper_.beginSession(protocol, continuation_, kWithVerdicts, fresh)) return false;
  emit recordChanged();
  return true;
}

void FieldTestController::monitorRunningChanged(bool running) {
  if (running) {
    const int unit = keeper_.current()->record()->header.unit;
    emit runningChanged(true);
    const QString units =
        unit == kAnyUnit ? QString::fromUtf8("wszystkie centrale") : QString::fromUtf8("centrala %1").arg(unit);
    emit statusChanged(QString::fromUtf8("Próba z obiektu: nasłuch magistrali (%1)...").arg(units));
    return;
  }
  keeper_.endSession();
  emit recordChanged();
  emit runningChanged(false);
}

void FieldTestController::entriesAdded(const std::vector<BusLogEntry>& entries) {
  for (const BusLogEntry& entry : entries) {
    const BusChange* change = std::get_if<BusChange>(&entry);
    if (change != nullptr && change->began) see(*change);
    if (!keeper_.open()) return;  // an entry not written ended the run
  }
}

void FieldTestController::see(const BusChange& change) {
  if (!keeper_.open()) return;
  CommissioningRecord& record = *keeper_.current();
  const RecordKeeper::Sources& sources = keeper_.sources();
  const ProjectNames names = sources.names();
  const CommissioningRecord::SeenResult seen =
      record.see(sources.grid(), names, change.row, change.unit, record_time_now());
  if (!written(seen.failure)) return;
  // A planned event is named as the record holds it.
  const RecordLine* line = record.record()->line(change.row);
  const std::string expected = line ? line->expected : expected_lamps_text(sources.grid(), change.row, names);
  const std::string event = field_event_text(row_label(change.row), address_name_of_row(names, change.row), expected);
  emit recordChanged();
  // Another unit's event only goes on the list: the board shows the events of the unit listened to.
  if (seen.sighting != Sighting::other_unit) emit eventSeen(change.row, qt_text(event));
  emit statusChanged(field_sighting_text(seen.sighting, change.unit, event));
}

void FieldTestController::rate(int row, Verdict verdict, const QString& comment) {
  if (!keeper_.open()) return;
  CommissioningRecord& record = *keeper_.current();
  const RecordLine* line = record.record()->line(row);
  if (line == nullptr) return;
  if (!line->shown()) {
    emit statusChanged(QString::fromUtf8("Magistrala nie zgłosiła jeszcze zdarzenia „%1”: nie ma czego oceniać.")
                           .arg(qt_text(line->label)));
    return;
  }
  if (!written(record.rate(row, verdict, comment.toStdString(), record_time_now()))) return;
  emit recordChanged();
}

bool FieldTestController::written(const std::string& error) {
  if (keeper_.written(error)) return true;
  // Unrecorded sightings count as not seen: the run stops.
  failure_ = QString::fromUtf8("Próba z obiektu przerwana: nie można zapisać protokołu.");
  monitor_->stop();
  return false;
}
