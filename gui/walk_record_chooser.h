// SPDX-License-Identifier: MIT
#pragma once
// "Protokół...": which of a project's records to write. The list shows each
// record with its number (as `zel17 --protocol --record N` counts them, the
// oldest 1), its start, the engineer and its counts, the newest first; a
// damaged record is listed with why, and cannot be chosen.

#include <QDialog>
#include <QString>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "commissioning/walk_journal.h"

class QListWidget;
class QPushButton;

struct RecordChoice {
  std::size_t record = 0;  // in JournalReading::records
  QString text;            // "2. 2026-12-07 14:00:00 – Jan Kowalski – OK 12, błędy 1, bez oceny 3, nie sprawdzono 40"
  bool printable = true;   // false: damaged, `text` says why
};

// The choices of the records read, the newest first.
std::vector<RecordChoice> record_choices(const JournalReading& reading);

class WalkRecordChooser : public QDialog {
  Q_OBJECT

 public:
  explicit WalkRecordChooser(const std::vector<RecordChoice>& choices, QWidget* parent = nullptr);
  // The record chosen (RecordChoice::record); none when the selection is not printable.
  std::optional<std::size_t> chosen() const;

 private:
  std::vector<RecordChoice> choices_;
  QListWidget* list_;
  QPushButton* ok_;
};

// Runs the chooser; none when it is cancelled.
using RecordPrompt = std::function<std::optional<std::size_t>(const std::vector<RecordChoice>& choices)>;
std::optional<std::size_t> ask_walk_record(QWidget* parent, const std::vector<RecordChoice>& choices);
