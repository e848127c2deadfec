// SPDX-License-Identifier: MIT
#pragma once
// A record's planned events as a tab lists them, one line per event in the
// plan's order; the walk's and the field test's lists say different things
// of each line (their columns), over the same lines.

#include <QAbstractTableModel>
#include <optional>

#include "commissioning/walk_record.h"

class RecordLinesModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit RecordLinesModel(QObject* parent = nullptr);

  // The record shown; none empties the list.
  void setRecord(const std::optional<WalkRecord>& record);
  const std::optional<WalkRecord>& record() const { return record_; }
  // The line of the matrix row `row`, and the row of a line; -1 when none.
  int lineOf(int row) const;
  int rowAt(int line) const;

  int rowCount(const QModelIndex& parent = {}) const override;

 protected:
  // The line of a valid index of this model.
  const RecordLine& lineAt(const QModelIndex& index) const {
    return record_->lines[static_cast<std::size_t>(index.row())];
  }

 private:
  std::optional<WalkRecord> record_;
};
