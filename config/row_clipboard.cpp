// SPDX-License-Identifier: MIT
#include "config/row_clipboard.h"

#include <algorithm>

#include "text/trimmed.h"

namespace {

// A spreadsheet's line may end in CR LF.
constexpr std::string_view kBlanks = " \r";

std::optional<std::vector<std::uint8_t>> parse_line(std::string_view line) {
  const auto separator_at = line.find_first_of("\t;,");
  const char separator = separator_at == std::string_view::npos ? '\t' : line[separator_at];
  std::vector<std::uint8_t> modes;
  while (true) {
    const auto end = line.find(separator);
    const std::string_view field = trimmed(line.substr(0, end), kBlanks);
    if (modes.size() == ConfigMatrix::kColumns) return std::nullopt;
    // 255 is what a copy of row 4 holds; where it may land is for the paste to say.
    if (field == "255") {
      modes.push_back(LED_NOT_AVAILABLE);
    } else if (field.size() == 1 && field[0] >= '0' && field[0] <= '3') {
      modes.push_back(static_cast<std::uint8_t>(field[0] - '0'));
    } else {
      return std::nullopt;
    }
    if (end == std::string_view::npos) break;
    line.remove_prefix(end + 1);
  }
  return modes;
}

}  // namespace

std::string block_clipboard_text(const ConfigMatrix& matrix, const CellBlock& block) {
  std::string text;
  for (int row = block.top(); row <= block.bottom(); ++row) {
    if (row > block.top()) text += '\n';
    for (int column = block.left(); column <= block.right(); ++column) {
      if (column > block.left()) text += '\t';
      text += std::to_string(matrix.at(row, column));
    }
  }
  return text;
}

std::string row_clipboard_text(const ConfigMatrix& matrix, int row) {
  return block_clipboard_text(matrix, CellBlock{row, 0, row, ConfigMatrix::kColumns - 1});
}

std::optional<ModeLines> parse_clipboard_modes(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  // A spreadsheet ends its copy with a line end.
  while (!lines.empty() && trimmed(lines.back(), kBlanks).empty()) lines.pop_back();
  if (lines.empty()) return std::nullopt;

  ModeLines parsed;
  for (const std::string_view line : lines) {
    std::optional<std::vector<std::uint8_t>> modes = parse_line(line);
    if (!modes || (!parsed.empty() && modes->size() != parsed.front().size())) return std::nullopt;
    parsed.push_back(std::move(*modes));
  }
  return parsed;
}

std::optional<std::vector<CellValue>> pasted_cells(const ConfigMatrix& matrix, int row, int column,
                                                   const ModeLines& lines) {
  if (!lines.empty() && lines.front().size() == ConfigMatrix::kColumns) column = 0;
  std::vector<CellValue> cells;
  for (std::size_t i = 0; i < lines.size() && row + static_cast<int>(i) < ConfigMatrix::kRows; ++i) {
    const int r = row + static_cast<int>(i);
    for (std::size_t j = 0; j < lines[i].size() && column + static_cast<int>(j) < ConfigMatrix::kColumns; ++j) {
      const int c = column + static_cast<int>(j);
      const std::uint8_t mode = lines[i][j];
      if (mode == LED_NOT_AVAILABLE && matrix.at(r, c) != LED_NOT_AVAILABLE) return std::nullopt;
      cells.push_back({r, c, chosen_led_mode(matrix.at(r, c), mode)});
    }
  }
  return cells;
}
