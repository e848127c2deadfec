// SPDX-License-Identifier: MIT
#pragma once
// The "Próba z obiektu" tab: which rows make the plan ("Od", "Do"), which
// control unit is listened to (all, or one), Start and Stop, the event the
// bus reported last, and below the plan's events with their state and a
// tally, and the events beyond the plan ("Poza planem"). It only asks:
// whoever runs the field test listens to its requests and tells it what
// the record holds.
//
// While the test runs and the tab is shown, the keys of the walk rate the
// selected line (VerdictControls: Return "OK", B the comment of a "Błąd"),
// Up and Down move through the list; an event the bus reports is selected,
// so it can be rated at once, or later from the list.

#include <QWidget>
#include <optional>
#include <vector>

#include "commissioning/walk_record.h"
#include "gui/record_tab_parts.h"

class FieldPlanModel;
class QLabel;
class QListWidget;
class QPushButton;
class QShortcut;
class QSpinBox;
class QTableView;
class VerdictControls;

class FieldTestTab : public QWidget {
  Q_OBJECT

 public:
  explicit FieldTestTab(QWidget* parent = nullptr);

  // "Od": the selected row, or 5 when it is below 5; "Do": the last row.
  void setDefaultRange(int selected_row);
  void setRange(int first_row, int last_row);
  int firstRow() const;
  int lastRow() const;
  // The control unit listened to; kAnyUnit for all.
  int unit() const;
  void setUnit(int unit);

  void setRunning(bool running);
  void setStatus(const QString& text);
  // The event the bus reported last, named (field_event_text()).
  void showSeenEvent(int row, const QString& text);
  // The record listed, with its tally and findings; none empties the list.
  void showRecord(const std::optional<WalkRecord>& record);
  // The matrix row of the selected line; -1 when none.
  int selectedRow() const { return selected_row_; }

 signals:
  void startRequested();
  void stopRequested();
  // A verdict on the event of matrix row `row`: "OK", or "Błąd" with its comment.
  void verdictGiven(int row, bool ok, const QString& comment);
  // A line chosen by the user (a click, Up or Down): the event of matrix row `row`.
  void eventChosen(int row);

 private:
  void selectRow(int row);
  void moveSelection(int step);
  void updateVerdictControls();

  RowRange range_;  // "Od", "Do"
  QSpinBox* unit_;
  QPushButton* start_;
  QPushButton* stop_;
  QLabel* status_;
  QLabel* event_;
  VerdictControls* verdicts_;
  FieldPlanModel* model_;
  QTableView* events_;
  QLabel* tally_;
  QListWidget* findings_;
  std::vector<QShortcut*> arrows_;  // Up, Down
  bool running_ = false;
  int selected_row_ = -1;
};
