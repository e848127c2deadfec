// SPDX-License-Identifier: MIT
// The project file: its layout, a byte-for-byte round trip, the keys kept
// for later versions, and the projects that are refused.

#include <gtest/gtest.h>

#include <string>

#include "config/cell_description.h"
#include "config/configuration_source.h"
#include "config/name_text.h"
#include "config/project_file.h"
#include "config/sha256.h"
#include "scratch_folder.h"

namespace {

Project named_project() {
  Project project;
  project.matrix.set(0, 0, LED_STEADY);
  project.matrix.set(41, 6, LED_FAST_BLINK);  // adr 12. Alarm I, output 7
  project.matrix.set(304, 24, LED_SLOW_BLINK);
  project.names.site = {"Hala \"Północ\"", "ul. Długa 5, Łódź", "portiernia", "klucz u ochrony\\"};
  project.names.lamps[6] = "Hala A";
  project.names.lamps[24] = "Kotłownia – zachód";
  project.names.addresses[12] = "Kotłownia";
  project.names.addresses[99] = "Czujka 99";
  project.labels = {24.5, 19, 22, 14};
  return project;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

class ProjectFile : public ScratchFolderTest {};

// The layout keeps the keys in order and one table row a line; a later
// version's keys, at the top and inside the two objects, are kept, and the
// project reads, saves and reads again byte for byte.
TEST_F(ProjectFile, LayoutAndRoundTripByteForByteKeepingUnknownKeys) {
  std::string text = project_text(named_project());
  std::size_t last = 0;
  for (const char* key : {"\"format\": \"zel17-projekt\"", "\"wersja\": 1", "\"obiekt\"", "\"lampy\"", "\"adresy\"",
                          "\"etykiety\"", "\"rozstaw_poziomo_mm\": 24.5", "\"rozstaw_pionowo_mm\": 19",
                          "\"konfiguracja\"", "\"sha256\""}) {
    const std::size_t at = text.find(key);
    ASSERT_NE(at, std::string::npos) << key;
    EXPECT_GT(at, last) << key;
    last = at;
  }
  EXPECT_NE(text.find("\n    \"3000000000000000000000000\",\n"), std::string::npos);
  EXPECT_NE(text.find("\n    \"-------------------------\",\n"), std::string::npos);
  EXPECT_NE(text.find("\"Kotłownia – zachód\""), std::string::npos);  // UTF-8, not \u escapes
  EXPECT_NE(text.find(sha256_hex(named_project().matrix.bytes())), std::string::npos);
  EXPECT_NE(text.rfind("}\n"), std::string::npos);
  EXPECT_NE(text.substr(0, 3), "\xEF\xBB\xBF");

  text = replaced(text, "\"uwagi\": \"klucz u ochrony\\\\\"", "\"uwagi\": \"klucz u ochrony\\\\\",\n    \"nip\": \"123\"");
  text = replaced(text, "\"wysokosc_mm\": 14", "\"wysokosc_mm\": 14,\n    \"czcionka\": {\"nazwa\": \"DejaVu\"}");
  text = replaced(text, "\n}\n", ",\n  \"przyszle\": [1, 2.5, null, true]\n}\n");

  Project first;
  ASSERT_TRUE(parse_project(text, first).ok);
  EXPECT_EQ(first.names, named_project().names);
  EXPECT_EQ(first.matrix, named_project().matrix);
  EXPECT_EQ(first.labels, named_project().labels);

  const std::filesystem::path file = path("projekt.zelp");
  ASSERT_TRUE(save_configuration(file, first).ok);
  const Bytes written = read_bytes(file);
  Project second;
  ASSERT_TRUE(load_configuration(file, second).ok);
  EXPECT_EQ(second, first);
  ASSERT_TRUE(save_configuration(file, second).ok);
  EXPECT_EQ(read_bytes(file), written);
  const std::string again(written.begin(), written.end());
  EXPECT_NE(again.find("\"nip\": \"123\""), std::string::npos);
  EXPECT_NE(again.find("\"czcionka\""), std::string::npos);
  EXPECT_NE(again.find("\"przyszle\""), std::string::npos);
}

TEST_F(ProjectFile, LeftOutPartsTakeTheirDefaults) {
  Project minimal;
  minimal.matrix.set(7, 2, LED_STEADY);
  std::string text = project_text(minimal);
  const auto cut = [&text](const char* from, const char* to) {
    const std::size_t begin = text.find(from);
    const std::size_t end = text.find(to);
    ASSERT_NE(begin, std::string::npos);
    ASSERT_NE(end, std::string::npos);
    text.erase(begin, end - begin);
  };
  cut("\"obiekt\"", "\"konfiguracja\"");
  Project read = named_project();
  ASSERT_TRUE(parse_project(text, read).ok) << text.substr(0, 200);
  EXPECT_EQ(read, minimal);
  EXPECT_EQ(read.labels, (LabelGeometry{25, 20, 22, 14}));
}

TEST_F(ProjectFile, BadProjectsAreRefusedWithTheirReasonAndChangeNothing) {
  const std::string good = project_text(named_project());
  struct Case {
    const char* what;
    std::string text;
    const char* reason;
  };
  const Case cases[] = {
      {"damaged table", replaced(good, "\"3000000000000000000000000\"", "\"2000000000000000000000000\""),
       "plik projektu jest uszkodzony: tabela nie zgadza się z sumą „sha256”"},
      {"no sum", replaced(good, "\"sha256\"", "\"sha\""), "plik projektu jest uszkodzony"},
      {"newer version", replaced(good, "\"wersja\": 1", "\"wersja\": 2"),
       "plik projektu ma wersję 2, nowszą niż ta wersja programu (1)"},
      {"other format", replaced(good, "zel17-projekt", "inny-format"), "to nie jest plik projektu"},
      {"no format", replaced(good, "\"format\": \"zel17-projekt\",", ""), "to nie jest plik projektu"},
      {"not JSON", good.substr(0, good.size() / 2), "to nie jest plik projektu: niepoprawny JSON"},
      {"a configuration file", std::string(7625, '0'), "to nie jest plik projektu"},
      {"a list", "[1, 2]", "to nie jest plik projektu"},
      {"too deep", std::string(100, '[') + std::string(100, ']'), "zagnieżdżone zbyt głęboko"},
      {"version as text", replaced(good, "\"wersja\": 1", "\"wersja\": \"1\""), "„wersja” musi być"},
      {"version 0", replaced(good, "\"wersja\": 1", "\"wersja\": 0"), "„wersja” musi być liczbą całkowitą od 1"},
      {"label taller than its pitch", replaced(good, "\"wysokosc_mm\": 14", "\"wysokosc_mm\": 21"),
       "wysokość pola musi wynosić od 5 mm do rozstawu pionowego"},
      {"short row", replaced(good, "\"3000000000000000000000000\"", "\"300000000000000000000000\""),
       "wiersz 0 (Brak zdarzeń): oczekiwano 25 znaków"},
      {"letter in row", replaced(good, "\"3000000000000000000000000\"", "\"3x00000000000000000000000\""),
       "wyjście 2: znak „x”"},
      {"24 lamps", replaced(good, "\"Hala A\",", ""), "„lampy” musi być listą 25 nazw"},
      {"lamp as number", replaced(good, "\"Hala A\"", "7"), "„lampy”: lampa 7 nie jest tekstem"},
      {"two-line name", replaced(good, "\"Kotłownia\"", "\"Kotłownia\\npiwnica\""),
       "„adresy”: adres 12: nazwa ma więcej niż jeden wiersz"},
      {"long name", replaced(good, "\"Czujka 99\"", "\"" + std::string(61, 'x') + "\""),
       "„adresy”: adres 99: nazwa jest dłuższa niż 60 znaków"},
      {"overlapping labels", replaced(good, "\"szerokosc_mm\": 22", "\"szerokosc_mm\": 30"),
       "szerokość pola musi wynosić"},
      {"site as text", replaced(replaced(good, "\"obiekt\": {", "\"obiekt\": \"x\", \"o\": {"), "", ""),
       "„obiekt” musi być obiektem"},
  };
  // A table that breaks the configuration rule, with its sum right.
  Project breaking = named_project();
  breaking.matrix.set(5, 1, 7);
  const std::string breaking_text = project_text(breaking);

  // (A grid the window loads a bad project into stays as it was:
  // config_file_gui_test's AFileThatIsNoConfigurationIsRefusedFromEverySource.)
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Project project = named_project();
    const FileResult result = parse_project(c.text, project);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.reason.find(c.reason), std::string::npos) << result.reason;
    EXPECT_EQ(project, named_project());
  }
  // The sum in capitals is the same sum.
  const std::string sum = sha256_hex(named_project().matrix.bytes());
  std::string capitals = sum;
  for (char& c : capitals) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  Project upper;
  EXPECT_TRUE(parse_project(replaced(good, sum, capitals), upper).ok);
  EXPECT_EQ(upper, named_project());
  Project project;
  const FileResult result = parse_project(breaking_text, project);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.reason, "plik nie jest konfiguracją: wiersz „adr 0. Alarm I”, wyjście 2, wartość 7");
}

