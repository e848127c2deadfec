// SPDX-License-Identifier: MIT
#pragma once
// A control unit's frame as the module hears it on the RS485 bus, decoded.
// Each frame is the whole state of one unit, in the layout of
// config/bus_frame_layout.h; a frame of another length or start is not a
// unit's state and is never decoded.

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "config/bus_frame_layout.h"
#include "config/config_matrix.h"

// The active events of a frame, one bit per matrix row; only rows 5-304 are ever set.
using BusEvents = std::bitset<ConfigMatrix::kRows>;

struct BusUnitState {
  std::uint8_t unit = 0;
  BusEvents events;
  friend bool operator==(const BusUnitState&, const BusUnitState&) = default;
};

inline constexpr std::size_t kBusFrameSize = bus_frame_layout::kSize;

// The unit and its active events, or nothing for another kind of frame.
std::optional<BusUnitState> decode_bus_frame(const std::uint8_t* data, std::size_t length);
