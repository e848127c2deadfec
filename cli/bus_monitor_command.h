// SPDX-License-Identifier: MIT
#pragma once
// zel17-cli monitor: polls the module for the frames it hears on the RS485
// bus and prints one tab-separated line per change as it happens, until the
// time of --for has passed or Ctrl+C. Each line is flushed at once, so a
// pipe (| tee, | grep) sees it without delay.

#include <ostream>

#include "config/appended_file.h"
#include "cli/cli_options.h"
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
