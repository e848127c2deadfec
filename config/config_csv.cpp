// SPDX-License-Identifier: MIT
#include "config/config_csv.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <fstream>
#include <map>
#include <optional>
#include <vector>

#include "config/configuration_check.h"
#include "text/cp1250.h"
#include "text/trimmed.h"
#include "text/utf8_check.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kHeaderLabel = "Zdarzenie";
constexpr int kFields = 1 + ConfigMatrix::kColumns;  // the label, then outputs 1 to 25
constexpr int kFirstRowLine = 2;                     // line 1 is the header

// What is wrong, and in which column of the line being read.
struct Fault {
  int column;
  std::string what;
};

std::string error_text(int line, int column, const std::string& what) {
  return "Błąd w pliku CSV, wiersz " + std::to_string(line) + ", kolumna " + std::to_string(column) + ": " +
         what;
}

// A field quoted for the message: control bytes dropped, cut short at a
// character boundary so a long field does not swamp the message.
std::string quoted_for_message(std::string_view field) {
  constexpr std::size_t kShown = 24;
  std::string shown;
  for (const char c : field) {
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) shown += c;
  }
  if (shown.size() > kShown) {
    std::size_t cut = kShown;
    while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) --cut;
    shown = shown.substr(0, cut) + "…";
  }
  return "„" + shown + "”";
}

// Hands out the lines of the text one by one; a line ends at LF, CR LF or
// CR (the three line ends spreadsheets write).
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  bool next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const std::size_t end = text_.find_first_of("\r\n", pos_);
    if (end == std::string_view::npos) {
      line = text_.substr(pos_);
      pos_ = text_.size();
    } else {
      line = text_.substr(pos_, end - pos_);
      pos_ = end + ((text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n') ? 2 : 1);
    }
    ++number_;
    return true;
  }

  int number() const { return number_; }  // of the line last handed out, from 1
  std::string_view rest() const { return text_.substr(pos_); }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  int number_ = 0;
};

bool is_blank(std::string_view text, char separator) {
  return std::all_of(text.begin(), text.end(),
                     [separator](char c) { return c == ' ' || c == '\t' || c == separator || c == '\r' || c == '\n'; });
}

// The separator is the first ';', ',' or tab of the header line outside
// double quotes.
std::optional<char> find_separator(std::string_view header) {
  bool quoted = false;
  for (const char c : header) {
    if (c == '"') quoted = !quoted;
    else if (!quoted && (c == ';' || c == ',' || c == '\t')) return c;
  }
  return std::nullopt;
}

// Splits a line into its fields: blanks around a field are dropped; a field
// in double quotes may hold the separator, and "" stands for one quote.
std::optional<Fault> split_fields(std::string_view line, char separator, std::vector<std::string>& fields) {
  fields.clear();
  std::size_t pos = 0;
  auto skip_blanks = [&] {
    while (pos < line.size() && line[pos] == ' ') ++pos;
  };
  while (true) {
    const int column = static_cast<int>(fields.size()) + 1;
    std::string field;
    skip_blanks();
    if (pos < line.size() && line[pos] == '"') {
      ++pos;
      while (true) {
        if (pos >= line.size()) return Fault{column, "brak cudzysłowu zamykającego pole"};
        if (line[pos] == '"') {
          if (pos + 1 < line.size() && line[pos + 1] == '"') {
            field += '"';
            pos += 2;
            continue;
          }
          ++pos;
          break;
        }
        field += line[pos++];
      }
      skip_blanks();
      if (pos < line.size() && line[pos] != separator)
        return Fault{column, "znaki po cudzysłowie zamykającym pole"};
    } else {
      const std::size_t end = std::min(line.find(separator, pos), line.size());
      field = line.substr(pos, end - pos);
      while (!field.empty() && field.back() == ' ') field.pop_back();
      pos = end;
    }
    fields.push_back(std::move(field));
    if (pos >= line.size()) return std::nullopt;
    ++pos;  // the separator
  }
}

std::optional<Fault> check_field_count(const std::vector<std::string>& fields) {
  const int count = static_cast<int>(fields.size());
  if (count < kFields)
    return Fault{count + 1, "za mało kolumn: brak kolumny wyjścia " + std::to_string(count) +
                                " (wiersz ma mieć " + std::to_string(kFields) + " kolumn)"};
  if (count > kFields)
    return Fault{kFields + 1, "za dużo kolumn: wiersz ma mieć " + std::to_string(kFields) + " kolumn"};
  return std::nullopt;
}

std::optional<Fault> check_header(const std::vector<std::string>& fields) {
  if (auto fault = check_field_count(fields)) return fault;
  for (int output = 1; output < kFields; ++output) {
    if (fields[output] != std::to_string(output))
      return Fault{output + 1, "w nagłówku powinien być numer wyjścia „" + std::to_string(output) + "”, jest " +
                                   quoted_for_message(fields[output])};
  }
  return std::nullopt;
}