TEST_F(ProjectFile, TableFilesLeaveTheNamesAndATableSavesAsAProject) {
  const std::filesystem::path zel = path("a.zel");
  ASSERT_TRUE(save_configuration(zel, named_project()).ok);
  EXPECT_EQ(read_bytes(zel).size(), 7625u);
  Project project = named_project();
  project.matrix = ConfigMatrix{};
  ASSERT_TRUE(load_configuration(zel, project).ok);
  EXPECT_EQ(project, named_project());

  const std::filesystem::path zelp = path("B.ZELP");
  ASSERT_TRUE(save_configuration(zelp, named_project().matrix).ok);
  ConfigMatrix grid;
  ASSERT_TRUE(load_configuration(zelp, grid).ok);
  EXPECT_EQ(grid, named_project().matrix);

  // A table saved into an existing project (a read from the module) keeps
  // its names and labels; one that cannot be read is not replaced.
  ASSERT_TRUE(save_configuration(zelp, named_project()).ok);
  ASSERT_TRUE(save_configuration(zelp, ConfigMatrix{}).ok);
  Project kept;
  ASSERT_TRUE(load_configuration(zelp, kept).ok);
  Project expected = named_project();
  expected.matrix = ConfigMatrix{};
  EXPECT_EQ(kept, expected);
  const std::filesystem::path newer = path("newer.zelp");
  const std::string newer_text = "{\"format\": \"zel17-projekt\", \"wersja\": 99}\n";
  write_bytes(newer, Bytes(newer_text.begin(), newer_text.end()));
  const FileResult refused = save_configuration(newer, ConfigMatrix{});
  EXPECT_FALSE(refused.ok);
  EXPECT_NE(refused.reason.find("nie został zastąpiony"), std::string::npos) << refused.reason;
  EXPECT_EQ(read_bytes(newer), Bytes(newer_text.begin(), newer_text.end()));
  EXPECT_TRUE(has_project_extension("x.Zelp"));
  EXPECT_FALSE(has_project_extension("x.zel"));
  EXPECT_FALSE(has_project_extension("zelp"));

  // What a table file leaves out of a project, named for the user.
  EXPECT_TRUE(parts_beside_table(Project{}).empty());
  expected.names = {};
  expected.unknown_keys = "{\"pozniej\":1}";
  EXPECT_EQ(parts_beside_table(expected), (std::vector<std::string>{"wymiary wkładki z nazwami lamp",
                                                                    "dane zapisane przez nowszą wersję programu"}));
  EXPECT_EQ(parts_beside_table(named_project()).front(), "nazwy obiektu, lamp i adresów");
}

