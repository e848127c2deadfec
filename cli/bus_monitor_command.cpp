// SPDX-License-Identifier: MIT
#include "cli/bus_monitor_command.h"

#include <chrono>

#include "cli/platform_console.h"

namespace {

void print(const BusPoll& poll, const CliOptions& options, const BusMonitorOutput& output) {
  if (!poll.brought_something() && poll.new_entries.empty()) return;
  if (options.raw && !poll.frame.empty())
    output.out << raw_frame_tab_line(poll.time, poll.frame.data(), poll.frame.size()) << '\n';
  std::string rows;
  for (const BusLogEntry& entry : poll.new_entries) {
    output.out << bus_log_tab_line(entry) << '\n';
    rows += bus_log_csv_row(entry);
  }
  output.out.flush();
  if (output.log && !rows.empty()) output.log->append(rows);
}

}  // namespace

BusPollingEnd poll_bus(USB_protocol& protocol, BusMonitor& monitor, int seconds,
                       const std::function<bool(const BusPoll&)>& seen,
                       const std::function<bool(std::chrono::milliseconds)>& wait, USB_protocol::Outcome& outcome) {
  using Clock = std::chrono::steady_clock;
  const auto interval = std::chrono::milliseconds(kBusPollIntervalMs);
  const auto end = seconds < 0 ? Clock::time_point::max() : Clock::now() + std::chrono::seconds(seconds);
  const auto now = [] { return time_of_day(std::chrono::system_clock::now()); };
  monitor.begin_run();
  outcome = USB_protocol::Outcome::accepted;
  for (;;) {
    if (interrupt_requested()) return BusPollingEnd::interrupted;
    bool go_on = true;
    outcome = monitor.drain(protocol, now, [&](const BusPoll& poll) {
      if (go_on) go_on = seen(poll);
    });
    if (!go_on) return BusPollingEnd::stopped;
    if (outcome != USB_protocol::Outcome::accepted) return BusPollingEnd::module_failed;
    const auto left = end - Clock::now();
    if (left <= Clock::duration::zero()) return BusPollingEnd::time_up;
    if (!wait(left < interval ? std::chrono::duration_cast<std::chrono::milliseconds>(left) : interval))
      return BusPollingEnd::stopped;
  }
}

USB_protocol::Outcome run_bus_monitor(USB_protocol& protocol, const CliOptions& options,
                                      const BusMonitorOutput& output) {
  BusMonitor monitor;
  USB_protocol::Outcome outcome = USB_protocol::Outcome::accepted;
  const auto seen = [&](const BusPoll& poll) {
    print(poll, options, output);
    return !output.log || output.log->failure().empty();
  };
  // A sleep cut short by Ctrl+C ends the run at the next turn.
  const auto sleep = [](std::chrono::milliseconds wait) {
    sleep_unless_interrupted(wait);
    return true;
  };
  if (poll_bus(protocol, monitor, options.monitor_seconds, seen, sleep, outcome) == BusPollingEnd::module_failed)
    return outcome;
  return USB_protocol::Outcome::accepted;
}
