// SPDX-License-Identifier: MIT
#pragma once
// zel17-cli monitor: polls the module for the frames it hears on the RS485
// bus and prints one tab-separated line per change as it happens, until the
// time of --for has passed or Ctrl+C. Each line is flushed at once, so a
// pipe (| tee, | grep) sees it without delay.

#include <chrono>
#include <functional>
#include <ostream>

#include "config/appended_file.h"
#include "cli/cli_options.h"
#include "commissioning/bus_monitor.h"
#include "protocol/usb_protocol.h"

struct BusMonitorOutput {
  std::ostream& out;            // the changes, drops and (--raw) frames
  AppendedFile* log = nullptr;  // --log: the changes and notes as CSV rows, the header already written
};

// Ends with the outcome of the poll that stopped it: accepted when the time
// ran out, a stop was requested or the log could not be written (its
// failure() says why).
USB_protocol::Outcome run_bus_monitor(USB_protocol& protocol, const CliOptions& options,
                                      const BusMonitorOutput& output);

// How a run of polls ended.
enum class BusPollingEnd { time_up, interrupted, module_failed, stopped };

// Starts `monitor`'s run and polls the bus every kBusPollIntervalMs until
// `seconds` have passed (negative: no limit), Ctrl+C, a poll the module did
// not answer (`outcome` says how), or `seen` (each poll of a drain) or
// `wait` (between drains, up to the time given: a sleep or a key's read)
// say stop by returning false.
BusPollingEnd poll_bus(USB_protocol& protocol, BusMonitor& monitor, int seconds,
                       const std::function<bool(const BusPoll&)>& seen,
                       const std::function<bool(std::chrono::milliseconds)>& wait, USB_protocol::Outcome& outcome);
