// SPDX-License-Identifier: MIT
#include "commissioning/bus_frame.h"

#include "config/bus_frame_layout.h"

std::optional<BusUnitState> decode_bus_frame(const std::uint8_t* data, std::size_t length) {
  namespace layout = bus_frame_layout;
  if (length != layout::kSize || data[0] != layout::kFirst || data[1] != layout::kSecond) return std::nullopt;
  BusUnitState state;
  state.unit = data[layout::kUnit];
  for (int address = 0; address < ConfigMatrix::kAddresses; ++address) {
    const int alarm = (data[layout::alarm_byte(address)] >> layout::alarm_shift(address)) & layout::kAlarmStateMask;
    if (alarm & layout::kAlarmIIBit) state.events.set(address_row(address, AddressEvent::alarm_2));
    else if (alarm == layout::kAlarmI) state.events.set(address_row(address, AddressEvent::alarm_1));
    if ((data[layout::fault_byte(address)] >> layout::fault_bit(address)) & 0x1)
      state.events.set(address_row(address, AddressEvent::fault));
  }
  return state;
}
