#include "config/row_clipboard.h"

#include <algorithm>

namespace {

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \r") - first + 1);
}

std::optional<RowModes> parse_row(std::string_view line) {
  const auto separator_at = line.find_first_of("\t;,");
  const char separator = separator_at == std::string_view::npos ? '\t' : line[separator_at];
  RowModes modes{};
  std::size_t count = 0;
  while (true) {
    const auto end = line.find(separator);
    const std::string_view field = trimmed(line.substr(0, end));
    if (count == modes.size() || field.size() != 1 || field[0] < '0' || field[0] > '3') return std::nullopt;
    modes[count++] = static_cast<std::uint8_t>(field[0] - '0');
    if (end == std::string_view::npos) break;
    line.remove_prefix(end + 1);
  }
  if (count != modes.size()) return std::nullopt;
  return modes;
}

}  // namespace

std::string row_clipboard_text(const ConfigMatrix& matrix, int row) {
  std::string text;
  for (int column = 0; column < ConfigMatrix::kColumns; ++column) {
    if (column > 0) text += '\t';
    text += std::to_string(matrix.at(row, column));
  }
  return text;
}

std::optional<std::vector<RowModes>> parse_clipboard_rows(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  // A spreadsheet ends its copy with a line end.
  while (!lines.empty() && trimmed(lines.back()).empty()) lines.pop_back();
  if (lines.empty()) return std::nullopt;

  std::vector<RowModes> rows;
  for (const std::string_view line : lines) {
    const std::optional<RowModes> row = parse_row(line);
    if (!row) return std::nullopt;
    rows.push_back(*row);
  }
  return rows;
}

std::vector<CellValue> pasted_cells(const ConfigMatrix& matrix, int first_row, const std::vector<RowModes>& rows) {
  std::vector<CellValue> cells;
  for (std::size_t i = 0; i < rows.size() && first_row + static_cast<int>(i) < ConfigMatrix::kRows; ++i) {
    const int row = first_row + static_cast<int>(i);
    for (int column = 0; column < ConfigMatrix::kColumns; ++column) {
      cells.push_back({row, column, chosen_led_mode(matrix.at(row, column), rows[i][column])});
    }
  }
  return cells;
}
