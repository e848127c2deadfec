// SPDX-License-Identifier: MIT
#include "config/address_fill.h"

#include <algorithm>

std::vector<CellValue> address_fill_cells(const ConfigMatrix& matrix, const AddressFill& fill) {
  std::vector<CellValue> cells;
  const auto put = [&](int row, int column, std::uint8_t mode) {
    const std::uint8_t now = matrix.at(row, column);
    const std::uint8_t wanted = chosen_led_mode(now, mode);
    if (wanted != now) cells.push_back({row, column, wanted});
  };
  const int first = std::clamp(fill.first_address, 0, ConfigMatrix::kAddresses - 1);
  const int last = std::clamp(fill.last_address, 0, ConfigMatrix::kAddresses - 1);
  const int first_column = std::clamp(fill.first_lamp, 1, ConfigMatrix::kColumns) - 1;
  for (int address = first; address <= last; ++address) {
    const int column =
        fill.consecutive_lamps ? (first_column + address - first) % ConfigMatrix::kColumns : first_column;
    for (const AddressEvent event : {AddressEvent::alarm_1, AddressEvent::alarm_2, AddressEvent::fault}) {
      const std::optional<std::uint8_t> mode = fill.modes[static_cast<int>(event)];
      if (!mode) continue;
      const int row = address_row(address, event);
      for (int c = 0; c < ConfigMatrix::kColumns; ++c) {
        if (c == column) put(row, c, *mode);
        else if (fill.others_off) put(row, c, LED_OFF);
      }
    }
  }
  return cells;
}
