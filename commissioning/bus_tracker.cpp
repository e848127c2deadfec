// SPDX-License-Identifier: MIT
#include "commissioning/bus_tracker.h"

#include <algorithm>

std::vector<BusChange> BusTracker::update(const BusUnitState& state, BusClockTime now) {
  BusEvents& known = units_[state.unit];
  const BusEvents ended = known & ~state.events;
  const BusEvents began = state.events & ~known;
  known = state.events;

  std::vector<BusChange> changes;
  for (int row = 0; row < ConfigMatrix::kRows; ++row) {
    if (ended.test(row)) changes.push_back({now, state.unit, row, false});
  }
  for (int row = 0; row < ConfigMatrix::kRows; ++row) {
    if (began.test(row)) changes.push_back({now, state.unit, row, true});
  }

  std::erase_if(active_, [&](const ActiveBusEvent& event) {
    return event.unit == state.unit && ended.test(event.row);
  });
  for (const BusChange& change : changes) {
    if (change.began) activate({state.unit, change.row, now, ++beginnings_});
  }
  return changes;
}

void BusTracker::take_start_state(const BusUnitState& state) {
  units_[state.unit] = state.events;
  std::erase_if(active_, [&](const ActiveBusEvent& event) { return event.unit == state.unit; });
  for (int row = 0; row < ConfigMatrix::kRows; ++row) {
    if (state.events.test(row)) activate({state.unit, row, {}, ++beginnings_, true});
  }
}

bool BusTracker::would_change(const BusUnitState& state) const {
  const auto known = units_.find(state.unit);
  return (known == units_.end() ? BusEvents{} : known->second) != state.events;
}

void BusTracker::activate(const ActiveBusEvent& event) {
  const auto place = std::lower_bound(
      active_.begin(), active_.end(), event, [](const ActiveBusEvent& a, const ActiveBusEvent& b) {
        return a.unit != b.unit ? a.unit < b.unit : a.row < b.row;
      });
  active_.insert(place, event);
}

std::optional<ActiveBusEvent> BusTracker::last_begun() const {
  const auto latest = std::max_element(
      active_.begin(), active_.end(),
      [](const ActiveBusEvent& a, const ActiveBusEvent& b) { return a.began_order < b.began_order; });
  if (latest == active_.end()) return std::nullopt;
  return *latest;
}
