// SPDX-License-Identifier: MIT
#include "config/configuration_check.h"

std::optional<CellValue> first_invalid_cell(const ConfigMatrix& matrix) {
  for (int row = 0; row < ConfigMatrix::kRows; ++row)
    for (int column = 0; column < ConfigMatrix::kColumns; ++column)
      if (!is_configuration_value(row, matrix.at(row, column))) return CellValue{row, column, matrix.at(row, column)};
  return std::nullopt;
}

std::string invalid_cell_text(const CellValue& cell) {
  return "wiersz „" + row_label(cell.row) + "”, wyjście " + std::to_string(cell.column + 1) + ", wartość " +
         std::to_string(cell.value);
}

std::string configuration_fault(const ConfigMatrix& matrix) {
  const std::optional<CellValue> bad = first_invalid_cell(matrix);
  return bad ? invalid_cell_text(*bad) : std::string();
}
