// SPDX-License-Identifier: MIT
#pragma once
// Lamps assigned to a range of addresses by one rule, as a panel is wired:
// address `first_address` + i lights lamp `first_lamp` + i (after lamp 25
// the count goes on from lamp 1), or every address the same lamp. Each of
// the three events of an address gets its own mode or is left as it is.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "config/config_matrix.h"

struct AddressFill {
  int first_address = 0;  // 0-99
  int last_address = ConfigMatrix::kAddresses - 1;  // first_address-99
  int first_lamp = 1;     // 1-25
  bool consecutive_lamps = true;
  // By AddressEvent; no value: the event's row is left as it is.
  std::array<std::optional<std::uint8_t>, 3> modes{};
  // The other 24 lamps of every row that gets a mode are set off.
  bool others_off = false;
  friend bool operator==(const AddressFill&, const AddressFill&) = default;
};

// The cells the rule changes, with their new values; cells that already
// hold their value and cells that are not available are left out.
std::vector<CellValue> address_fill_cells(const ConfigMatrix& matrix, const AddressFill& fill);
