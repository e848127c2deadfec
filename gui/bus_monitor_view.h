// SPDX-License-Identifier: MIT
#pragma once
// The "Monitor magistrali" tab's face: "Start" and "Stop", the events active
// now (control unit, event, since), the list of changes with the count of
// frames the module dropped beside it (bounded, as the monitor's list is), and
// "Zapisz dziennik...". An event active since before the run began shows
// "przed startem" as its start. It only
// shows and asks: whoever runs the monitor feeds it and listens.
//
// The row it names for the lamp picture is the selected active event's, or,
// with none selected, the one that began last.

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
  // The events active now, by unit and row, and the one that began last.
  void showActive(const std::vector<ActiveBusEvent>& active, std::optional<ActiveBusEvent> last_begun);
  // Newest at the bottom; the list follows them unless the user scrolled up.
  void appendEntries(const std::vector<BusLogEntry>& entries);
  void setDroppedTotal(std::uint64_t total);

  // The row the picture should show, -1 for none.
  int shownRow() const { return shownRow_; }

 signals:
  void startRequested();
  void stopRequested();
  void saveRequested();
  // The user selected an active event (its matrix row).
  void eventSelected(int row);
  void shownRowChanged(int row);

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
  int lastBegunRow_ = -1;
  int shownRow_ = -1;
  bool refilling_ = false;
  bool running_ = false;
  bool startAllowed_ = true;
};
