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
    if (!change.began) continue;
    const ActiveBusEvent event{state.unit, change.row, now, ++beginnings_};
    const auto place = std::lower_bound(
        active_.begin(), active_.end(), event, [](const ActiveBusEvent& a, const ActiveBusEvent& b) {
          return a.unit != b.unit ? a.unit < b.unit : a.row < b.row;
        });
    active_.insert(place, event);
  }
  return changes;
}

std::optional<ActiveBusEvent> BusTracker::last_begun() const {
  const auto latest = std::max_element(
      active_.begin(), active_.end(),
      [](const ActiveBusEvent& a, const ActiveBusEvent& b) { return a.began_order < b.began_order; });
  if (latest == active_.end()) return std::nullopt;
  return *latest;
}
