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
  enum Column { kState = kSharedColumns, kUnit, kSeen, kComment };

  explicit FieldPlanModel(QObject* parent = nullptr);

 protected:
  QVariant lineData(const RecordLine& line, int column, int role) const override;
};

// "bez lampy: adr 5. Awaria (Magazyn), centrala 0, 2026-12-08 14:03:07", a finding as the tab lists it.
QString field_finding_text(const FieldFinding& finding);
