// SPDX-License-Identifier: MIT
#pragma once
// The bit layout of a control unit's frame on the RS485 bus, the whole state
// of one unit. The output test builds such frames; the bus monitor reads them.
//
//   bytes 0, 1: 0xFF, 0x40;  byte 2: the control unit number
//   bytes 3-27: 2 bits per address n in byte 3 + n/4, bits 2(n%4) and up:
//               0 quiet, 1 Alarm I, bit 1 set (2 or 3) Alarm II
//   bytes 28-40: 1 fault bit per address n, bit n%8 of byte 28 + n/8
//   bytes 41-45: zero

#include <cstddef>
#include <cstdint>

namespace bus_frame_layout {

inline constexpr std::size_t kSize = 46;
inline constexpr std::uint8_t kFirst = 0xFF;
inline constexpr std::uint8_t kSecond = 0x40;
inline constexpr std::size_t kUnit = 2;

// An address's 2-bit alarm state: its byte and the shift of its low bit.
constexpr std::size_t alarm_byte(int address) { return 3 + static_cast<std::size_t>(address / 4); }
constexpr int alarm_shift(int address) { return 2 * (address % 4); }
inline constexpr std::uint8_t kAlarmStateMask = 0x3;
inline constexpr std::uint8_t kAlarmI = 1;
inline constexpr std::uint8_t kAlarmII = 3;       // what is sent for Alarm II
inline constexpr std::uint8_t kAlarmIIBit = 0x2;  // what is read as Alarm II

// An address's fault bit: its byte and its bit.
constexpr std::size_t fault_byte(int address) { return 28 + static_cast<std::size_t>(address / 8); }
constexpr int fault_bit(int address) { return address % 8; }

}  // namespace bus_frame_layout
