// SPDX-License-Identifier: MIT
#pragma once
// What a configuration is: every cell of the event rows holds a mode 0-3 and
// every cell of row 4, which the module has no event for, holds 255. Only
// such a table may reach the grid, a file or the module; whatever brings one
// in (a file, a table, the clipboard, the module) checks it here.

#include <cstdint>
#include <optional>
#include <string>

#include "config/config_matrix.h"

constexpr bool is_configuration_value(int row, std::uint8_t value) {
  return row == ConfigMatrix::kNoFunctionRow ? value == LED_NOT_AVAILABLE : value <= LED_STEADY;
}

// The first cell, row by row and output by output, that breaks the rule.
std::optional<CellValue> first_invalid_cell(const ConfigMatrix& matrix);

// "wiersz „adr 2. Alarm I”, wyjście 2, wartość 4" (outputs counted from 1).
std::string invalid_cell_text(const CellValue& cell);

// Empty for a configuration, otherwise invalid_cell_text of its first bad cell.
std::string configuration_fault(const ConfigMatrix& matrix);