// A name is one trimmed line; a longer one than 60 characters is kept whole,
// so that whoever takes it refuses it by name instead of cutting it.
TEST(NameText, NamesAreOneTrimmedLineAndALongOneIsNeverCut) {
  struct Case {
    std::string typed, kept;
    std::size_t length;
  };
  const Case cases[] = {
      {"  Hala A \t", "Hala A", 6},
      {"Kotłownia\npiwnica\r\n", "Kotłownia piwnica", 17},
      {std::string(60, 'x'), std::string(60, 'x'), 60},
      {std::string(70, 'x'), std::string(70, 'x'), 70},
      {std::string(59, 'x') + "żółw", std::string(59, 'x') + "żółw", 63},
      {std::string(56, 'x') + "żółw", std::string(56, 'x') + "żółw", 60},
      {"", "", 0},
      {" \n ", "", 0},
      {"\x01Hala B\x7f", "Hala B", 6},  // control characters at its ends go with the spaces
  };
  EXPECT_EQ(site_line({"Zakład Północ", "", "portiernia", ""}), "Zakład Północ, miejsce tablicy: portiernia");
  EXPECT_EQ(site_line({}), "");
  for (const Case& c : cases) {
    EXPECT_EQ(clean_name(c.typed), c.kept) << c.typed;
    EXPECT_EQ(name_length(c.kept), c.length) << c.typed;
    EXPECT_EQ(name_fault(c.kept).empty(), c.length <= kMaxNameLength) << c.typed;
  }
  EXPECT_NE(name_fault(" a"), "");
  EXPECT_NE(name_fault("\xC5"), "");
}

TEST(NameText, NamesStandBesideTheLabels) {
  ProjectNames names;
  names.addresses[12] = "Kotłownia";
  names.lamps[6] = "Hala A";
  EXPECT_EQ(named_cell_description(names, 41, 6, LED_FAST_BLINK),
            "adr 12. Alarm I (Kotłownia), wyjście 7 (Hala A): szybkie miganie");
  EXPECT_EQ(named_cell_description(names, 43, 0, LED_OFF), "adr 12. Awaria (Kotłownia), wyjście 1: wyłączone");
  EXPECT_EQ(named_cell_description(names, 2, 6, LED_STEADY), "Test wyjść, wyjście 7 (Hala A): ciągłe świecenie");
  EXPECT_EQ(named_cell_description(names, 44, 1, LED_OFF), cell_description(44, 1, LED_OFF));
  EXPECT_EQ(address_name_of_row(names, 4), "");
  EXPECT_EQ(address_name_of_row(names, 42), "Kotłownia");
  EXPECT_EQ(lamp_name(names, 25), "");
  EXPECT_FALSE(has_names(ProjectNames{}));
  EXPECT_TRUE(has_names(names));
  ProjectNames site_only;
  site_only.site.notes = "x";
  EXPECT_TRUE(has_names(site_only));
}

}  // namespace
