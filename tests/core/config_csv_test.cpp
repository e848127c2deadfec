// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "config/config_csv.h"
#include "text/cp1250.h"

namespace fs = std::filesystem;

namespace {

const std::string kBom = "\xEF\xBB\xBF";

// Cells 0 to 3 anywhere and 255 on row 4: everything a table may hold.
ConfigMatrix random_matrix(unsigned seed) {
  std::mt19937 random(seed);
  ConfigMatrix matrix;
  for (int row = 0; row < ConfigMatrix::kRows; ++row)
    for (int column = 0; column < ConfigMatrix::kColumns; ++column)
      if (row != ConfigMatrix::kNoFunctionRow) matrix.set(row, column, static_cast<std::uint8_t>(random() % 4));
  return matrix;
}

// The exported table's lines, without the byte order mark and line ends.
std::vector<std::string> csv_lines(const ConfigMatrix& matrix) {
  std::string text = config_csv_text(matrix).substr(kBom.size());
  std::vector<std::string> lines;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t end = text.find("\r\n", pos);
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

// The same lines with the labels below the header left empty.
std::vector<std::string> without_labels(std::vector<std::string> lines) {
  for (std::size_t k = 1; k < lines.size(); ++k) lines[k] = lines[k].substr(lines[k].find(';'));
  return lines;
}

std::string join(const std::vector<std::string>& lines, const std::string& line_end = "\r\n") {
  std::string text;
  for (const auto& line : lines) text += line + line_end;
  return text;
}

std::string replace_all(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t pos = 0; (pos = text.find(from, pos)) != std::string::npos; pos += to.size())
    text.replace(pos, from.size(), to);
  return text;
}

// Every field in double quotes; the header's label, which is not read,
// holds the separator and a quote inside them.
std::string all_quoted(const std::vector<std::string>& lines) {
  std::vector<std::string> quoted;
  for (const auto& line : lines) {
    const std::size_t first = line.find(';');
    const std::string more = quoted.empty() ? "; \"\"cytat\"\"" : "";
    quoted.push_back("\"" + line.substr(0, first) + more + "\";\"" +
                     replace_all(line.substr(first + 1), ";", "\";\"") + "\"");
  }
  return join(quoted);
}

class ConfigCsvFile : public testing::Test {
 protected:
  void SetUp() override {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    dir_ = fs::temp_directory_path() / ("zel-config-csv-" + std::to_string(stamp));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  fs::path dir_;
};

TEST_F(ConfigCsvFile, ExportIsTheSpreadsheetTableAndImportGivesBackTheSameGrid) {
  const ConfigMatrix saved = random_matrix(1);
  const std::string text = config_csv_text(saved);
  ASSERT_TRUE(text.starts_with(kBom + "Zdarzenie;1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;17;18;19;20;21;22;23;24;25\r\n"));
  EXPECT_EQ(replace_all(text, "\r\n", "").find('\n'), std::string::npos);  // CR LF only
  const std::vector<std::string> lines = csv_lines(saved);
  ASSERT_EQ(lines.size(), 306u);
  std::string row_304 = "adr 99. Awaria";
  for (int column = 0; column < ConfigMatrix::kColumns; ++column)
    row_304 += ";" + std::to_string(saved.at(304, column));
  EXPECT_EQ(lines[305], row_304);
  EXPECT_TRUE(lines[1].starts_with("Brak zdarzeń;"));
  EXPECT_TRUE(lines[5].starts_with("(brak funckji);"));

  // Through a file, and in the shapes spreadsheets write back.
  const fs::path file = dir_ / "konfiguracja.csv";
  ASSERT_TRUE(save_config_csv(file, saved).ok);
  struct Variant {
    const char* name;
    std::string text;
  };
  const std::string body = join(lines);
  const Variant variants[] = {
      {"without byte order mark, LF", join(lines, "\n")},
      {"commas, CR", replace_all(join(lines, "\r"), ";", ",")},
      {"tabs, blank lines after the table", replace_all(body, ";", "\t") + "\r\n\t\t\r\n"},
      {"every field quoted", kBom + all_quoted(lines)},
      {"blanks around the values", replace_all(body, ";", " ; ")},
  };
  ConfigMatrix loaded;
  const FileResult from_file = load_config_csv(file, loaded);
  ASSERT_TRUE(from_file.ok) << from_file.reason;
  EXPECT_EQ(from_file.values_read, static_cast<std::size_t>(ConfigMatrix::kCells));
  EXPECT_EQ(loaded, saved);
  for (const Variant& variant : variants) {
    ConfigMatrix parsed;
    const FileResult result = parse_config_csv(variant.text, parsed);
    EXPECT_TRUE(result.ok) << variant.name << ": " << result.reason;
    EXPECT_EQ(parsed, saved) << variant.name;
  }

  // A value the grid can only get from a .zel file is written as it is.
  ConfigMatrix odd;
  odd.set(7, 3, 7);
  EXPECT_EQ(csv_lines(odd)[8], "adr 0. Awaria;0;0;0;7;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0");
}

TEST_F(ConfigCsvFile, MalformedTablesChangeNoCellAndNameTheLineAndColumn) {
  const std::vector<std::string> good = csv_lines(random_matrix(2));
  auto edited = [&](int line, const std::string& text) {  // line counted from 1
    std::vector<std::string> lines = good;
    lines[line - 1] = text;
    return kBom + join(lines);
  };
  auto first_lines = [&](std::size_t count) {
    return kBom + join(std::vector<std::string>(good.begin(), good.begin() + count));
  };
  const std::string values = ";0;1;2;3;0;1;2;3;0;1;2;3;0;1;2;3;0;1;2;3;0;1;2;3";  // 24 of 25
  const std::vector<std::string> unlabelled = without_labels(good);  // placed by position
  const auto unlabelled_lines = [&](std::size_t count) {
    return kBom + join(std::vector<std::string>(unlabelled.begin(), unlabelled.begin() + count));
  };
  struct Case {
    const char* name;
    std::string text;
    const char* where;
  };
  const Case cases[] = {
      {"short line", edited(12, "adr 2. Alarm I" + values), "wiersz 12, kolumna 26: za mało kolumn"},
      {"value 4", edited(12, "adr 2. Alarm I;0;0;0;0;0;4" + values.substr(10)), "wiersz 12, kolumna 7: niedozwolona"},
      {"letters", edited(2, "Brak zdarzeń;x" + values), "wiersz 2, kolumna 2: „x” nie jest liczbą"},
      {"255 outside row 4", edited(7, "adr 0. Alarm I" + values + ";255"), "wiersz 7, kolumna 26: wartość 255"},
      {"empty value", edited(306, "adr 99. Awaria;;" + values.substr(1)), "wiersz 306, kolumna 2: brak wartości"},
      {"26 values", edited(50, good[49] + ";0"), "wiersz 50, kolumna 27: za dużo kolumn"},
      {"value 257", edited(12, "adr 2. Alarm I;257" + values), "wiersz 12, kolumna 2: niedozwolona wartość „257”"},
      {"wrong last output in the header", edited(1, good[0].substr(0, good[0].rfind(';')) + ";26"),
       "wiersz 1, kolumna 26: w nagłówku powinien być numer wyjścia „25”, jest „26”"},
      {"306 unlabelled rows", unlabelled_lines(306) + unlabelled[305] + "\r\n", "wiersz 307, kolumna 1: za dużo wierszy"},
      {"short unlabelled table", unlabelled_lines(101),
       "wiersz 102, kolumna 1: plik kończy się przed wierszem zdarzenia „adr 31. Awaria”"},
      {"a mode in row 4", edited(6, "(brak funckji);255;2" + values.substr(2)), "wiersz 6, kolumna 3: w wierszu „(brak funckji)” jest „2”"},
      {"missing rows", first_lines(101), "wiersz 102, kolumna 1: brak wiersza zdarzenia „adr 31. Awaria” (brakuje 205"},
      {"306 rows", kBom + join(good) + "adr 100. Alarm I" + values + ";0\r\n", "wiersz 307, kolumna 1: nieznane zdarzenie „adr 100. Alarm I”"},
      {"unknown label", edited(9, "adr 1. Alarm 1" + good[8].substr(good[8].find(';'))), "wiersz 9, kolumna 1: nieznane zdarzenie „adr 1. Alarm 1”"},
      {"repeated label", edited(30, good[28]), "wiersz 30, kolumna 1: zdarzenie „adr 7. Alarm II” powtarza się (pierwszy raz w wierszu 29)"},
      {"one label empty", edited(40, good[39].substr(good[39].find(';'))), "wiersz 40, kolumna 1: brak nazwy zdarzenia"},
      {"empty file", "", "wiersz 1, kolumna 1: plik jest pusty"},
      {"only a byte order mark", kBom + "\r\n", "wiersz 1, kolumna 1: plik jest pusty"},
      {"no header", edited(1, "Brak zdarzeń;0" + values), "wiersz 1, kolumna 2: w nagłówku"},
      {"no separator", kBom + "Zdarzenie\r\n", "wiersz 1, kolumna 1: nie rozpoznano separatora"},
      {"open quote", edited(3, "\"Strata łączności" + values + ";0"), "wiersz 3, kolumna 1: brak cudzysłowu"},
      {"UTF-16", std::string("\xFF\xFEZ\0d\0", 6), "wiersz 1, kolumna 1: plik jest zapisany w UTF-16"},
      {"UTF-16LE without a mark", std::string("Z\0;\0" "1\0;\0" "2\0", 10),
       "wiersz 1, kolumna 1: plik jest zapisany w UTF-16LE (bez znacznika BOM)"},
      {"UTF-16BE without a mark", std::string("\0Z\0;\0" "1\0;\0" "2", 10),
       "wiersz 1, kolumna 1: plik jest zapisany w UTF-16BE (bez znacznika BOM)"},
  };
  for (const Case& c : cases) {
    ConfigMatrix matrix = random_matrix(3);
    const ConfigMatrix before = matrix;
    const FileResult result = parse_config_csv(c.text, matrix);
    EXPECT_FALSE(result.ok) << c.name;
    EXPECT_TRUE(result.reason.starts_with(std::string("Błąd w pliku CSV, ") + c.where)) << c.name << ": " << result.reason;
    EXPECT_EQ(matrix, before) << c.name;
  }

  // The same through a file, and files that are no table at all.
  ConfigMatrix matrix = random_matrix(4);
  const ConfigMatrix before = matrix;
  std::ofstream(dir_ / "krotki.csv", std::ios::binary) << first_lines(101);
  FileResult result = load_config_csv(dir_ / "krotki.csv", matrix);
  EXPECT_TRUE(result.reason.starts_with("Błąd w pliku CSV, wiersz 102, kolumna 1: ")) << result.reason;
  result = load_config_csv(dir_ / "brak.csv", matrix);
  EXPECT_EQ(result.reason, "plik nie istnieje");
  std::ofstream(dir_ / "duzy.csv", std::ios::binary) << kBom + join(good) + std::string(kMaxConfigCsvBytes, '\n');
  result = load_config_csv(dir_ / "duzy.csv", matrix);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.reason.starts_with("plik jest za duży")) << result.reason;
  EXPECT_EQ(matrix, before);
}

// A table sorted in a spreadsheet, or saved by one on a Polish Windows,
// lands every row on its own event.
TEST_F(ConfigCsvFile, RowsArePlacedByTheirLabels) {
  const ConfigMatrix saved = random_matrix(5);
  const std::vector<std::string> lines = csv_lines(saved);
  std::vector<std::string> sorted = lines;
  std::sort(sorted.begin() + 1, sorted.end());  // "adr 1...", "adr 10...", ...
  ASSERT_NE(sorted, lines);
  std::vector<std::string> spaced = lines;
  std::reverse(spaced.begin() + 1, spaced.end());
  for (std::size_t k = 1; k < spaced.size(); ++k) spaced[k] = (k % 2 ? "  \"  " : "\" ") + spaced[k].replace(spaced[k].find(';'), 1, "  \";");
  const std::vector<std::string> unlabelled = without_labels(lines);

  struct Variant {
    const char* name;
    std::string text;
  };
  const Variant variants[] = {
      {"sorted by label", kBom + join(sorted)},
      {"reversed, labels in quotes with spaces", join(spaced, "\n")},
      {"sorted, Windows-1250", text::to_cp1250(join(sorted))},
      {"no labels at all: by position", join(unlabelled)},
  };
  for (const Variant& variant : variants) {
    ConfigMatrix parsed;
    const FileResult result = parse_config_csv(variant.text, parsed);
    EXPECT_TRUE(result.ok) << variant.name << ": " << result.reason;
    EXPECT_EQ(parsed, saved) << variant.name;
  }
  EXPECT_NE(text::to_cp1250(join(sorted)), join(sorted));  // the letters are other bytes there

  // One event left out of a sorted table: named, with the line after the last.
  std::vector<std::string> short_one = sorted;
  short_one.erase(std::find(short_one.begin(), short_one.end(), lines[28]));
  ConfigMatrix matrix = saved;
  const FileResult result = parse_config_csv(join(short_one), matrix);
  EXPECT_EQ(result.reason.substr(0, result.reason.find(" (")),
            "Błąd w pliku CSV, wiersz 306, kolumna 1: brak wiersza zdarzenia „adr 7. Alarm II”");
}

TEST(ConfigCsvName, CsvExtensionInAnyCase) {
  EXPECT_TRUE(has_csv_extension("tabela.csv"));
  EXPECT_TRUE(has_csv_extension(utf8_path("/dom/ŻÓŁW.CSV")));
  EXPECT_TRUE(has_csv_extension("a.Csv"));
  EXPECT_FALSE(has_csv_extension("konfiguracja.zel"));
  EXPECT_FALSE(has_csv_extension("tabela.csv.zel"));
  EXPECT_FALSE(has_csv_extension("/dane.csv/plik"));
  EXPECT_FALSE(has_csv_extension("csv"));
}

}  // namespace
