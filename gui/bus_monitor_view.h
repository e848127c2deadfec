// SPDX-License-Identifier: MIT
#pragma once
// The "Monitor magistrali" tab's face: "Start" and "Stop", the events active
// now (control unit, event, since), the list of changes with the count of
// frames the module dropped beside it (bounded, as the monitor's list is), and
// "Zapisz dziennik...". An event active since before the run began shows
// "przed startem" as its start. It only
// shows and asks: whoever runs the monitor feeds it and listens.
//
// While the monitor runs, the rows it names for the lamp picture are the
// selected active event's, or, with none selected, those of every active
// event, which the picture combines as the board does
// (commissioning/combined_events.h): the frame without events when none is
// active. Stopped, it names none, and the picture follows the grid again.

#include <QList>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "commissioning/bus_log.h"
#include "commissioning/bus_monitor.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

class BusMonitorView : public QWidget {
  Q_OBJECT

 public:
  // The colour of the dropped count while it is above 0.
  static const QColor kWarningColour;

  explicit BusMonitorView(QWidget* parent = nullptr);

  void setRunning(bool running);
  // Off while another long operation holds the module: "Start" waits.
  void setStartAllowed(bool allowed);
  void setStatus(const QString& text);
  // The events active now, by unit and row.
  void showActive(const std::vector<ActiveBusEvent>& active);
  // Newest at the bottom; the list follows them unless the user scrolled up.
  void appendEntries(const std::vector<BusLogEntry>& entries);
  void setDroppedTotal(std::uint64_t total);

  // The rows the picture should show combined; none while the monitor is stopped.
  QList<int> shownRows() const { return shownRows_; }

 signals:
  void startRequested();
  void stopRequested();
  void saveRequested();
  // The user selected an active event (its matrix row).
  void eventSelected(int row);
  void shownRowsChanged(const QList<int>& rows);

 private:
  void selectionChanged();
  void updateShownRow();
  void dropOldest();
  // The selected active event, if any.
  std::optional<std::pair<int, int>> selectedEvent() const;  // unit, row

  QPushButton* start_;
  QPushButton* stop_;
  QTableWidget* active_;
  QListWidget* changes_;
  QLabel* dropped_;
  QPushButton* save_;
  QLabel* status_;
  std::uint64_t skipped_ = 0;  // the oldest lines the list let go
  QList<int> activeRows_;  // of the active events, as the picture combines them
  QList<int> shownRows_;
  bool refilling_ = false;
  bool running_ = false;
  bool startAllowed_ = true;
};
