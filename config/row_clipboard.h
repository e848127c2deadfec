// SPDX-License-Identifier: MIT
#pragma once
// Cells of the grid as clipboard text: one line per row, its modes in
// decimal separated by tabs, so that a spreadsheet puts each in a cell of
// its own; pasted text may also separate them by semicolons or commas.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/cell_block.h"
#include "config/config_matrix.h"

// Lines of modes, all of the same length (1 to 25).
using ModeLines = std::vector<std::vector<std::uint8_t>>;

std::string block_clipboard_text(const ConfigMatrix& matrix, const CellBlock& block);
// The whole row: 25 modes.
std::string row_clipboard_text(const ConfigMatrix& matrix, int row);

// Every line must hold 1 to 25 modes 0-3 or 255 (a copied cell that is not
// available), every line as many (LF or CR LF line ends; blank lines after
// the last one are ignored). Anything else gives no lines at all.
std::optional<ModeLines> parse_clipboard_modes(std::string_view text);

// The cells that pasting `lines` sets, their first at (row, column): lines
// of 25 modes are whole rows and always start in column 0. What falls past
// the grid's last row or column is left out; cells that are not available
// keep 255. A 255 is taken only where it lands on such a cell (a copied
// block that spans row 4 goes back where it came from); anywhere else the
// paste is refused: nothing.
std::optional<std::vector<CellValue>> pasted_cells(const ConfigMatrix& matrix, int row, int column,
                                                   const ModeLines& lines);
