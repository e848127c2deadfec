#pragma once
// A control unit's frame as the module hears it on the RS485 bus. Each frame
// is the whole state of one unit, laid out as the output test's payload:
//
//   bytes 0, 1: 0xFF, 0x40;  byte 2: the control unit number
//   bytes 3-27: 2 bits per address n in byte 3 + n/4, bits 2(n%4) and up:
//               0 quiet, 1 Alarm I, bit 1 set (2 or 3) Alarm II
//   bytes 28-40: 1 fault bit per address n, bit n%8 of byte 28 + n/8
//   bytes 41-45: zero
//
// A frame of another length or start is not a unit's state and is never
// decoded.

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "config/config_matrix.h"

// The active events of a frame, one bit per matrix row; only rows 5-304 are ever set.
using BusEvents = std::bitset<ConfigMatrix::kRows>;

struct BusUnitState {
  std::uint8_t unit = 0;
  BusEvents events;
  friend bool operator==(const BusUnitState&, const BusUnitState&) = default;
};

inline constexpr std::size_t kBusFrameSize = 46;

// The unit and its active events, or nothing for another kind of frame.
std::optional<BusUnitState> decode_bus_frame(const std::uint8_t* data, std::size_t length);
