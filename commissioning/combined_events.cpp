// SPDX-License-Identifier: MIT
#include "commissioning/combined_events.h"

#include <algorithm>

#include "config/test_payload.h"

namespace {

// Off, slow, fast, steady: the modes' values are their order of strength.
int strength(std::uint8_t mode) { return mode <= LED_STEADY ? mode : -1; }

}  // namespace

std::vector<int> combined_event_rows(const std::vector<ActiveBusEvent>& active) {
  std::vector<int> rows;
  for (const ActiveBusEvent& event : active) {
    if (std::find(rows.begin(), rows.end(), event.row) == rows.end()) rows.push_back(event.row);
  }
  if (rows.empty()) rows.push_back(kFrameWithoutEventsRow);
  return rows;
}

LampModes combined_modes(const std::vector<LampModes>& events) {
  if (events.empty()) return LampModes{};
  LampModes lamps = events.front();
  for (const LampModes& event : events) {
    for (std::size_t lamp = 0; lamp < lamps.size(); ++lamp) {
      if (strength(event[lamp]) > strength(lamps[lamp])) lamps[lamp] = event[lamp];
    }
  }
  return lamps;
}
