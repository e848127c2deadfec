// SPDX-License-Identifier: MIT
#pragma once
// A field test's plan as its tab lists it: one line per planned event, in
// the plan's order, with its name, what it must light, its state ("nie
// widziano", "widziano – bez oceny", "OK", "Błąd"), the control unit and
// time the bus reported it, and the comment of its verdict.

#include "gui/record_lines_model.h"

class FieldPlanModel : public RecordLinesModel {
  Q_OBJECT

 public:
  enum Column { kEvent, kName, kExpected, kState, kUnit, kSeen, kComment, kColumnCount };

  explicit FieldPlanModel(QObject* parent = nullptr);

  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

};

// "bez lampy: adr 5. Awaria (Magazyn), centrala 0, 2026-12-08 14:03:07", a finding as the tab lists it.
QString field_finding_text(const FieldFinding& finding);
