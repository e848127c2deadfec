#pragma once
// Runs the bus monitor: one connection for the whole run, and a poll of the
// module every kBusPollIntervalMs on the event loop. Each poll is one short
// exchange; while frames keep coming, a tick asks again at once, so the
// module's queue of 32 frames drains. A poll the module does not accept
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

  bool running() const { return session_ != nullptr; }
  // Everything heard: the list of changes and the dropped count of every
  // run, the active events of this one.
  const BusMonitor& monitor() const { return monitor_; }

  // Forgets the units' states (their events begin again with their next
  // frame) and keeps the list of changes.
  void start();
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
  std::unique_ptr<Device_session> session_;
  BusMonitor monitor_;
  QTimer timer_;
};
