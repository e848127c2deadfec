#include "app/bus_monitor_controller.h"

#include <chrono>

#include "protocol/console_log.h"
#include "protocol/usb_protocol.h"

namespace {
// Polls in one tick while frames keep coming: the module's whole queue.
constexpr int kMostPollsPerTick = 32;
}  // namespace

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
  monitor_.forget_units();
  emit activeChanged();
  session_ = link_();
  if (!session_->connected()) {
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
  emit runningChanged(false);
  emit statusChanged(QString::fromUtf8(status));
}

void BusMonitorController::tick() {
  if (!running()) return;
  const quint64 dropped_before = monitor_.dropped_total();
  std::vector<BusLogEntry> added;
  USB_protocol::Outcome outcome = USB_protocol::Outcome::accepted;
  for (int poll_number = 0; poll_number < kMostPollsPerTick; ++poll_number) {
    const BusPoll poll = monitor_.poll(session_->protocol(), clock_());
    outcome = poll.outcome;
    added.insert(added.end(), poll.new_entries.begin(), poll.new_entries.end());
    if (outcome != USB_protocol::Outcome::accepted || poll.frame.empty()) break;
  }
  if (monitor_.dropped_total() != dropped_before) emit droppedChanged(monitor_.dropped_total());
  if (!added.empty()) {
    emit entriesAdded(added);
    emit activeChanged();
  }
  if (outcome == USB_protocol::Outcome::accepted) return;
  const char* cause = bus_monitor_stop_text(outcome);
  console_log().append_text(cause);
  finish(cause);
}

FileResult BusMonitorController::saveLog(const std::filesystem::path& path) const {
  return save_bus_log_csv(path, monitor_.entries());
}
