// SPDX-License-Identifier: MIT
#pragma once
// Runs the bus monitor: one connection for the whole run, and a poll of the
// module every kBusPollIntervalMs on the event loop. Each poll is one short
// exchange; while frames keep coming, a tick asks again at once, so the
// module's queue of 32 frames drains. What was queued before Start is the
// state at the start, not a burst of changes. A poll the module does not accept
// (refused, no answer, unplugged) ends the run with its cause.

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "app/long_operation_link.h"
#include "commissioning/bus_monitor.h"

class BusMonitorController : public QObject {
  Q_OBJECT

 public:
  using Link = LongOperationLink;
  // The time of day a poll is stamped with; tests fix it.
  using Clock = std::function<BusClockTime()>;

  explicit BusMonitorController(Link link, QObject* parent = nullptr);
  // A run still going is stopped and the module disconnected.
  ~BusMonitorController() override;

  void setClock(Clock clock) { clock_ = std::move(clock); }
  // Runs on the run's connection before its first poll (the field test
  // reads the module back and opens its record); false ends the run there,
  // its status given.
  using BeforeFirstPoll = std::function<bool(USB_protocol& protocol)>;
  void setBeforeFirstPoll(BeforeFirstPoll check) { before_first_poll_ = std::move(check); }

  bool running() const { return session_ != nullptr; }
  // Everything heard: the list of changes and the dropped count of every
  // run, the active events of this one.
  const BusMonitor& monitor() const { return monitor_; }

  // Forgets the units' states and takes the frames the module queued before
  // as the state at the start; keeps the list of changes.
  void start();
  // Ends the run; the table of active events empties, and the list says so.
  void stop();
  FileResult saveLog(const std::filesystem::path& path) const;

 signals:
  void runningChanged(bool running);
  void entriesAdded(const std::vector<BusLogEntry>& entries);
  // The active events, or which of them began last, changed.
  void activeChanged();
  void droppedChanged(quint64 total);
  // Also the cause of a run that ended early, which goes to the console too.
  void statusChanged(const QString& text);

 private:
  void tick();
  void finish(const char* status);

  Link link_;
  Clock clock_;
  BeforeFirstPoll before_first_poll_;
  std::unique_ptr<Device_session> session_;
  BusMonitor monitor_;
  QTimer timer_;
};
