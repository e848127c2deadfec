// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "config/config_file.h"
#include "scratch_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kCells = ConfigMatrix::kCells;

// A configuration whose cells differ from the start state, so "unchanged" means something.
ConfigMatrix random_matrix(unsigned seed) {
  std::mt19937 random(seed);
  ConfigMatrix matrix;
  for (int row = 0; row < ConfigMatrix::kRows; ++row)
    for (int column = 0; column < ConfigMatrix::kColumns; ++column)
      if (row != ConfigMatrix::kNoFunctionRow) matrix.set(row, column, static_cast<std::uint8_t>(random() % 4));
  return matrix;
}

// Bytes that are cell values only: no white space and no 26.
Bytes value_bytes(std::size_t count, unsigned seed) {
  std::mt19937 random(seed);
  Bytes bytes(count);
  for (auto& b : bytes) {
    do b = static_cast<std::uint8_t>(random()); while ((b >= 9 && b <= 13) || b == 32 || b == 26);
  }
  return bytes;
}

using ConfigFile = ScratchFolderTest;

TEST_F(ConfigFile, SaveWritesTheCellsInIndexOrderAndLoadsThemBack) {
  ConfigMatrix saved = random_matrix(1);
  saved.set(0, 1, 2);
  saved.set(304, 24, 3);
  const fs::path file = path("konfiguracja.zel");
  const FileResult save = save_config_file(file, saved);
  ASSERT_TRUE(save.ok) << save.reason;
  EXPECT_TRUE(save.reason.empty());

  const Bytes on_disk = read_bytes(file);
  ASSERT_EQ(on_disk.size(), kCells);
  EXPECT_TRUE(std::equal(on_disk.begin(), on_disk.end(), saved.bytes().begin()));
  EXPECT_EQ(on_disk[305], 2);  // row 0 of column 1
  EXPECT_EQ(on_disk[4], 255);  // row 4 is stored like any other row
  EXPECT_EQ(on_disk[kCells - 1], 3);

  ConfigMatrix loaded;
  const FileResult load = load_config_file(file, loaded);
  ASSERT_TRUE(load.ok) << load.reason;
  EXPECT_EQ(load.values_read, kCells);
  EXPECT_EQ(loaded, saved);
  EXPECT_EQ(entries(), std::vector<std::string>{"konfiguracja.zel"});  // no temporary left
}

TEST_F(ConfigFile, SavingOverALongerFileLeavesExactlyTheCells) {
  const fs::path file = path("stary.zel");
  write_bytes(file, Bytes(10000, 0xAA));
  const ConfigMatrix saved = random_matrix(2);
  ASSERT_TRUE(save_config_file(file, saved).ok);
  const Bytes on_disk = read_bytes(file);
  EXPECT_EQ(on_disk.size(), kCells);
  EXPECT_TRUE(std::equal(on_disk.begin(), on_disk.end(), saved.bytes().begin()));
  EXPECT_EQ(entries(), std::vector<std::string>{"stary.zel"});
}

TEST_F(ConfigFile, FailedSaveLeavesTheOldFileByteForByte) {
  const Bytes old_contents = value_bytes(10000, 3);
  const ConfigMatrix matrix = random_matrix(4);

  // The disk fills up after 1000 bytes.
  const ContentWriter fails_part_way = [](const ByteSink& sink, std::span<const std::uint8_t> bytes) {
    sink(bytes.first(1000));
    return false;
  };
  // A writer that loses bytes without noticing.
  const ContentWriter writes_short = [](const ByteSink& sink, std::span<const std::uint8_t> bytes) {
    return sink(bytes.first(7000));
  };
  for (const ContentWriter* writer : {&fails_part_way, &writes_short}) {
    const fs::path file = path("cenna.zel");
    write_bytes(file, old_contents);
    const FileResult result = save_config_file(file, matrix, *writer);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_EQ(read_bytes(file), old_contents);
    EXPECT_EQ(entries(), std::vector<std::string>{"cenna.zel"});
  }
}

