// SPDX-License-Identifier: MIT
#include "app/bus_monitor_controller.h"

#include <chrono>

#include "protocol/console_log.h"
#include "protocol/usb_protocol.h"

BusMonitorController::BusMonitorController(Link link, QObject* parent)
    : QObject(parent), link_(std::move(link)), clock_([] { return time_of_day(std::chrono::system_clock::now()); }) {
  timer_.setInterval(kBusPollIntervalMs);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &BusMonitorController::tick);
}

BusMonitorController::~BusMonitorController() {
  if (!running()) return;
  blockSignals(true);  // whoever listened may be going too
  stop();
}

void BusMonitorController::start() {
  if (running()) return;
  monitor_.begin_run();
  emit activeChanged();
  session_ = link_();
  if (!session_->connected() || (before_first_poll_ && !before_first_poll_(session_->protocol()))) {
    session_.reset();
    return;
  }
  emit runningChanged(true);
  emit statusChanged(QString::fromUtf8(kBusMonitorRunning));
  timer_.start();
}

void BusMonitorController::stop() {
  if (running()) finish(kBusMonitorStopped);
}

void BusMonitorController::finish(const char* status) {
  timer_.stop();
  session_.reset();
  // What the table showed is no longer current.
  emit entriesAdded({monitor_.end_run(clock_(), status)});
  emit activeChanged();
  emit runningChanged(false);
  emit statusChanged(QString::fromUtf8(status));
}

void BusMonitorController::tick() {
  if (!running()) return;
  const quint64 dropped_before = monitor_.dropped_total();
  std::vector<BusLogEntry> added;
  const USB_protocol::Outcome outcome = monitor_.drain(session_->protocol(), clock_, [&](const BusPoll& poll) {
    added.insert(added.end(), poll.new_entries.begin(), poll.new_entries.end());
  });
  if (monitor_.dropped_total() != dropped_before) emit droppedChanged(monitor_.dropped_total());
  if (!added.empty()) {
    emit entriesAdded(added);
    emit activeChanged();
    if (!running()) return;  // whoever heard them stopped the run
  }
  if (outcome == USB_protocol::Outcome::accepted) return;
  const char* cause = bus_monitor_stop_text(outcome);
  console_log().append_text(cause);
  finish(cause);
}

FileResult BusMonitorController::saveLog(const std::filesystem::path& path) const {
  return save_bus_log_csv(path, monitor_.entries());
}
