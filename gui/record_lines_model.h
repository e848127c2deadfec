// SPDX-License-Identifier: MIT
#pragma once
// A record's planned events as a tab lists them, one line per event in the
// plan's order; the walk's and the field test's lists say different things
// of each line (their columns past the first three), over the same lines.

#include <QAbstractTableModel>
#include <QStringList>
#include <optional>

#include "commissioning/walk_record.h"

class RecordLinesModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // Every list begins with the event, its name and what it must light.
  enum SharedColumn { kEvent, kName, kExpected, kSharedColumns };

  // `headers`: the columns' titles, the shared three first.
  explicit RecordLinesModel(QStringList headers, QObject* parent = nullptr);

  // The record shown; none empties the list.
  void setRecord(const std::optional<WalkRecord>& record);
  const std::optional<WalkRecord>& record() const { return record_; }
  // The line of the matrix row `row`, and the row of a line; -1 when none.
  int lineOf(int row) const;
  int rowAt(int line) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 protected:
  // What a list says of `line` in `column` for `role`, where the shared
  // columns' text has not said it already.
  virtual QVariant lineData(const RecordLine& line, int column, int role) const = 0;

 private:
  QStringList headers_;
  std::optional<WalkRecord> record_;
};
