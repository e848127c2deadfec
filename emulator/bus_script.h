// SPDX-License-Identifier: MIT
#pragma once
// A script of what the control units say on the RS485 bus, for the emulated
// module to hear: one frame per line, at a time counted from the start.
//
//   # a comment; blank lines are skipped
//   0      0    adr 3. Alarm I                  control unit 0 reports one event
//   2000   0    adr 3. Alarm I, adr 12. Awaria  its whole state: events by label, ", " between
//   4000   0    -                               the unit is quiet again
//   4500   raw  FF 40 00 01                     any bytes, in hex (up to 60)
//   8000   repeat                               start again from the top (else play once)
//
// Times are milliseconds, never falling. A unit's line becomes the 46-byte
// frame a control unit sends: 0xFF, 0x40, the unit, its alarm and fault bits.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct BusScriptFrame {
  std::chrono::milliseconds at{0};
  std::vector<std::uint8_t> bytes;
  friend bool operator==(const BusScriptFrame&, const BusScriptFrame&) = default;
};

struct BusScript {
  std::vector<BusScriptFrame> frames;
  std::optional<std::chrono::milliseconds> repeat_after;  // the length of one round
};

struct ParsedBusScript {
  std::optional<BusScript> script;
  std::string error;  // "line 3: unknown event \"adr 100. Alarm I\"" when there is no script
};

ParsedBusScript parse_bus_script(std::string_view text);