std::optional<Fault> read_value(int row, int output, const std::string& field, std::uint8_t& value) {
  const int column = output + 2;
  const bool no_function = row == ConfigMatrix::kNoFunctionRow;
  const std::string allowed = no_function ? "dozwolona tylko 255" : "dozwolone 0, 1, 2, 3";
  if (field.empty()) return Fault{column, "brak wartości wyjścia " + std::to_string(output + 1)};
  const bool digits = std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (!digits) return Fault{column, quoted_for_message(field) + " nie jest liczbą (" + allowed + ")"};
  const std::size_t first = std::min(field.find_first_not_of('0'), field.size() - 1);
  const std::string_view number = std::string_view(field).substr(first);
  const unsigned parsed = number.size() > 3 ? 1000u : static_cast<unsigned>(std::stoul(std::string(number)));
  if (parsed > 255 || !is_configuration_value(row, static_cast<std::uint8_t>(parsed))) {
    if (no_function)
      return Fault{column,
                   "w wierszu „" + row_label(row) + "” jest " + quoted_for_message(field) + " (" + allowed + ")"};
    if (parsed == LED_NOT_AVAILABLE)
      return Fault{column, "wartość 255 jest dozwolona tylko w wierszu „" + row_label(ConfigMatrix::kNoFunctionRow) + "”"};
    return Fault{column, "niedozwolona wartość " + quoted_for_message(field) + " (" + allowed + ")"};
  }
  value = static_cast<std::uint8_t>(parsed);
  return std::nullopt;
}


// A line of the table below the header, split into its fields.
struct TableLine {
  int number = 0;  // in the file, from 1
  std::vector<std::string> fields;
  std::optional<Fault> fault;  // of the split
  std::string_view label() const { return fields.empty() ? std::string_view() : trimmed(fields.front(), " \t"); }
};

// Rows are placed by their labels, each event exactly once; a table whose
// labels are all empty is placed by position. Says where each line goes.
class RowPlacement {
 public:
  explicit RowPlacement(const std::vector<TableLine>& lines) {
    by_label_ = std::any_of(lines.begin(), lines.end(), [](const TableLine& line) { return !line.label().empty(); });
    for (int row = 0; row < ConfigMatrix::kRows; ++row) rows_.emplace(row_label(row), row);
  }

  // The row of the `index`-th line below the header.
  std::optional<Fault> place(int index, const TableLine& line, int& row) {
    if (!by_label_) {
      row = index;
      if (row < ConfigMatrix::kRows) return std::nullopt;
      return Fault{1, "za dużo wierszy: tabela ma " + std::to_string(ConfigMatrix::kRows) +
                          " wierszy zdarzeń, w wierszach 2 do " + std::to_string(ConfigMatrix::kRows + 1)};
    }
    const std::string label(line.label());
    if (label.empty()) return Fault{1, "brak nazwy zdarzenia (inne wiersze ją mają)"};
    const auto found = rows_.find(label);
    if (found == rows_.end()) return Fault{1, "nieznane zdarzenie " + quoted_for_message(label)};
    row = found->second;
    if (placed_at_[row] != 0)
      return Fault{1, "zdarzenie " + quoted_for_message(label) + " powtarza się (pierwszy raz w wierszu " +
                          std::to_string(placed_at_[row]) + ")"};
    placed_at_[row] = line.number;
    return std::nullopt;
  }

  // Once every line is placed: the first event no line named, if any.
  std::optional<int> first_missing_row() const {
    for (int row = 0; row < ConfigMatrix::kRows; ++row)
      if (placed_at_[row] == 0) return row;
    return std::nullopt;
  }

  bool by_label() const { return by_label_; }

 private:
  bool by_label_ = false;
  std::map<std::string, int, std::less<>> rows_;
  std::array<int, ConfigMatrix::kRows> placed_at_{};
};

}  // namespace

namespace {

// A table saved as UTF-16 without its byte order mark: the header's ASCII
// letters come with a zero byte after (little endian) or before (big endian).
// Read as bytes it would fail on invisible zeros, with a message that makes
// no sense to the user.
const char* utf16_without_mark(std::string_view text) {
  if (text.size() < 2 || text.find('\0') == std::string_view::npos) return nullptr;
  if (text[0] != '\0' && text[1] == '\0') return "UTF-16LE";
  if (text[0] == '\0' && text[1] != '\0') return "UTF-16BE";
  return nullptr;
}

}  // namespace

