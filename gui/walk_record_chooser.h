// SPDX-License-Identifier: MIT
#pragma once
// "Protokół...": which of a project's records to write. The list shows each
// record with its number (as `zel17 --protocol --record N` counts them, the
// oldest 1), its start, its kind ("test po kolei", "próba z obiektu"), the
// engineer and its counts, the newest first; a damaged record is listed with
// why, and cannot be chosen. "Zapisz..." writes the chosen record's
// protocol, "Protokół odbioru..." the handover document of it and the
// newest record of the other kind of the same table.

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
  // "2. 2026-12-07 14:00:00 – test po kolei – Jan Kowalski – OK 12, błędy 1, bez oceny 3, nie sprawdzono 40",
  // "3. 2026-12-08 09:00:00 – próba z obiektu – Jan Kowalski – widziano 37 z 60, bez lampy 2"
  QString text;
  bool printable = true;   // false: damaged, `text` says why
};

// The choices of the records read, the newest first.
std::vector<RecordChoice> record_choices(const JournalReading& reading);

// What is to be written.
struct RecordRequest {
  std::size_t record = 0;  // RecordChoice::record
  bool handover = false;   // with the newest record of the other kind: "Protokół odbioru"
  bool operator==(const RecordRequest&) const = default;
};

class WalkRecordChooser : public QDialog {
  Q_OBJECT

 public:
  explicit WalkRecordChooser(const std::vector<RecordChoice>& choices, QWidget* parent = nullptr);
  // The record chosen (RecordChoice::record); none when the selection is not printable.
  std::optional<std::size_t> chosen() const;
  // It was closed by "Protokół odbioru...".
  bool handover() const { return handover_; }

 private:
  std::vector<RecordChoice> choices_;
  QListWidget* list_;
  QPushButton* ok_;
  QPushButton* handoverButton_;
  bool handover_ = false;
};

// Runs the chooser; none when it is cancelled.
using RecordPrompt = std::function<std::optional<RecordRequest>(const std::vector<RecordChoice>& choices)>;
std::optional<RecordRequest> ask_walk_record(QWidget* parent, const std::vector<RecordChoice>& choices);