TEST_F(ConfigFile, SaveThatCannotWriteReportsAndLeavesTheDiskAsItWas) {
  const ConfigMatrix matrix = random_matrix(5);
  const Bytes old_contents = value_bytes(kCells, 6);

  // The folder named in the path is a regular file: nothing can be created
  // in it, whoever runs the test.
  write_bytes(path("nie-folder"), old_contents);
  FileResult result = save_config_file(path("nie-folder") / "konfiguracja.zel", matrix);
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.reason.empty());
  EXPECT_EQ(read_bytes(path("nie-folder")), old_contents);

  result = save_config_file(path("brak") / "konfiguracja.zel", matrix);
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(fs::exists(path("brak")));

  // The target is a folder: the replacement can't go over it.
  fs::create_directory(path("folder.zel"));
  write_bytes(path("folder.zel") / "w-srodku", old_contents);
  result = save_config_file(path("folder.zel"), matrix);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(fs::is_directory(path("folder.zel")));
  EXPECT_EQ(read_bytes(path("folder.zel") / "w-srodku"), old_contents);

  // A read-only file is not replaced.
  write_bytes(path("tylko-odczyt.zel"), old_contents);
  fs::permissions(path("tylko-odczyt.zel"),
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  result = save_config_file(path("tylko-odczyt.zel"), matrix);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.reason, "plik jest tylko do odczytu");
  EXPECT_EQ(read_bytes(path("tylko-odczyt.zel")), old_contents);

  EXPECT_EQ(entries(), (std::vector<std::string>{"folder.zel", "nie-folder", "tylko-odczyt.zel"}));
}

TEST_F(ConfigFile, SaveKeepsTheReplacedFilesAccessRights) {
  const fs::path file = path("prywatna.zel");
  write_bytes(file, Bytes(kCells, 0));
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
  const fs::perms kept = fs::status(file).permissions();  // Windows keeps only a read-only flag
  ASSERT_TRUE(save_config_file(file, random_matrix(7)).ok);
  EXPECT_EQ(fs::status(file).permissions(), kept);
}

TEST_F(ConfigFile, SaveThroughALinkReplacesTheLinkedFile) {
  write_bytes(path("prawdziwa.zel"), Bytes(10000, 1));
  std::error_code error;
  fs::create_symlink("prawdziwa.zel", path("skrot.zel"), error);
  if (error) GTEST_SKIP() << "no symbolic links here: " << error.message();
  const ConfigMatrix saved = random_matrix(8);
  ASSERT_TRUE(save_config_file(path("skrot.zel"), saved).ok);
  EXPECT_TRUE(fs::is_symlink(path("skrot.zel")));
  const Bytes on_disk = read_bytes(path("prawdziwa.zel"));
  EXPECT_TRUE(std::equal(on_disk.begin(), on_disk.end(), saved.bytes().begin(), saved.bytes().end()));
}

TEST_F(ConfigFile, IncompleteFilesChangeNoCellAndSayHowManyValuesTheyHeld) {
  struct Case {
    const char* name;
    Bytes bytes;
    std::size_t values;
  };
  Bytes ends_at_500 = value_bytes(kCells + 100, 9);
  ends_at_500[500] = 26;
  Bytes spaced_short = value_bytes(kCells, 10);
  spaced_short.insert(spaced_short.begin(), 32);
  spaced_short.pop_back();
  const Case cases[] = {
      {"empty", {}, 0},
      {"100 bytes", value_bytes(100, 11), 100},
      {"byte 26 at offset 500", ends_at_500, 500},
      {"one value short", value_bytes(kCells - 1, 12), kCells - 1},
      {"a blank and 7624 values", spaced_short, kCells - 1},
      {"only white space", Bytes{9, 10, 11, 12, 13, 32, 32}, 0},
  };
  for (const Case& c : cases) {
    const ConfigMatrix before = random_matrix(13);
    ConfigMatrix matrix = before;
    const FileResult parsed = parse_config_bytes(c.bytes, matrix);
    EXPECT_FALSE(parsed.ok) << c.name;
    EXPECT_EQ(parsed.values_read, c.values) << c.name;
    EXPECT_NE(parsed.reason.find("nie zawiera pełnej konfiguracji"), std::string::npos) << c.name;
    const std::string count = std::string("zawiera ").append(std::to_string(c.values)).append(" z 7625");
    EXPECT_NE(parsed.reason.find(count), std::string::npos)
        << c.name << ": " << parsed.reason;
    EXPECT_EQ(matrix, before) << c.name;

    write_bytes(path("krotka.zel"), c.bytes);
    const FileResult loaded = load_config_file(path("krotka.zel"), matrix);
    EXPECT_FALSE(loaded.ok) << c.name;
    EXPECT_EQ(loaded.values_read, c.values) << c.name;
    EXPECT_EQ(matrix, before) << c.name;
  }
}

