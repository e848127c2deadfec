// SPDX-License-Identifier: MIT
#pragma once
// Keeps the walk's commissioning record for the window: it asks the
// window's questions and drives CommissioningRecord through RecordKeeper
// (record_keeper.h), which reads the records, reads the module back and
// begins or resumes the record. Then every verdict, and on the timer every
// event shown, is on the disk before the walk moves on; a verdict given
// again keeps the earlier one in the record's history.

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "app/record_keeper.h"
#include "commissioning/walk_plan.h"
#include "commissioning/walk_record.h"

class USB_protocol;
class WalkController;

class WalkRecordKeeper : public QObject {
  Q_OBJECT

 public:
  using Sources = RecordKeeper::Sources;

  WalkRecordKeeper(WalkController* walk, Sources sources, QObject* parent = nullptr);
  ~WalkRecordKeeper() override;

  // The folder of the records of the grid's file; empty when it has none.
  std::filesystem::path journalPath() const;

  // A walk to start: its plan, and the row it begins at (-1: the plan's first).
  struct Walk {
    WalkPlan plan;
    int from_row = -1;
  };
  // Before a walk over `plan`, with verdicts or on its timer as the walk is
  // set: offers to go on with an unfinished record of the grid's table
  // (its plan, from the first event left). Nothing when no record can be
  // kept, after saying why.
  std::optional<Walk> prepare(const WalkPlan& plan);
  // Before "Powtórz błędne": the events rated "Błąd" in the newest record of
  // the grid's table, whose verdicts go to that record. Nothing when there
  // are none.
  std::optional<Walk> prepareRepeat();

  // The verdict on the event shown; the walk then moves on.
  void giveVerdict(Verdict verdict, const QString& comment);

  // The record of the last walk, or the newest one of the grid's file.
  std::optional<WalkRecord> record() const;

 signals:
  // A verdict or an event shown written, or a walk begun or ended.
  void recordChanged();
  // What the event shown must light, for the walk tab; empty when none is shown.
  void expectedChanged(const QString& text);
  // What the engineer does at the panel for a step checked by hand; empty for other events.
  void byHandStepChanged(const QString& text);

 private:
  using Continuation = RecordKeeper::Continuation;

  // The grid's file's records read; false, after saying why, when none can be kept.
  bool readRecords();
  bool beforeFirstEvent(USB_protocol& protocol);
  void rowShown(int row);
  void runningChanged(bool running);
  // False, after saying why (once a walk) and stopping the walk, when `error` says an entry was not written.
  bool written(const std::string& error);

  WalkController* walk_;
  RecordKeeper keeper_;
  bool prepared_ = false;  // the records read for the walk about to start
  Continuation continuation_ = Continuation::none;
};
