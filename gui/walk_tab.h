// SPDX-License-Identifier: MIT
#pragma once
// The "Test po kolei" tab: which rows to walk ("Od", "Do"), how long each
// event stays ("Czas na zdarzenie"), and the buttons that drive the walk.
// It only asks: whoever runs the walk listens to its requests and tells it
// whether a walk runs and is paused. While a walk runs and the tab is shown,
// Space, Left, Right and Escape anywhere in its window stand for
// "Pauza"/"Wznów", "Wstecz", "Dalej" and "Stop".
//
// With "Czekaj na ocenę" each event waits for its verdict: Return is "OK";
// B opens the comment of a fault ("Błąd"), which Return gives (Escape takes
// it back). Beside them what the event must light, the engineer's name, and
// "Protokół..." and "Powtórz błędne" for the record.
//
// The events checked by hand ("Strata łączności", "Test wyjść", "Po
// resecie") may be added to the walk; at such a step the tab says what to
// do at the panel. Below, the record's events (WalkRecordModel) with a
// running tally; a click or Return on a line asks to go to that event.

#include <QWidget>
#include <chrono>
#include <optional>
#include <vector>

#include "commissioning/walk_record.h"
#include "gui/record_tab_parts.h"

class VerdictControls;
class WalkRecordModel;
class QTableView;
class QCheckBox;
class QLineEdit;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

class WalkTab : public QWidget {
  Q_OBJECT

 public:
  explicit WalkTab(QWidget* parent = nullptr);

  // "Od": the selected row, or 5 when it is below 5; "Do": the last row.
  void setDefaultRange(int selected_row);
  // Rows 0-304; "Czas na zdarzenie" within 0.5-60 s.
  void setRange(int first_row, int last_row);
  void setDwellSeconds(double seconds);
  double dwellSeconds() const;
  int firstRow() const;
  int lastRow() const;
  std::chrono::milliseconds dwell() const;

  void setRunning(bool running);
  void setPaused(bool paused);
  void setStatus(const QString& text);

  bool waitForVerdict() const;
  QString engineer() const;
  void setEngineer(const QString& name);
  // What the event shown must light; empty when none is shown.
  void setExpected(const QString& text);
  // "Powtórz błędne" is offered when the record has faults; `list` names them.
  void setFaultsToRepeat(int count, const QString& list = {});
  // The events checked by hand chosen for the walk (rows 1-3).
  std::vector<int> byHandRows() const;
  // What the engineer does at the panel for the step shown; empty for an event handed to the module.
  void setByHandStep(const QString& text);
  // The record listed, and its tally; none empties the list.
  void showRecord(const std::optional<WalkRecord>& record);
  // The line of the event the walk shows, selected and in view.
  void showCurrentEvent(int row);

 signals:
  void startRequested();
  void pauseToggled();
  void backRequested();
  void nextRequested();
  void stopRequested();
  // A verdict on the event shown: "OK", or "Błąd" with its comment.
  void verdictGiven(bool ok, const QString& comment);
  void protocolRequested();
  void repeatFaultsRequested();
  // A line of the record chosen: the event of matrix row `row`.
  void eventChosen(int row);

 private:
  void chooseEvent(const QModelIndex& index);
  void updateVerdictControls();

  RowRange range_;  // "Od", "Do"
  QDoubleSpinBox* dwell_;
  QPushButton* start_;
  QPushButton* pause_;
  QPushButton* back_;
  QPushButton* next_;
  QPushButton* stop_;
  QLabel* status_;
  QCheckBox* wait_;
  QLineEdit* engineer_;
  QLabel* expected_;
  VerdictControls* verdicts_;
  QPushButton* protocol_;
  QPushButton* repeat_;
  std::vector<QCheckBox*> byHand_;  // rows 1-3
  QLabel* byHandStep_;
  WalkRecordModel* model_;
  QTableView* events_;
  QLabel* tally_;
  bool running_ = false;
  int current_row_ = -1;  // the event the walk shows
  int faults_ = 0;  // rated "Błąd" in the record
};
