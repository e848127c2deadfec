// SPDX-License-Identifier: MIT
#pragma once
// Keeps the walk's record: before the first event it compares the module's
// table with the grid (and asks before a walk against another table or
// against a module without one), opens the journal and begins a record or
// goes on with an unfinished one of the same configuration; then every
// verdict goes to the journal before the walk moves on. A walk on its timer
// (without "Czekaj na ocenę") keeps its record too: each event it shows is
// written as "nie oceniono".

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <optional>

#include "commissioning/walk_journal.h"
#include "config/config_matrix.h"
#include "config/project_names.h"

class USB_protocol;
class WalkController;

class WalkRecordKeeper : public QObject {
  Q_OBJECT

 public:
  struct Sources {
    std::function<const ConfigMatrix&()> grid;
    std::function<ProjectNames()> names;           // the project's names; empty without a project
    std::function<QString()> configuration_file;   // the grid's file, empty when it has none
    std::function<QString()> engineer;
    std::function<bool(const QString& question)> ask;  // yes or no
    std::function<void(const QString& text)> warn;
    std::function<void(const QString& status)> status;
  };

  WalkRecordKeeper(WalkController* walk, Sources sources, QObject* parent = nullptr);

  // Where the journal of the grid's configuration goes: beside its file, or
  // in the user's data folder when the grid has none.
  std::filesystem::path journalPath() const;

  // Before a walk over rows first..last, with verdicts or on its timer:
  // offers to go on with an unfinished record of the grid's configuration.
  // The row to begin at (-1: the first), and the range, which a resumed
  // record sets.
  int prepare(int& first_row, int& last_row);

  // Before a walk over the faults of the last record: their verdicts go to
  // that record. The rows, empty when there is nothing to repeat.
  std::vector<int> prepareRepeat();

  // The verdict on the event shown; the walk then moves on.
  void giveVerdict(Verdict verdict, const QString& comment);

  // The record of the last walk, or the one in the grid's journal.
  std::optional<WalkRecord> record() const;
  const RecordLine* shownLine() const { return shown_ ? &*shown_ : nullptr; }

 signals:
  // A verdict written, or a walk begun or ended.
  void recordChanged();
  // What the event shown must light, for the walk tab.
  void expectedChanged(const QString& text);

 private:
  bool beforeFirstEvent(USB_protocol& protocol);
  // The module's table against the grid: the differing cells (or
  // kNoValidConfiguration), asked about when not 0; nothing when the walk
  // must not go on.
  std::optional<int> checkModule(USB_protocol& protocol);
  void rowShown(int row);
  void runningChanged(bool running);
  void rate(RecordLine line);

  WalkController* walk_;
  Sources sources_;
  std::optional<WalkRecord> resume_;  // chosen in prepare()
  std::optional<WalkJournal> journal_;
  std::optional<WalkRecord> last_;
  std::optional<RecordLine> shown_;
};
