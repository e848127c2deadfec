#pragma once
// Rows of the grid as clipboard text. A row is one line of its 25 modes in
// decimal, separated by tabs, so that a spreadsheet puts each in a cell of
// its own; pasted text may also separate them by semicolons or commas.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/config_matrix.h"

using RowModes = std::array<std::uint8_t, ConfigMatrix::kColumns>;

std::string row_clipboard_text(const ConfigMatrix& matrix, int row);

// Every line must hold exactly 25 modes 0-3 (LF or CR LF line ends; blank
// lines after the last row are ignored). Anything else gives no rows at all.
std::optional<std::vector<RowModes>> parse_clipboard_rows(std::string_view text);

// The cells that pasting `rows` from `first_row` down sets: rows past the
// last one are left out, and cells that are not available keep 255.
std::vector<CellValue> pasted_cells(const ConfigMatrix& matrix, int first_row, const std::vector<RowModes>& rows);
