// SPDX-License-Identifier: MIT
#pragma once
// The record's events as the walk tab lists them: one line per event of the
// plan, in its order, with its name, what it must light, the last verdict,
// its comment and time; the earlier verdicts of a line in its tip.

#include "gui/record_lines_model.h"

class WalkRecordModel : public RecordLinesModel {
  Q_OBJECT

 public:
  enum Column { kVerdict = kSharedColumns, kComment, kTime };

  explicit WalkRecordModel(QObject* parent = nullptr);

 protected:
  QVariant lineData(const RecordLine& line, int column, int role) const override;
};

// "OK 12, błędy 1, bez oceny 3, zostało 40": the record's events by what became of them.
QString walk_tally_text(const RecordSummary& summary);
