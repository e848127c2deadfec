// SPDX-License-Identifier: MIT
#pragma once
// Runs the field test: detectors are set off in the building and the bus
// tells which. On Start the grid's file's records are read and an
// unfinished field test of its table offered to go on with; on the run's
// connection the module is read back and the record begun or resumed; then
// the bus is polled as the monitor polls it. Every event that begins on the
// bus goes to the record (planned and seen, or a finding beyond the plan)
// before it is shown, and every verdict before the list moves on. Stop, a
// failing module or an entry that cannot be written ends the record's
// session, so that it stays open for resuming.

#include <QObject>
#include <QString>
#include <filesystem>
#include <optional>
#include <string>

#include "app/bus_monitor_controller.h"
#include "app/long_operation_link.h"
#include "app/record_keeper.h"
#include "commissioning/walk_record.h"

// "adr 12. Alarm I – Kotłownia: 7 Kotłownia – ciągłe": an event, its address's
// name where it has one, and what it must light ("nic" when nothing).
std::string field_event_text(const std::string& label, const std::string& name, const std::string& expected);
// The status of an event that began on the bus: "Próba z obiektu, centrala 0: adr 12. Alarm I: 3 – ciągłe",
// with what the record made of it when it is not a planned event seen first.
QString field_sighting_text(Sighting sighting, int unit, const std::string& event);

class FieldTestController : public QObject {
  Q_OBJECT

 public:
  FieldTestController(LongOperationLink link, RecordKeeper::Sources sources, QObject* parent = nullptr);
  // A run still going is stopped: its session ended, the module disconnected.
  ~FieldTestController() override;

  BusMonitorController* monitor() const { return monitor_; }
  bool running() const { return monitor_->running(); }
  std::filesystem::path journalPath() const { return keeper_.journalPath(); }

  // Listens for the events of rows `first_row`..`last_row` that light some
  // lamp, of control unit `unit` (kAnyUnit: of every unit); or goes on with
  // the unfinished record, over its own plan and unit, when the user agrees.
  void start(int first_row, int last_row, int unit);
  void stop();
  // A verdict on the event of row `row`, which the bus reported.
  void rate(int row, Verdict verdict, const QString& comment);

  // The record of the last run, or the newest field test of the grid's file.
  std::optional<WalkRecord> record() const { return keeper_.record(); }

 signals:
  void runningChanged(bool running);
  void statusChanged(const QString& text);
  // An event of the record's unit began on the bus: its row of the matrix,
  // and the text that names it (field_event_text()).
  void eventSeen(int row, const QString& text);
  // An event seen, a finding, a verdict, or a run begun or ended.
  void recordChanged();

 private:
  bool beforeFirstPoll(USB_protocol& protocol);
  void entriesAdded(const std::vector<BusLogEntry>& entries);
  void see(const BusChange& change);
  void monitorRunningChanged(bool running);
  // False, its reason told once and the run stopped, when an entry was not written.
  bool written(const std::string& error);

  BusMonitorController* monitor_;
  RecordKeeper keeper_;
  RecordKeeper::Continuation continuation_ = RecordKeeper::Continuation::none;
  std::vector<int> plan_;  // of a new record
  int unit_ = kAnyUnit;    // of a new record
  QString failure_;        // why the run ended early
};
