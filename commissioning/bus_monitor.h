#pragma once
// The bus monitor's work, shared by the window and the command line: one
// poll asks the module for the oldest frame it heard on the RS485 bus,
// decodes it, tracks the units' events and keeps the list of changes.
// Polls that bring nothing leave the console as it was.

#include <cstdint>
#include <string>
#include <vector>

#include "commissioning/bus_log.h"
#include "commissioning/bus_tracker.h"
#include "protocol/usb_protocol.h"

// How often the monitor asks the module, in milliseconds. The module keeps
// 32 frames, so a bus of several units each reporting every second or so
// never overflows between two polls.
inline constexpr int kBusPollIntervalMs = 20;

struct BusPoll {
  USB_protocol::Outcome outcome = USB_protocol::Outcome::accepted;
  unsigned dropped = 0;                 // frames the module reports it lost since the last answer
  std::vector<std::uint8_t> frame;      // the frame received, as it came; empty when none
  std::vector<BusLogEntry> new_entries; // what the list of changes gained
  bool brought_something() const { return dropped > 0 || !frame.empty(); }
};

class BusMonitor {
 public:
  BusPoll poll(USB_protocol& protocol, BusClockTime now);
  // A new run: the units' states are unknown again; the list and the count stay.
  void forget_units() { tracker_ = {}; }

  const BusTracker& tracker() const { return tracker_; }
  const std::vector<BusLogEntry>& entries() const { return entries_; }
  std::uint64_t dropped_total() const { return dropped_total_; }

 private:
  BusTracker tracker_;
  std::vector<BusLogEntry> entries_;
  std::uint64_t dropped_total_ = 0;
};

// The status texts of the monitor (UTF-8).
inline constexpr const char* kBusMonitorRunning = "Monitor magistrali: nasłuch...";
inline constexpr const char* kBusMonitorStopped = "Monitor magistrali zatrzymany.";
// Why a poll that was not accepted stopped the monitor.
const char* bus_monitor_stop_text(USB_protocol::Outcome outcome);
