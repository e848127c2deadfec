// SPDX-License-Identifier: MIT
#include "cli/bus_monitor_command.h"

#include <chrono>

#include "cli/platform_console.h"
#include "commissioning/bus_monitor.h"

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

USB_protocol::Outcome run_bus_monitor(USB_protocol& protocol, const CliOptions& options,
                                      const BusMonitorOutput& output) {
  using Clock = std::chrono::steady_clock;
  const auto interval = std::chrono::milliseconds(kBusPollIntervalMs);
  const auto end = options.monitor_seconds < 0 ? Clock::time_point::max()
                                               : Clock::now() + std::chrono::seconds(options.monitor_seconds);
  BusMonitor monitor;
  monitor.begin_run();
  const auto now = [] { return time_of_day(std::chrono::system_clock::now()); };
  for (;;) {
    if (interrupt_requested()) return USB_protocol::Outcome::accepted;
    const USB_protocol::Outcome outcome =
        monitor.drain(protocol, now, [&](const BusPoll& poll) { print(poll, options, output); });
    if (outcome != USB_protocol::Outcome::accepted) return outcome;
    if (output.log && !output.log->failure().empty()) return USB_protocol::Outcome::accepted;
    const auto left = end - Clock::now();
    if (left <= Clock::duration::zero()) return USB_protocol::Outcome::accepted;
    const auto wait = left < interval ? std::chrono::duration_cast<std::chrono::milliseconds>(left) : interval;
    if (!sleep_unless_interrupted(wait)) return USB_protocol::Outcome::accepted;
  }
}