TEST_F(ConfigFile, WhiteSpaceIsSkippedWhereverItStands) {
  const ConfigMatrix stored = random_matrix(14);
  const Bytes values(stored.bytes().begin(), stored.bytes().end());

  // A leading blank moves every value one byte on.
  Bytes file{32};
  file.insert(file.end(), values.begin(), values.end());
  ConfigMatrix matrix;
  ASSERT_TRUE(parse_config_bytes(file, matrix).ok);
  EXPECT_EQ(matrix, stored);

  // White space anywhere, CR LF line ends included, and a tail after the last
  // value, which is not read, whatever it holds.
  Bytes spread;
  for (std::size_t k = 0; k < values.size(); ++k) {
    if (k % 100 == 0) spread.insert(spread.end(), {13, 10, 9, 11, 12, 32});
    spread.push_back(values[k]);
  }
  spread.insert(spread.end(), {7, 200, 3, 26, 0});
  ConfigMatrix other;
  const FileResult result = parse_config_bytes(spread, other);
  ASSERT_TRUE(result.ok) << result.reason;
  EXPECT_EQ(result.values_read, kCells);
  EXPECT_EQ(other, stored);
}

// Every cell of rows 0-3 and 5-304 holds a mode 0-3 and every cell of row 4
// holds 255; anything else is no configuration and changes no cell.
TEST_F(ConfigFile, ValuesThatAreNoConfigurationChangeNoCellAndNameTheFirstBadCell) {
  const ConfigMatrix good = random_matrix(23);
  auto with = [&](int row, int column, std::uint8_t value) {
    Bytes bytes(good.bytes().begin(), good.bytes().end());
    bytes[ConfigMatrix::index(row, column)] = value;
    return bytes;
  };
  Bytes text(12000);  // any long enough text, a README say
  const std::string words = "# ZEL17 configurator\n\nA desktop tool for the board.\n";
  for (std::size_t k = 0; k < text.size(); ++k) text[k] = static_cast<std::uint8_t>(words[k % words.size()]);
  struct Case {
    const char* name;
    Bytes bytes;
    const char* reason;
  };
  const Case cases[] = {
      {"a 4 in one cell", with(11, 1, 4), "wiersz „adr 2. Alarm I”, wyjście 2, wartość 4"},
      {"a mode in row 4", with(4, 24, 0), "wiersz „(brak funckji)”, wyjście 25, wartość 0"},
      {"255 outside row 4", with(0, 0, 255), "wiersz „Brak zdarzeń”, wyjście 1, wartość 255"},
      {"a byte 7 in the last cell", with(304, 24, 7), "wiersz „adr 99. Awaria”, wyjście 25, wartość 7"},
      {"a text file", text, "wiersz „Brak zdarzeń”, wyjście 1, wartość 35"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ConfigMatrix before = random_matrix(24);
    ConfigMatrix matrix = before;
    FileResult result = parse_config_bytes(c.bytes, matrix);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.reason, std::string("plik nie jest konfiguracją: ") + c.reason);
    EXPECT_EQ(matrix, before);

    write_bytes(path("zla.zel"), c.bytes);
    result = load_config_file(path("zla.zel"), matrix);
    EXPECT_EQ(result.reason, std::string("plik nie jest konfiguracją: ") + c.reason);
    EXPECT_EQ(matrix, before);
  }
}

TEST_F(ConfigFile, FilesOfTheEarlierToolLoadAsBefore) {
  // Exactly the cells, or the cells followed by the tail of a longer file it overwrote.
  const ConfigMatrix written = random_matrix(15);
  Bytes file(written.bytes().begin(), written.bytes().end());
  for (const std::size_t tail : {0, 2375}) {
    Bytes with_tail = file;
    const Bytes old_tail = value_bytes(tail, 22);
    with_tail.insert(with_tail.end(), old_tail.begin(), old_tail.end());
    write_bytes(path("stara.zel"), with_tail);
    ConfigMatrix loaded;
    const FileResult result = load_config_file(path("stara.zel"), loaded);
    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(loaded, written);
  }
}

TEST_F(ConfigFile, LoadNeverChangesTheDisk) {
  ConfigMatrix matrix = random_matrix(16);
  const ConfigMatrix before = matrix;

  FileResult result = load_config_file(path("nie-ma-takiego.zel"), matrix);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.reason, "plik nie istnieje");
  EXPECT_FALSE(fs::exists(path("nie-ma-takiego.zel")));
  EXPECT_EQ(matrix, before);

  result = load_config_file(dir_, matrix);
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.reason.empty());
  EXPECT_EQ(matrix, before);

  // A read-only file loads normally and keeps its rights.
  const ConfigMatrix stored = random_matrix(17);
  write_bytes(path("tylko-odczyt.zel"), Bytes(stored.bytes().begin(), stored.bytes().end()));
  const auto read_only = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
  fs::permissions(path("tylko-odczyt.zel"), read_only);
  result = load_config_file(path("tylko-odczyt.zel"), matrix);
  ASSERT_TRUE(result.ok) << result.reason;
  EXPECT_EQ(matrix, stored);
  EXPECT_EQ(fs::status(path("tylko-odczyt.zel")).permissions() & fs::perms::all, read_only);
  EXPECT_EQ(entries(), std::vector<std::string>{"tylko-odczyt.zel"});
}

