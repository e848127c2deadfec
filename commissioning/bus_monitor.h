// SPDX-License-Identifier: MIT
#pragma once
// The bus monitor's work, shared by the window and the command line: one
// poll asks the module for the oldest frame it heard on the RS485 bus,
// decodes it, tracks the units' events and keeps the list of changes.
// Polls that bring nothing leave the console as it was, and a run of frames
// that change nothing adds one count of repeats.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "commissioning/bus_frame.h"
#include "commissioning/bus_log.h"
#include "commissioning/bus_tracker.h"
#include "protocol/usb_protocol.h"

// How often the monitor asks the module, in milliseconds. The module keeps
// 32 frames, so a bus of several units each reporting every second or so
// never overflows between two polls.
inline constexpr int kBusPollIntervalMs = 20;

// Polls in one drain while frames keep coming: the module's whole queue.
inline constexpr int kMostPollsPerDrain = 32;
// A run's start takes at most this many queued frames as its starting state
// (the module keeps 32; more come only from a bus that never pauses).
inline constexpr std::size_t kMostBacklogFrames = 64;

struct BusPoll {
  USB_protocol::Outcome outcome = USB_protocol::Outcome::accepted;
  BusClockTime time{};                  // when it was asked
  unsigned dropped = 0;                 // frames the module reports it lost since the last answer
  std::vector<std::uint8_t> frame;      // the frame received, as it came; empty when none
  std::vector<BusLogEntry> new_entries; // what the list gained: the dropped report, then the changes
  bool brought_something() const { return dropped > 0 || !frame.empty(); }
};

class BusMonitor {
 public:
  // The list keeps at most `entry_limit` entries besides a first one that
  // says how many of the oldest it left out (it drops a tenth at once).
  explicit BusMonitor(std::size_t entry_limit = kBusEntryLimit) : entry_limit_(entry_limit) {}

  // A new run: the units' states are unknown again, and the frames the
  // module queued while nobody asked are taken as the state at the start
  // (one entry says how many), not as changes. The list and the count stay.
  void begin_run();
  // The run's starting state has been read: what comes now are changes.
  bool started() const { return !backlog_; }
  BusPoll poll(USB_protocol& protocol, BusClockTime now);
  // Polls while frames keep coming (the module's whole queue, at most
  // kMostPollsPerDrain polls), handing each poll to `seen`; the outcome of
  // the last.
  USB_protocol::Outcome drain(USB_protocol& protocol, const std::function<BusClockTime()>& clock,
                              const std::function<void(const BusPoll&)>& seen);
  // The run ended: no event is current any more, and the list gains `text`.
  BusLogEntry end_run(BusClockTime now, std::string text);

  const BusTracker& tracker() const { return tracker_; }
  const std::vector<BusLogEntry>& entries() const { return entries_; }
  std::uint64_t dropped_total() const { return dropped_total_; }

  // Hours of a busy bus must not grow the list without end.
  static constexpr std::size_t kBusEntryLimit = 10000;

 private:
  // Whether the poll's lines go to the console: a frame that changes nothing
  // is logged once in a row, its repeats only counted.
  bool worth_logging(const std::optional<BusUnitState>& state, std::uint8_t dropped);
  void finish_backlog(BusPoll& poll);
  void record(const std::vector<BusLogEntry>& entries);

  BusTracker tracker_;
  std::vector<BusLogEntry> entries_;
  std::size_t entry_limit_;
  std::uint64_t skipped_entries_ = 0;
  std::uint64_t dropped_total_ = 0;
  bool backlog_ = false;
  std::size_t backlog_frames_ = 0;
  std::map<std::uint8_t, BusUnitState> start_states_;
  bool repeating_ = false;
};

// The status texts of the monitor (UTF-8).
inline constexpr const char* kBusMonitorRunning = "Monitor magistrali: nasłuch...";
inline constexpr const char* kBusMonitorStopped = "Monitor magistrali zatrzymany.";
// Why a poll that was not accepted stopped the monitor.
const char* bus_monitor_stop_text(USB_protocol::Outcome outcome);
