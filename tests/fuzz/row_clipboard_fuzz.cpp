// SPDX-License-Identifier: MIT
// Pasting clipboard text: whatever it holds, a paste sets only cells inside
// the grid, to modes 0-3, and leaves every cell that is not available at
// 255. The first two bytes choose the cell the paste starts at.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "config/row_clipboard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int row = (data[0] * 256 + data[1]) % ConfigMatrix::kRows;
  const int column = data[1] % ConfigMatrix::kColumns;
  const auto lines = parse_clipboard_modes(std::string_view(reinterpret_cast<const char*>(data + 2), size - 2));
  if (!lines) return 0;
  const ConfigMatrix matrix;
  const auto cells = pasted_cells(matrix, row, column, *lines);
  if (!cells) return 0;
  for (const CellValue& cell : *cells) {
    if (cell.row < 0 || cell.row >= ConfigMatrix::kRows || cell.column < 0 || cell.column >= ConfigMatrix::kColumns)
      std::abort();
    const bool available = matrix.at(cell.row, cell.column) != LED_NOT_AVAILABLE;
    if (available ? cell.value > 3 : cell.value != LED_NOT_AVAILABLE) std::abort();
  }
  return 0;
}
