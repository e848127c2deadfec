// SPDX-License-Identifier: MIT
#pragma once
// A field test's plan as its tab lists it: one line per planned event, in
// the plan's order, with its name, what it must light, its state ("nie
// widziano", "widziano – bez oceny", "OK", "Błąd"), the control unit and
// time the bus reported it, and the comment of its verdict.

#include <QAbstractTableModel>
#include <optional>

#include "commissioning/walk_record.h"

class FieldPlanModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kEvent, kName, kExpected, kState, kUnit, kSeen, kComment, kColumnCount };

  explicit FieldPlanModel(QObject* parent = nullptr);

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

 private:
  std::optional<WalkRecord> record_;
};

// "bez lampy: adr 5. Awaria (Magazyn), centrala 0, 2026-12-08 14:03:07", a finding as the tab lists it.
QString field_finding_text(const FieldFinding& finding);
