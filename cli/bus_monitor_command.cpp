#include "cli/bus_monitor_command.h"

#include <chrono>

#include "cli/platform_console.h"
#include "commissioning/bus_monitor.h"
#include "protocol/console_log.h"

namespace {

void print(const BusPoll& poll, BusClockTime now, const CliOptions& options, const BusMonitorOutput& output) {
  if (options.raw && !poll.frame.empty())
    output.out << raw_frame_tab_line(now, poll.frame.data(), poll.frame.size()) << '\n';
  if (poll.dropped > 0) output.out << dropped_frames_tab_line(now, poll.dropped) << '\n';
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
  for (;;) {
    if (interrupt_requested()) return USB_protocol::Outcome::accepted;
    const BusClockTime now = time_of_day(std::chrono::system_clock::now());
    const BusPoll poll = monitor.poll(protocol, now);
    if (poll.outcome != USB_protocol::Outcome::accepted) return poll.outcome;
    if (poll.brought_something()) {
      print(poll, now, options, output);
      if (output.log && !output.log->failure().empty()) return USB_protocol::Outcome::accepted;
      // --trace has shown the frames already; hours on a busy bus must not pile them up.
      console_log().clear();
    }
    const auto left = end - Clock::now();
    if (left <= Clock::duration::zero()) return USB_protocol::Outcome::accepted;
    if (!poll.frame.empty()) continue;  // more may be queued: drain before waiting
    const auto wait = left < interval ? std::chrono::duration_cast<std::chrono::milliseconds>(left) : interval;
    if (!sleep_unless_interrupted(wait)) return USB_protocol::Outcome::accepted;
  }
}