TEST_F(ConfigFile, LongWhiteSpaceBeforeTheValuesIsReadPastInPieces) {
  Bytes file(200000, 32);
  const ConfigMatrix stored = random_matrix(18);
  file.insert(file.end(), stored.bytes().begin(), stored.bytes().end());
  write_bytes(path("duza.zel"), file);
  ConfigMatrix matrix;
  const FileResult result = load_config_file(path("duza.zel"), matrix);
  ASSERT_TRUE(result.ok) << result.reason;
  EXPECT_EQ(matrix, stored);
}

TEST_F(ConfigFile, NonAsciiNamesWork) {
  const fs::path file = dir_ / utf8_path("konfiguracja źdźbła.zel");
  const ConfigMatrix saved = random_matrix(19);
  ASSERT_TRUE(save_config_file(file, saved).ok);
  ConfigMatrix loaded;
  ASSERT_TRUE(load_config_file(file, loaded).ok);
  EXPECT_EQ(loaded, saved);
  EXPECT_EQ(entries().size(), 1u);
}

// Random files of every length from 0 to 20000 bytes: either every cell is
// loaded, when a plain reading of the rules finds a configuration, or no
// cell changes.
TEST(ConfigFileFuzz, RandomFilesLoadCompletelyOrChangeNothing) {
  std::mt19937 random(20240611);
  constexpr std::size_t kPool = 40000;
  // Uniform bytes end early at a 26 almost always; the second pool has no 26
  // and much white space, so it mostly holds 7625 values that are no
  // configuration; the third has rare 26s; the fourth is a configuration with
  // white space strewn in and a random tail, read from its start.
  std::vector<Bytes> pools(4, Bytes(kPool));
  for (auto& b : pools[0]) b = static_cast<std::uint8_t>(random());
  for (auto& b : pools[1]) {
    const unsigned pick = random() % 10;
    b = pick < 3 ? static_cast<std::uint8_t>(9 + pick) : static_cast<std::uint8_t>(random());
    if (b == 26) b = 32;
  }
  for (auto& b : pools[2]) {
    b = static_cast<std::uint8_t>(random());
    if (b == 26 && random() % 64 != 0) b = 27;
  }
  pools[3].clear();
  const ConfigMatrix spread = random_matrix(25);
  for (const std::uint8_t value : spread.bytes()) {
    if (random() % 4 == 0) pools[3].push_back(static_cast<std::uint8_t>(random() % 2 ? 32 : 10));
    pools[3].push_back(value);
  }
  while (pools[3].size() < kPool) pools[3].push_back(static_cast<std::uint8_t>(random()));

  const ConfigMatrix before = random_matrix(21);
  int loaded = 0, refused = 0, incomplete = 0;
  for (std::size_t length = 0; length <= 20000; ++length) {
    const Bytes& pool = pools[length % 4];
    const std::size_t start = length % 4 == 3 ? 0 : (length * 7919) % (kPool - length + 1);
    const std::span<const std::uint8_t> file(pool.data() + start, length);

    Bytes expected;  // the values a plain reading finds
    for (const std::uint8_t b : file) {
      if (b == 26 || expected.size() == kCells) break;
      if (!((b >= 9 && b <= 13) || b == 32)) expected.push_back(b);
    }
    bool configuration = expected.size() == kCells;
    for (std::size_t k = 0; configuration && k < kCells; ++k)
      configuration = k % ConfigMatrix::kRows == ConfigMatrix::kNoFunctionRow ? expected[k] == 255 : expected[k] <= 3;

    ConfigMatrix matrix = before;
    const FileResult result = parse_config_bytes(file, matrix);
    ASSERT_EQ(result.values_read, expected.size()) << length;
    if (configuration) {
      ASSERT_TRUE(result.ok) << length;
      ASSERT_TRUE(std::equal(expected.begin(), expected.end(), matrix.bytes().begin())) << length;
      ++loaded;
    } else {
      ASSERT_FALSE(result.ok) << length;
      ASSERT_EQ(matrix, before) << length;
      ++(expected.size() == kCells ? refused : incomplete);
    }
  }
  EXPECT_GT(loaded, 1000);
  EXPECT_GT(refused, 1000);
  EXPECT_GT(incomplete, 1000);
}

}  // namespace
