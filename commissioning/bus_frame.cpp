#include "commissioning/bus_frame.h"

namespace {
constexpr std::size_t kAlarmStates = 3;
constexpr std::size_t kFaults = 28;

int row_of(int address, int kind) { return ConfigMatrix::kFirstAddressRow + 3 * address + kind; }
}  // namespace

std::optional<BusUnitState> decode_bus_frame(const std::uint8_t* data, std::size_t length) {
  if (length != kBusFrameSize || data[0] != 0xFF || data[1] != 0x40) return std::nullopt;
  BusUnitState state;
  state.unit = data[2];
  for (int address = 0; address < ConfigMatrix::kAddresses; ++address) {
    const int alarm = (data[kAlarmStates + address / 4] >> (2 * (address % 4))) & 0x3;
    if (alarm & 0x2) state.events.set(row_of(address, 1));
    else if (alarm == 1) state.events.set(row_of(address, 0));
    if ((data[kFaults + address / 8] >> (address % 8)) & 0x1) state.events.set(row_of(address, 2));
  }
  return state;
}
