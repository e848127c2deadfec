// SPDX-License-Identifier: MIT
#pragma once
// What the board lights while the bus reports several events at once. The
// module's documentation does not say how it combines them; this models it
// as each lamp at the strongest mode any active event gives it: steady light
// over fast blinking over slow blinking over off. With no event active the
// board shows the frame without events (row 0).

#include <array>
#include <cstdint>
#include <vector>

#include "commissioning/bus_tracker.h"
#include "config/config_matrix.h"

using LampModes = std::array<std::uint8_t, ConfigMatrix::kColumns>;

// The rows whose lamps the board combines: each active event's row once, in
// the order given; the frame without events when none is active.
std::vector<int> combined_event_rows(const std::vector<ActiveBusEvent>& active);

// Each lamp at the strongest mode any of `events` gives it; a value that is
// no mode (255 on row 4) is weaker than any. The first event's modes when
// it is the only one; all off for none.
LampModes combined_modes(const std::vector<LampModes>& events);
