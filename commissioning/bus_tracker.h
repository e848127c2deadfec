// SPDX-License-Identifier: MIT
#pragma once
// What the control units report right now: each unit's last set of active
// events, and the changes a new frame of a unit brings.

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "commissioning/bus_frame.h"

// When something was heard: time of day, since local midnight.
using BusClockTime = std::chrono::milliseconds;

struct BusChange {
  BusClockTime time{};
  std::uint8_t unit = 0;
  int row = 0;
  bool began = false;  // else ended
  friend bool operator==(const BusChange&, const BusChange&) = default;
};

struct ActiveBusEvent {
  std::uint8_t unit = 0;
  int row = 0;
  BusClockTime since{};
  std::uint64_t began_order = 0;  // later beginnings have larger numbers
  bool before_start = false;      // active in the state the run began with; `since` is not known
  friend bool operator==(const ActiveBusEvent&, const ActiveBusEvent&) = default;
};

class BusTracker {
 public:
  // The unit's new state: the events that ended, then those that began,
  // each in row order. A unit's first frame begins everything it holds.
  std::vector<BusChange> update(const BusUnitState& state, BusClockTime now);

  // Takes the unit's state as it stood when the run began: its events are
  // active, marked as from before the start, and no change is reported.
  void take_start_state(const BusUnitState& state);
  // Would this state of its unit change anything?
  bool would_change(const BusUnitState& state) const;

  // The events active now, by unit, then row.
  const std::vector<ActiveBusEvent>& active() const { return active_; }
  // The active event that began last, if any is active.
  std::optional<ActiveBusEvent> last_begun() const;

 private:
  void activate(const ActiveBusEvent& event);

  std::map<std::uint8_t, BusEvents> units_;
  std::vector<ActiveBusEvent> active_;
  std::uint64_t beginnings_ = 0;
};