FileResult parse_config_csv(std::string_view text, ConfigMatrix& matrix) {
  if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF"))
    return FileResult::failure(error_text(1, 1, "plik jest zapisany w UTF-16; zapisz tabelę jako CSV w UTF-8"));
  if (const char* encoding = utf16_without_mark(text))
    return FileResult::failure(error_text(1, 1, std::string("plik jest zapisany w ") + encoding +
                                        " (bez znacznika BOM); zapisz tabelę jako CSV w UTF-8"));
  if (text.starts_with(kUtf8ByteOrderMark)) text.remove_prefix(kUtf8ByteOrderMark.size());
  // A spreadsheet on a Polish Windows writes its "CSV" in Windows-1250.
  std::string decoded;
  if (!text::is_utf8(text)) {
    decoded = text::to_utf8(text);
    text = decoded;
  }

  if (is_blank(text, ' ')) return FileResult::failure(error_text(1, 1, "plik jest pusty"));
  LineReader lines(text);
  std::string_view line;
  lines.next(line);
  const std::optional<char> separator = find_separator(line);
  if (!separator)
    return FileResult::failure(error_text(1, 1, "nie rozpoznano separatora pól (średnik, przecinek lub tabulator)"));
  std::vector<std::string> fields;
  auto fault = split_fields(line, *separator, fields);
  if (!fault) fault = check_header(fields);
  if (fault) return FileResult::failure(error_text(1, fault->column, fault->what));

  // One line more than the table's rows is enough to tell that there are too many.
  std::vector<TableLine> table;
  while (table.size() <= static_cast<std::size_t>(ConfigMatrix::kRows) && lines.next(line)) {
    if (is_blank(line, *separator) && is_blank(lines.rest(), *separator)) break;
    TableLine& read = table.emplace_back();
    read.number = lines.number();
    read.fault = split_fields(line, *separator, read.fields);
  }

  RowPlacement placement(table);
  ConfigMatrix read;  // every cell is written below before it is used
  for (std::size_t index = 0; index < table.size(); ++index) {
    const TableLine& row_line = table[index];
    int row = 0;
    fault = row_line.fault;
    if (!fault) fault = placement.place(static_cast<int>(index), row_line, row);
    if (!fault) fault = check_field_count(row_line.fields);
    for (int output = 0; !fault && output < ConfigMatrix::kColumns; ++output) {
      std::uint8_t value = 0;
      fault = read_value(row, output, row_line.fields[output + 1], value);
      read.set(row, output, value);
    }
    if (fault) return FileResult::failure(error_text(row_line.number, fault->column, fault->what));
  }
  if (table.size() < static_cast<std::size_t>(ConfigMatrix::kRows)) {
    const int line_after = kFirstRowLine + static_cast<int>(table.size());
    const std::string missing = " (brakuje " + std::to_string(ConfigMatrix::kRows - table.size()) + " z " +
                                std::to_string(ConfigMatrix::kRows) + " wierszy)";
    if (!placement.by_label())
      return FileResult::failure(error_text(line_after, 1, "plik kończy się przed wierszem zdarzenia „" +
                                                   row_label(static_cast<int>(table.size())) + "”" + missing));
    return FileResult::failure(error_text(line_after, 1, "brak wiersza zdarzenia „" +
                                                 row_label(placement.first_missing_row().value_or(0)) + "”" +
                                                 missing));
  }
  matrix = read;
  FileResult result;
  result.ok = true;
  result.values_read = ConfigMatrix::kCells;
  return result;
}

std::string config_csv_text(const ConfigMatrix& matrix) {
  std::string text(kUtf8ByteOrderMark);
  text.reserve(32 * 1024);
  text += kHeaderLabel;
  for (int output = 1; output <= ConfigMatrix::kColumns; ++output) text += ";" + std::to_string(output);
  text += "\r\n";
  // The labels are the program's own and hold no ';', quote or line end, so
  // they need no quoting.
  for (int row = 0; row < ConfigMatrix::kRows; ++row) {
    text += row_label(row);
    for (int column = 0; column < ConfigMatrix::kColumns; ++column)
      text += ";" + std::to_string(matrix.at(row, column));
    text += "\r\n";
  }
  return text;
}

FileResult save_config_csv(const fs::path& path, const ConfigMatrix& matrix) {
  const std::string text = config_csv_text(matrix);
  return save_text_durably(path, text);
}

FileResult load_config_csv(const fs::path& path, ConfigMatrix& matrix) {
  std::string text;
  if (FileResult read = read_small_file(path, kMaxConfigCsvBytes, "tabela konfiguracji", text); !read.ok) return read;
  return parse_config_csv(text, matrix);
}

bool has_csv_extension(const fs::path& path) { return has_file_extension(path, ".csv"); }

std::string csv_field(std::string_view text) {
  if (text.find_first_of(";\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}
