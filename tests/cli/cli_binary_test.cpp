// SPDX-License-Identifier: MIT
// The real zel17-cli binary against emulated modules on the umockdev test
// bed: what it sends, what it writes, what it prints and its exit status.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../immutable_folder.h"
#include "../small_tmpfs.h"
#include "cli_process.h"
#include "commissioning/commissioning_record.h"
#include "commissioning/walk_journal.h"
#include "commissioning/walk_protocol_csv.h"
#include "config/sha256.h"
#include "config/config_csv.h"
#include "config/project_file.h"
#include "config/config_file.h"
#include "config/config_matrix.h"
#include "config/config_readback.h"
#include "config/flash_image.h"
#include "commissioning/walk_plan.h"
#include "config/test_payload.h"
#include "emulator/test_bed.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::size_t kUploadExchanges = 1 + kUploadCommandCount;  // the greeting and the commands

ConfigMatrix random_matrix(unsigned seed) {
  std::mt19937 rng(seed);
  ConfigMatrix matrix;
  for (int r = 0; r < ConfigMatrix::kRows; ++r)
    for (int c = 0; c < ConfigMatrix::kColumns; ++c)
      if (r != ConfigMatrix::kNoFunctionRow) matrix.set(r, c, static_cast<std::uint8_t>(rng() % 4));
  return matrix;
}

std::string file_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CliBinaryTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("zel-cli-" + std::to_string(getpid()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A configuration file of `matrix` in this test's folder.
  std::string write_file(const std::string& name, const ConfigMatrix& matrix) {
    const fs::path path = dir_ / name;
    EXPECT_TRUE(save_config_file(path, matrix).ok);
    return path.string();
  }
  fs::path dir_;
};

TEST_F(CliBinaryTest, UploadThenReadGivesBackTheFileByteForByte) {
  TestBed bed;
  const std::string written = write_file("wzor.zel", random_matrix(7));
  const CliRun upload = run_cli_binary({"upload", written});
  EXPECT_EQ(upload.status, 0) << upload.err;
  EXPECT_EQ(upload.out, "Konfiguracja zapisana!\n");
  EXPECT_EQ(upload.err, "");  // no trace, no progress on a pipe
  EXPECT_EQ(bed.module().requests().size(), kUploadExchanges);

  const std::string read_back = (dir_ / "odczyt.zel").string();
  const CliRun read = run_cli_binary({"read", read_back});
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(read.out, "Konfiguracja odczytana!\n");
  EXPECT_EQ(file_bytes(read_back), file_bytes(written));
  EXPECT_EQ(file_bytes(read_back).size(), static_cast<std::size_t>(ConfigMatrix::kCells));

  // A name ending in .csv, in any case, gets the exported table.
  const fs::path table = dir_ / "odczyt.Csv";
  ASSERT_EQ(run_cli_binary({"read", table.string()}).status, 0);
  EXPECT_EQ(file_bytes(table), config_csv_text(random_matrix(7)));

  // A folder that takes no new file: written in place, and said so.
  const fs::path closed_folder = dir_ / "zamkniety";
  fs::create_directory(closed_folder);
  std::ofstream(closed_folder / "odczyt.zel", std::ios::binary) << std::string(10000, 'x');
  const ImmutableFolder closed(closed_folder);
  if (!closed.set()) GTEST_SKIP() << "only root may make a folder immutable";
  setenv("XDG_CACHE_HOME", (dir_ / "cache").c_str(), 1);
  const CliRun in_place = run_cli_binary({"read", (closed_folder / "odczyt.zel").string()});
  unsetenv("XDG_CACHE_HOME");
  EXPECT_EQ(in_place.status, 0) << in_place.err;
  EXPECT_EQ(in_place.out,
            "Konfiguracja odczytana!\nZapisano w miejscu: folder nie pozwala na bezpieczną zamianę pliku.\n");
  EXPECT_EQ(file_bytes(closed_folder / "odczyt.zel"), file_bytes(written));
}

TEST_F(CliBinaryTest, VerifyListsExactlyTheChangedCell) {
  TestBed bed;
  ConfigMatrix matrix = random_matrix(11);
  const std::string file = write_file("wzor.zel", matrix);
  ASSERT_EQ(run_cli_binary({"upload", "--verify", file}).out,
            "Konfiguracja zapisana!\n");

  const CliRun same = run_cli_binary({"verify", file});
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_EQ(same.out, "Konfiguracja w module zgodna z plikiem wzor.zel.\n");
  const fs::path table = dir_ / "wzor.CSV";  // a CSV table is read as well
  ASSERT_TRUE(save_config_csv(table, matrix).ok);
  const CliRun same_table = run_cli_binary({"verify", table.string()});
  EXPECT_EQ(same_table.status, 0);
  EXPECT_EQ(same_table.out, "Konfiguracja w module zgodna z plikiem wzor.CSV.\n");

  // Row 27 is "adr 7. Alarm II"; output 13 is column 12.
  const std::uint8_t in_module = matrix.at(27, 12);
  const std::uint8_t in_file = static_cast<std::uint8_t>((in_module + 1) % 4);
  matrix.set(27, 12, in_file);
  const std::string changed = write_file("zmieniony.zel", matrix);
  const CliRun differs = run_cli_binary({"verify", "--quiet", changed});
  EXPECT_EQ(differs.status, 1) << differs.err;
  EXPECT_EQ(differs.out, "27\tadr 7. Alarm II\t13\t" + std::to_string(in_file) + "\t" +
                             std::to_string(in_module) + "\n");
  // The cells on standard output, the summary once on standard error.
  EXPECT_EQ(differs.err, "RÓŻNICE: Konfiguracja w module różni się w 1 komórce!\n");

  // A project adds the address's name as the last field.
  Project project;
  project.matrix = matrix;
  project.names.addresses[7] = "Kotłownia";
  const fs::path named = dir_ / "zmieniony.zelp";
  ASSERT_TRUE(save_project(named, project).ok);
  const CliRun named_run = run_cli_binary({"verify", "--quiet", named.string()});
  EXPECT_EQ(named_run.status, 1) << named_run.err;
  EXPECT_EQ(named_run.out, "27\tadr 7. Alarm II\t13\t" + std::to_string(in_file) + "\t" +
                               std::to_string(in_module) + "\tKotłownia\n");
}

// Each cause has its own text and the same status 74; once the module has
// accepted an erase, the error also says that it holds no configuration now.
TEST_F(CliBinaryTest, UploadFailuresNameTheirCauseAndWhatTheModuleIsLeftWith) {
  // Exchange 0 is the greeting, 1 the first erase; the 50th command of the
  // upload is exchange 50, the write of block 6 on page 1 (6 erases,
  // 4 special, 26 + 14 on pages 0 and 1).
  constexpr const char* kLeftEmpty = ". Moduł nie ma teraz poprawnej konfiguracji. Zapisz konfigurację ponownie.";
  struct Case {
    const char* command;
    ZelModule::Faults faults;
    std::string error;
    std::size_t requests;
  };
  ZelModule::Faults refuse_write;
  refuse_write.refuse_code = WRITE_FLASH_BLOCK_USB_FRAME;
  refuse_write.fail_at = 50;
  ZelModule::Faults refuse_erase;
  refuse_erase.refuse_code = ERASE_FLASH_PAGE_USB_FRAME;
  ZelModule::Faults silent_greeting;
  silent_greeting.no_answer = true;
  silent_greeting.fail_at = 0;
  ZelModule::Faults silent_write = refuse_write;
  silent_write.refuse_code.reset();
  silent_write.no_answer = true;
  ZelModule::Faults unplug;
  unplug.unplug_after = 50;
  // The first erase sent, the module gone before its answer: it may have
  // been done. (Its silence ends the same way: operation_runner_test.)
  ZelModule::Faults unplug_at_first_erase;
  unplug_at_first_erase.unplug_after = 1;
  constexpr const char* kMayBeEmpty =
      ". Moduł może nie mieć teraz poprawnej konfiguracji. Zapisz konfigurację ponownie.";
  const Case cases[] = {
      {"upload", refuse_write,
       "moduł nie przyjął polecenia Write_flash_block (strona 1, blok 6)" + std::string(kLeftEmpty), 51},
      {"upload", refuse_erase, "moduł nie przyjął polecenia Erase_flash_page (strona 0)", 2},
      {"hello", silent_greeting, "moduł nie odpowiedział na polecenie Hello_frame", 1},
      {"upload", silent_write,
       "moduł nie odpowiedział na polecenie Write_flash_block (strona 1, blok 6)" + std::string(kLeftEmpty), 51},
      {"upload", unplug,
       "moduł został odłączony podczas polecenia Write_flash_block (strona 1, blok 6)" + std::string(kLeftEmpty), 51},
      {"upload", unplug_at_first_erase,
       "moduł został odłączony podczas polecenia Erase_flash_page (strona 0)" + std::string(kMayBeEmpty), 2},
  };
  const std::string file = write_file("wzor.zel", random_matrix(3));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    TestBed bed;
    bed.module().set_faults(c.faults);
    const bool upload = std::string(c.command) == "upload";
    const CliRun run = run_cli_binary(upload ? std::vector<std::string>{"upload", file}
                                             : std::vector<std::string>{c.command});
    EXPECT_EQ(run.status, 74);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, (upload ? "Błąd zapisu konfiguracji!\nBŁĄD: " : "BŁĄD: ") + c.error + "\n");
    EXPECT_EQ(bed.module().requests().size(), c.requests);  // nothing after the failed command
  }
}

TEST_F(CliBinaryTest, NoModuleIs69AndABadFileIs66WithNothingSent) {
  const std::string file = write_file("wzor.zel", random_matrix(1));
  {
    TestBedOptions keyboard_only;
    keyboard_only.modules = 0;
    TestBed bed(keyboard_only);
    const CliRun run = run_cli_binary({"upload", file});
    EXPECT_EQ(run.status, 69);
    EXPECT_EQ(run.err, "Nie udalo sie polaczyc!\nBŁĄD: nie znaleziono modułu ZEL (VID_04D8&PID_003F)\n");
  }

  TestBed bed;
  std::ofstream(dir_ / "krotki.zel", std::ios::binary) << std::string(100, '\x01');
  std::string with_a_4 = file_bytes(file);
  with_a_4[ConfigMatrix::index(11, 1)] = 4;
  std::ofstream(dir_ / "czworka.zel", std::ios::binary) << with_a_4;
  std::string text;  // any text long enough, a README say
  while (text.size() < 12000) text += "# ZEL17\n\nA desktop tool for the ZEL synoptic board.\n";
  std::ofstream(dir_ / "README.md", std::ios::binary) << text;
  const fs::path unreadable = dir_ / "zablokowany.zel";
  fs::copy_file(file, unreadable);
  fs::permissions(unreadable, fs::perms::none);
  const bool root_reads_anything = std::ifstream(unreadable).is_open();
  struct Case {
    std::vector<std::string> arguments;
    std::string reason;  // the end of the error; empty: not checked
  };
  std::vector<Case> cases = {
      {{"upload", (dir_ / "brak.zel").string()}, ""},
      {{"verify", (dir_ / "krotki.zel").string()}, ""},
      {{"upload", "--repeat", dir_.string()}, ""},
      {{"upload", (dir_ / "czworka.zel").string()},
       ": plik nie jest konfiguracją: wiersz „adr 2. Alarm I”, wyjście 2, wartość 4\n"},
      {{"upload", "--verify", (dir_ / "README.md").string()},
       ": plik nie jest konfiguracją: wiersz „Brak zdarzeń”, wyjście 1, wartość 35\n"},
  };
  if (!root_reads_anything) cases.push_back({{"upload", unreadable.string()}, ""});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.back());
    const CliRun run = run_cli_binary(c.arguments);
    EXPECT_EQ(run.status, 66);
    EXPECT_NE(run.err.find("BŁĄD: nie udało się wczytać konfiguracji z pliku \"" + c.arguments.back() + "\""),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(run.err.ends_with(c.reason)) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_TRUE(bed.module().requests().empty());
}

TEST_F(CliBinaryTest, ReadIntoAFileThatCannotBeWrittenIs73) {
  TestBed bed;
  ASSERT_EQ(run_cli_binary({"upload", write_file("wzor.zel", random_matrix(2))}).status, 0);
  const std::string target = (dir_ / "nie-ma-folderu" / "odczyt.zel").string();
  const CliRun run = run_cli_binary({"read", target});
  EXPECT_EQ(run.status, 73);
  EXPECT_NE(run.err.find("nie udało się zapisać konfiguracji do pliku \"" + target + "\""),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(fs::exists(target));
}

TEST_F(CliBinaryTest, BadArgumentsAre64AndSendNothing) {
  TestBed bed;
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{}, {"wgraj", "x.zel"}, {"upload"}, {"test", "305"},
                                             {"test", "5", "--unit", "256"}, {"read", "--verify", "x"},
                                             {"hello", "--fast"}, {"test", "2"}, {"test", "-1"}}) {
    const CliRun run = run_cli_binary(arguments);
    EXPECT_EQ(run.status, 64) << testing::PrintToString(arguments);
    EXPECT_EQ(run.out, "");
  }
  EXPECT_TRUE(bed.module().requests().empty());
  const CliRun help = run_cli_binary({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Użycie: zel17-cli POLECENIE [OPCJE]\n", 0), 0u);
}

TEST_F(CliBinaryTest, TestAndHelloTalkToTheModule) {
  TestBed bed;
  const CliRun test = run_cli_binary({"test", "adr 7. Alarm II", "--unit", "3"});
  EXPECT_EQ(test.status, 0) << test.err;
  EXPECT_EQ(test.out, "Testowanie... (wiersz 27: adr 7. Alarm II)\n");
  const auto received = bed.module().rs485_received();
  ASSERT_EQ(received.size(), 1u);
  ASSERT_EQ(received[0].size(), 46u);
  EXPECT_EQ(received[0][2], 3);              // the control unit
  EXPECT_EQ(received[0][3 + 7 / 4], 0xC0);   // address 7 in Alarm II: bits 6 and 7

  // Row 0 hands over the frame without any event, and says so.
  const CliRun none = run_cli_binary({"test", "0"});
  EXPECT_EQ(none.status, 0) << none.err;
  EXPECT_EQ(none.out, "Testowanie... (wiersz 0: Brak zdarzeń – ramka bez zdarzeń)\n");
  ASSERT_EQ(bed.module().rs485_received().size(), 2u);
  const std::vector<std::uint8_t> no_events = bed.module().rs485_received()[1];
  ASSERT_EQ(no_events.size(), 46u);
  EXPECT_TRUE(std::all_of(no_events.begin() + 3, no_events.end(), [](std::uint8_t b) { return b == 0; }));

  const CliRun hello = run_cli_binary({"hello"});
  EXPECT_EQ(hello.status, 0);
  EXPECT_EQ(hello.out, std::string(ZelModule::kGreetingUtf8) + "\n");

  ZelModule::Faults refuse;
  refuse.refuse_code = RS485_GIFT_USB_FRAME;
  bed.module().set_faults(refuse);
  const CliRun refused = run_cli_binary({"test", "27"});
  EXPECT_EQ(refused.status, 74);
  EXPECT_EQ(refused.err, "Błąd testowania!\nBŁĄD: moduł nie przyjął polecenia RS485_gift_frame\n");
}

// A result that cannot be written is not reported as done.
TEST_F(CliBinaryTest, ResultThatCannotBeWrittenToStandardOutputIs74) {
  TestBed bed;
  CliProcess cli({"hello"}, "/dev/full");
  ASSERT_TRUE(cli.started());
  const CliRun run = cli.finish();
  EXPECT_EQ(run.status, 74);
  EXPECT_EQ(run.err, "BŁĄD: nie udało się zapisać wyniku na standardowe wyjście; wynik został utracony\n");
}

// --log: one record per module, appended, with the file's name and the
// SHA-256 of its cells; a log that cannot be opened stops the run first.
TEST_F(CliBinaryTest, LogAppendsOneRecordPerModule) {
  TestBed bed;
  const ConfigMatrix matrix = random_matrix(12);
  const std::string file = write_file("linia-A.zel", matrix);
  const std::string log = (dir_ / "protokol.tsv").string();
  std::ofstream(log) << "poprzedni wpis\n";
  EXPECT_EQ(run_cli_binary({"upload", "--log", log, file}).status, 0);
  ZelModule::Faults refuse;
  refuse.refuse_code = ERASE_FLASH_PAGE_USB_FRAME;
  bed.module().set_faults(refuse);
  EXPECT_EQ(run_cli_binary({"upload", file, "--log", log}).status, 74);
  bed.module().set_faults({});
  EXPECT_EQ(run_cli_binary({"hello", "--log", log}).status, 0);

  std::istringstream lines(file_bytes(log));
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "poprzedni wpis");
  const std::string hash = sha256_hex(matrix.bytes());
  const std::string tail[] = {"\tOK (zapisano)\t0\t" + file + "\t" + hash,
                              "\tBŁĄD: moduł nie przyjął polecenia Erase_flash_page (strona 0)\t74\t" + file +
                                  "\t" + hash,
                              "\tOK: " + std::string(ZelModule::kGreetingUtf8) + "\t0\t\t"};
  const std::regex local_time(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d)");
  for (const std::string& expected : tail) {
    ASSERT_TRUE(std::getline(lines, line));
    const std::size_t tab = line.find('\t');
    EXPECT_TRUE(std::regex_match(line.substr(0, tab), local_time)) << line;
    EXPECT_EQ(line.substr(tab), expected);
  }
  EXPECT_FALSE(std::getline(lines, line));

  bed.module().clear_requests();
  const std::string nowhere = (dir_ / "brak" / "protokol.tsv").string();
  const CliRun unopened = run_cli_binary({"upload", "--log", nowhere, file});
  EXPECT_EQ(unopened.status, 73);
  EXPECT_EQ(unopened.err, "BŁĄD: nie można otworzyć dziennika \"" + nowhere + "\": plik lub folder nie istnieje\n");
  EXPECT_TRUE(bed.module().requests().empty());
}

// --trace: the transport's trace and the frame log on standard error,
// standard output keeps only the result.
TEST_F(CliBinaryTest, TraceGoesToStandardErrorOnly) {
  TestBed bed;
  const CliRun run = run_cli_binary({"--trace", "hello"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, std::string(ZelModule::kGreetingUtf8) + "\n");
  for (const char* expected :
       {"HID device start...\n", "HID device found: VID_04D8&PID_003F\n",
        "\t\t\t*** Połączono z urządzeniem interfejsu HID! ***\n",
        "<--  \tHELLO_USB_FRAME\t\tHej! Jestem programem konfiguracyjnym tablicy synoptycznej.\n",
        "HID device stop...\n", "Dynamic DLL unload\n"}) {
    EXPECT_NE(run.err.find(expected), std::string::npos) << expected << "\n" << run.err;
  }
}

// Ctrl+C once the module's FLASH is being rewritten: the first says at once
// that the upload will finish, lets it finish and ends with 130; a second
// one stops the upload at the next exchange and says what that left.
TEST_F(CliBinaryTest, CtrlCAfterTheFirstEraseFinishesTheUploadASecondOneStopsIt) {
  const std::string file = write_file("wzor.zel", random_matrix(4));
  const std::string notice = "Ctrl+C: zapis konfiguracji zostanie dokończony";
  // The upload takes over 3 s at 20 ms an exchange: the notice comes long before its end.
  auto wait_for_notice = [&](CliProcess& cli, TestBed& bed) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (cli.err_so_far().find(notice) == std::string::npos) {
      ASSERT_LT(bed.module().requests().size(), kUploadExchanges) << "no notice before the end";
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "no notice:\n" << cli.err_so_far();
      std::this_thread::sleep_for(5ms);
    }
  };
  ZelModule::Faults slow;
  slow.delay = 20ms;
  {
    TestBed bed;
    bed.module().set_faults(slow);
    CliProcess cli({"--trace", "upload", "--verify", file});
    ASSERT_TRUE(cli.started());
    while (bed.module().requests().size() < 10) std::this_thread::sleep_for(5ms);
    cli.interrupt();
    wait_for_notice(cli, bed);
    const CliRun run = cli.finish();
    EXPECT_EQ(run.status, 130) << run.err;
    EXPECT_EQ(bed.module().requests().size(), kUploadExchanges);  // all written, not verified
    EXPECT_NE(run.err.find("Konfiguracja zapisana!\nPRZERWANO (Ctrl+C) po zapisaniu konfiguracji\n"),
              std::string::npos) << run.err;
    // Disconnected: the handles closed and the library unloaded.
    EXPECT_NE(run.err.find("HID device stop...\nHID device table destroy\nDynamic DLL unload\n"),
              std::string::npos);
  }
  TestBed bed;
  bed.module().set_faults(slow);
  CliProcess cli({"upload", file});
  ASSERT_TRUE(cli.started());
  while (bed.module().requests().size() < 10) std::this_thread::sleep_for(5ms);
  cli.interrupt();
  wait_for_notice(cli, bed);
  const std::size_t at_second = bed.module().requests().size();
  cli.interrupt();
  const CliRun run = cli.finish();
  EXPECT_EQ(run.status, 130) << run.err;
  EXPECT_LE(bed.module().requests().size(), at_second + 1);
  EXPECT_NE(run.err.find("PRZERWANO (Ctrl+C). Moduł nie ma teraz poprawnej konfiguracji. "
                         "Zapisz konfigurację ponownie.\n"),
            std::string::npos)
      << run.err;
}

// A production line: modules plugged in one after another, one result line
// each, until Ctrl+C; udev's monitor tells the tool when they come and go.
TEST_F(CliBinaryTest, RepeatWritesEachModulePluggedInOneAfterAnother) {
  TestBedOptions empty;
  empty.modules = 0;
  TestBed bed(empty);
  const std::string file = write_file("wzor.zel", random_matrix(9));
  CliProcess cli({"upload", "--verify", "--repeat", file});
  ASSERT_TRUE(cli.started());
  for (int n = 1; n <= 3; ++n) {
    const int index = bed.plug_module();
    const std::optional<std::string> line = cli.next_line(30s);
    ASSERT_TRUE(line.has_value()) << "no result for module " << n;
    EXPECT_EQ(*line, std::to_string(n) + ": OK (zapisano i zweryfikowano)");
    bed.remove_module(index);
  }
  cli.interrupt();
  const CliRun run = cli.finish();
  EXPECT_EQ(run.status, 130) << run.err;
  EXPECT_EQ(run.out, "1: OK (zapisano i zweryfikowano)\n2: OK (zapisano i zweryfikowano)\n"
                     "3: OK (zapisano i zweryfikowano)\nModuły: 3, poprawnie: 3, z błędem: 0\n");
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(bed.module(i).requests().size(), kUploadExchanges + kReadbackCount) << "module " << i;
}

}  // namespace

namespace {

// The bus frame the module is handed for a row, control unit 0.
std::vector<std::uint8_t> row_frame(int row) {
  const TestPayload payload = build_test_payload(row, 0);
  return {payload.begin(), payload.end()};
}

std::vector<std::vector<std::uint8_t>> row_frames(std::initializer_list<int> rows) {
  std::vector<std::vector<std::uint8_t>> frames;
  for (int row : rows) frames.push_back(row_frame(row));
  return frames;
}

// A walk over rows 4-9 on one connection: rows 5-9 in order (row 4 has no
// frame), then the frame without events; one line per accepted frame.
TEST_F(CliBinaryTest, WalkHandsOverEachRowThenTheFrameWithoutEvents) {
  TestBed bed;
  const CliRun run = run_cli_binary({"walk", "4", "adr 1. Alarm II", "--dwell", "0"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "5\tadr 0. Alarm I\n6\tadr 0. Alarm II\n7\tadr 0. Awaria\n8\tadr 1. Alarm I\n9\tadr 1. Alarm II\n");
  EXPECT_EQ(run.err, "Test po kolei zakończony (5 zdarzeń).\n");
  EXPECT_EQ(bed.module().rs485_received(), row_frames({5, 6, 7, 8, 9, 0}));
  const auto requests = bed.module().requests();
  EXPECT_EQ(std::count_if(requests.begin(), requests.end(),
                          [](const UsbFrame& request) { return request[0] == HELLO_USB_FRAME; }),
            1);
  EXPECT_EQ(requests.size(), 7u);

  // --quiet keeps the rows and drops the closing line.
  bed.module().clear_requests();
  const CliRun quiet = run_cli_binary({"walk", "0", "5", "--dwell", "0", "--quiet"});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.out, "0\tBrak zdarzeń\n5\tadr 0. Alarm I\n");
  EXPECT_EQ(quiet.err, "");
}

// The module gone in the middle: the walk ends at once with 74 and the cause.
TEST_F(CliBinaryTest, WalkEndsWith74WhenTheModuleIsUnpluggedMidWalk) {
  TestBed bed;
  ZelModule::Faults unplug;
  unplug.unplug_after = 3;  // the greeting and two rows
  bed.module().set_faults(unplug);
  const CliRun run = run_cli_binary({"walk", "5", "9", "--dwell", "0"});
  EXPECT_EQ(run.status, 74);
  EXPECT_EQ(run.out, "5\tadr 0. Alarm I\n6\tadr 0. Alarm II\n");
  EXPECT_EQ(run.err, "Test po kolei zatrzymany (3 z 5).\nBŁĄD: moduł został odłączony podczas polecenia RS485_gift_frame\n");
}

// On a terminal Space pauses the walk and resumes it: each said on standard
// error, and the row stays on the board meanwhile.
TEST_F(CliBinaryTest, WalkSaysOnStandardErrorWhenItIsPausedAndResumed) {
  TestBed bed;
  CliProcess cli({"walk", "5", "6", "--dwell", "0.5"}, nullptr, true);
  ASSERT_TRUE(cli.started());
  const auto press_space_until_said = [&](const std::string& said) {
    cli.press(" ");
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (cli.err_so_far().find(said) == std::string::npos && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(10ms);
    EXPECT_NE(cli.err_so_far().find(said), std::string::npos) << cli.err_so_far();
  };
  EXPECT_EQ(cli.next_line(10s), "5	adr 0. Alarm I");
  press_space_until_said("wstrzymano\n");
  EXPECT_EQ(cli.next_line(1500ms), std::nullopt);  // held past its dwell time
  press_space_until_said("wznowiono\n");
  EXPECT_EQ(cli.next_line(10s), "6	adr 0. Alarm II");
  const CliRun run = cli.finish();
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "wstrzymano\nwznowiono\n" + walk_finished_text(2) + "\n");
  EXPECT_EQ(bed.module().rs485_received(), row_frames({5, 6, 0}));
}

// Ctrl+C while a row is shown: the frame without events first, then 130;
// a module that fails to take that frame is a module failure, 74.
TEST_F(CliBinaryTest, CtrlCDuringAWalkClearsTheBoardAndEndsWith130) {
  for (const bool module_gone : {false, true}) {
    SCOPED_TRACE(module_gone ? "module gone before Ctrl+C" : "module answers");
    TestBed bed;
    CliProcess cli({"walk", "--dwell", "60"});
    ASSERT_TRUE(cli.started());
    EXPECT_EQ(cli.next_line(10s), "5\tadr 0. Alarm I");
    if (module_gone) {
      ZelModule::Faults unplug;
      unplug.unplug_after = 2;  // the greeting and the first row
      bed.module().set_faults(unplug);
    }
    cli.interrupt();
    const CliRun run = cli.finish();
    EXPECT_EQ(bed.module().rs485_received(), module_gone ? row_frames({5}) : row_frames({5, 0}));
    if (module_gone) {
      EXPECT_EQ(run.status, 74) << run.err;
      EXPECT_NE(run.err.find("BŁĄD: moduł został odłączony podczas polecenia RS485_gift_frame"), std::string::npos)
          << run.err;
    } else {
      EXPECT_EQ(run.status, 130) << run.err;
      EXPECT_NE(run.err.find("PRZERWANO (Ctrl+C)"), std::string::npos) << run.err;
    }
  }
}

// Waits for the `shown`-th verdict prompt of a walk with --confirm and answers it.
void rate(CliProcess& cli, int shown, const std::string& keys) {
  ASSERT_TRUE(cli.wait_for_err("ocena (Enter", static_cast<std::size_t>(shown), 20s)) << cli.err_so_far();
  cli.press(keys);
}

// A walk with --confirm that ends with status 0 having printed `out`: the
// newest record its journal then holds.
std::optional<WalkRecord> finished_record(CliProcess& cli, const std::string& out, const fs::path& journal) {
  const CliRun run = cli.finish();
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, out);
  const JournalReading reading = load_walk_journal(journal);
  if (!reading.ok || reading.newest() == nullptr) return std::nullopt;
  return reading.newest()->record;
}

// The emulated module as a session of a record finds it, holding a table
// that differs from the file's in `differing` cells.
ModuleReading emulated_module(int differing) {
  return {differing, ZelModule::kGreetingUtf8, "ZEL17-0001"};
}

// The walk with verdicts, by keys on a terminal: rows 5-9 rated OK, Błąd with
// a comment, OK, back to change a verdict, OK, OK. Each verdict is in the
// record in the folder beside the configuration, the changed one keeps the
// earlier, and the protocol command turns the record into CSV.
TEST_F(CliBinaryTest, WalkWithVerdictsRecordsEachInTheJournalAndTheProtocolHasThem) {
  TestBed bed;
  ConfigMatrix matrix = random_matrix(11);
  matrix.set(9, 0, 0);
  for (int column = 0; column < ConfigMatrix::kColumns; ++column) matrix.set(8, column, LED_OFF);
  const std::string file = write_file("hala.zel", matrix);
  ASSERT_EQ(run_cli_binary({"upload", file}).status, 0);

  CliProcess cli({"walk", "5", "9", "--confirm", file, "--engineer", "Jan Kowalski"}, nullptr, true);
  ASSERT_TRUE(cli.started());
  const auto comment = [&](int asked, const std::string& text) {
    ASSERT_TRUE(cli.wait_for_err("uwagi: ", static_cast<std::size_t>(asked), 5s)) << cli.err_so_far();
    cli.press(text + "\r");
  };
  rate(cli, 1, "\r");
  EXPECT_EQ(cli.next_line(5s), "5\tadr 0. Alarm I\tOK");
  rate(cli, 2, "b");
  comment(1, "lampa 3 nie świeci");
  EXPECT_EQ(cli.next_line(5s), "6\tadr 0. Alarm II\tBłąd\tlampa 3 nie świeci");
  rate(cli, 3, "o");
  EXPECT_EQ(cli.next_line(5s), "7\tadr 0. Awaria\tOK");
  rate(cli, 4, "p");  // back from row 8 to row 7
  rate(cli, 5, "b");
  comment(2, "");
  EXPECT_EQ(cli.next_line(5s), "7\tadr 0. Awaria\tBłąd");
  rate(cli, 6, "o");
  rate(cli, 7, "\r");
  const CliRun run = cli.finish();
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err.find("Konfiguracja w module zgodna z plikiem.\n"), 0u) << run.err;
  EXPECT_NE(run.err.find("oczekiwane: nic"), std::string::npos) << run.err;  // row 8 lights nothing
  EXPECT_NE(run.err.find("dotychczasowa ocena: OK\n"), std::string::npos) << run.err;  // row 7, again
  EXPECT_NE(run.err.find("Test po kolei zakończony (5 zdarzeń)."), std::string::npos) << run.err;
  EXPECT_EQ(bed.module().rs485_received().back(), row_frame(0));

  const fs::path journal = dir_ / "hala.zel-protokoly";
  const JournalReading reading = load_walk_journal(journal);
  ASSERT_TRUE(reading.ok && reading.records.size() == 1 && reading.newest()->record) << reading.reason;
  const WalkRecord& record = *reading.newest()->record;
  EXPECT_EQ(record.header.sha256, sha256_hex(matrix.bytes()));
  EXPECT_EQ(record.header.configuration_file, "hala.zel");
  EXPECT_EQ(record.header.engineer, "Jan Kowalski");
  ASSERT_EQ(record.sessions.size(), 1u);
  EXPECT_EQ(record.sessions[0].module, emulated_module(0));
  EXPECT_TRUE(record.closed());
  std::vector<std::string> verdicts;
  for (const RecordLine& line : record.lines) verdicts.push_back(verdict_text(line.verdict) + (":" + line.comment));
  EXPECT_EQ(verdicts, (std::vector<std::string>{"OK:", "Błąd:lampa 3 nie świeci", "Błąd:", "OK:", "OK:"}));
  ASSERT_EQ(record.lines[2].earlier.size(), 1u);
  EXPECT_EQ(record.lines[2].earlier[0].verdict, Verdict::ok);
  EXPECT_EQ(record.lines[0].expected, expected_lamps_text(matrix, 5, ProjectNames{}));

  const fs::path csv = dir_ / "protokol.csv";
  const CliRun protocol = run_cli_binary({"protocol", journal.string(), "--csv", csv.string()});
  EXPECT_EQ(protocol.status, 0) << protocol.err;
  EXPECT_EQ(file_bytes(csv), walk_protocol_csv(record));
  EXPECT_NE(file_bytes(csv).find(";6;adr 0. Alarm II;;"), std::string::npos);
  EXPECT_EQ(run_cli_binary({"protocol", (dir_ / "brak.jsonl").string(), "--csv", csv.string()}).status, 66);
}

// Killed (SIGKILL) with row 6 passed over without a verdict; the module then
// gets a table that differs in one cell. The next walk offers to go on at
// row 6, in a session of its own that says what the module held then and
// that Ctrl+C ends.
TEST_F(CliBinaryTest, WalkWithVerdictsKilledGoesOnAtTheFirstEventWithoutAVerdict) {
  TestBed bed;
  const ConfigMatrix matrix = random_matrix(13);
  const std::string file = write_file("hala.zel", matrix);
  ASSERT_EQ(run_cli_binary({"upload", file}).status, 0);
  const fs::path journal = dir_ / "hala.zel-protokoly";
  {
    CliProcess killed({"walk", "5", "9", "--confirm", file}, nullptr, true);
    rate(killed, 1, "o");
    ASSERT_TRUE(killed.next_line(5s));
    rate(killed, 2, "n");
    rate(killed, 3, "o");
    ASSERT_TRUE(killed.next_line(5s));
  }  // the process is killed with SIGKILL here
  const JournalReading left = load_walk_journal(journal);
  ASSERT_TRUE(left.ok && left.newest() && left.newest()->record) << left.reason;
  EXPECT_EQ(left.newest()->record->summary(), (RecordSummary{3, 2, 0, 1, 2}));
  EXPECT_FALSE(left.newest()->record->closed());

  ConfigMatrix changed = matrix;
  changed.set(200, 4, static_cast<std::uint8_t>((changed.at(200, 4) + 1) % 4));
  ASSERT_EQ(run_cli_binary({"upload", write_file("zmieniona.zel", changed)}).status, 0);
  CliProcess again({"walk", "5", "9", "--confirm", file, "--force"}, nullptr, true);
  ASSERT_TRUE(again.wait_for_err("[T/n]", 1, 20s)) << again.err_so_far();
  EXPECT_NE(again.err_so_far().find("Konfiguracja w module różni się w 1 komórce!\n"), std::string::npos)
      << again.err_so_far();
  EXPECT_NE(again.err_so_far().find("sprawdzono 2 z 5 zdarzeń. Dokończyć od „adr 0. Alarm II”?"), std::string::npos)
      << again.err_so_far();
  again.press("t");
  for (int shown = 1; shown <= 3; ++shown) rate(again, shown, "o");
  // Ctrl+C at row 9 ends the session, unlike the kill.
  ASSERT_TRUE(again.wait_for_err("ocena (Enter", 4, 20s)) << again.err_so_far();
  again.interrupt();
  const CliRun stopped = again.finish();
  EXPECT_EQ(stopped.status, 130) << stopped.err;
  EXPECT_EQ(stopped.out, "6\tadr 0. Alarm II\tOK\n7\tadr 0. Awaria\tOK\n8\tadr 1. Alarm I\tOK\n");
  const JournalReading reading = load_walk_journal(journal);
  ASSERT_TRUE(reading.ok && reading.records.size() == 1 && reading.newest()->record) << reading.reason;
  const WalkRecord& done = *reading.newest()->record;
  EXPECT_EQ(done.summary(), (RecordSummary{4, 4, 0, 0, 1}));
  EXPECT_EQ(done.line(7)->earlier.size(), 1u);  // rated again: the first verdict stays
  ASSERT_EQ(done.sessions.size(), 2u);
  EXPECT_FALSE(done.sessions[0].closed);
  EXPECT_EQ(done.sessions[0].module, emulated_module(0));
  EXPECT_TRUE(done.sessions[1].closed);
  EXPECT_EQ(done.sessions[1].module, emulated_module(1));
}

// A record begun in the window with "Strata łączności" to check by hand:
// the terminal goes on with the bus's events only and leaves the step to
// the window; once only that step is left, it begins a new record.
TEST_F(CliBinaryTest, WalkWithVerdictsLeavesTheStepsCheckedByHandToTheWindow) {
  TestBed bed;
  const ConfigMatrix matrix = random_matrix(17);
  const std::string file = write_file("hala.zel", matrix);
  ASSERT_EQ(run_cli_binary({"upload", file}).status, 0);
  const fs::path journal = dir_ / "hala.zel-protokoly";
  for (const bool only_by_hand_left : {false, true}) {
    SCOPED_TRACE(only_by_hand_left);
    fs::remove_all(journal);
    {
      CommissioningRecord window_record(journal);
      ASSERT_EQ(window_record.begin(new_record("hala.zel", matrix, {}, {5, 6, 1}, "1.1.0", "Jan", {},
                                               "2026-12-07T14:00:00+01:00")),
                "");
      for (int row : only_by_hand_left ? std::vector<int>{5, 6} : std::vector<int>{5})
        ASSERT_EQ(window_record.rate(row, Verdict::ok, "", "2026-12-07T14:01:00+01:00"), "");
      ASSERT_EQ(window_record.end("2026-12-07T14:02:00+01:00"), "");
    }
    CliProcess cli({"walk", "5", "6", "--confirm", file}, nullptr, true);
    if (!only_by_hand_left) {
      ASSERT_TRUE(cli.wait_for_err("Dokończyć od „adr 0. Alarm II”? [T/n] ", 1, 20s)) << cli.err_so_far();
      cli.press("t");
    }
    for (int shown = 1; shown <= (only_by_hand_left ? 2 : 1); ++shown) rate(cli, shown, "o");
    ASSERT_TRUE(cli.wait_for_err("Test po kolei zakończony", 1, 20s)) << cli.err_so_far();
    const CliRun run = cli.finish();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("Strata łączności"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("czeka tylko na zdarzenia sprawdzane ręcznie") != std::string::npos, only_by_hand_left)
        << run.err;
    const JournalReading reading = load_walk_journal(journal);
    ASSERT_TRUE(reading.ok) << reading.reason;
    ASSERT_EQ(reading.records.size(), only_by_hand_left ? 2u : 1u);
    const WalkRecord& windows = *reading.records.front().record;  // the oldest first
    EXPECT_FALSE(windows.line(1)->shown());
    EXPECT_EQ(windows.line(6)->verdict, Verdict::ok);
  }
}

// No table, or another table in the module: the walk does not begin (with
// another table, without --force), and names the number of differing cells;
// --confirm needs a terminal.
TEST_F(CliBinaryTest, WalkWithVerdictsRefusesAModuleHoldingAnotherTable) {
  TestBed bed;
  const ConfigMatrix matrix = random_matrix(12);
  const std::string in_module = write_file("w-module.zel", matrix);
  CliProcess erased({"walk", "5", "9", "--confirm", in_module, "--force"}, nullptr, true);
  const CliRun erased_run = erased.finish();
  EXPECT_EQ(erased_run.status, 65) << erased_run.err;
  EXPECT_NE(erased_run.err.find("Moduł nie zawiera poprawnej konfiguracji!"), std::string::npos) << erased_run.err;
  EXPECT_FALSE(fs::exists(dir_ / "w-module.zel-protokoly"));
  ASSERT_EQ(run_cli_binary({"upload", in_module}).status, 0);
  ConfigMatrix other = matrix;
  for (int row : {5, 17, 300}) other.set(row, 3, static_cast<std::uint8_t>((other.at(row, 3) + 1) % 4));
  const std::string file = write_file("inna.zel", other);
  bed.module().clear_requests();

  CliProcess refused({"walk", "5", "9", "--confirm", file}, nullptr, true);
  const CliRun run = refused.finish();
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("Konfiguracja w module różni się w 3 komórkach!"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("3 komórek się różni"), std::string::npos) << run.err;
  EXPECT_TRUE(bed.module().rs485_received().empty());
  EXPECT_FALSE(fs::exists(dir_ / "inna.zel-protokoly"));

  // A project's walk ends each rated line with the address's name.
  Project project;
  project.matrix = other;
  project.names.addresses[0] = "Hala A";
  const fs::path named = dir_ / "inna.zelp";
  ASSERT_TRUE(save_project(named, project).ok);
  CliProcess forced({"walk", "5", "5", "--confirm", named.string(), "--force", "--record", (dir_ / "d.jsonl").string()},
                    nullptr, true);
  rate(forced, 1, "o");
  const std::optional<WalkRecord> forced_record =
      finished_record(forced, "5\tadr 0. Alarm I\tOK\t\tHala A\n", dir_ / "d.jsonl");
  ASSERT_TRUE(forced_record);
  ASSERT_EQ(forced_record->sessions.size(), 1u);
  EXPECT_EQ(forced_record->sessions[0].module, emulated_module(3));

  const CliRun no_terminal = run_cli_binary({"walk", "--confirm", file});
  EXPECT_EQ(no_terminal.status, 64);
  EXPECT_NE(no_terminal.err.find("--confirm wymaga terminala"), std::string::npos) << no_terminal.err;
}

// A record of `matrix`'s rows 5-7 with `verdicts` given, closed.
WalkRecord walked_record(const ConfigMatrix& matrix, const std::string& engineer,
                         const std::vector<Verdict>& verdicts, const std::string& began) {
  WalkRecord record = new_record("hala.zel", matrix, {}, {5, 6, 7}, "1.0", engineer, emulated_module(0), began);
  for (std::size_t i = 0; i < verdicts.size(); ++i)
    record.take(5 + static_cast<int>(i), verdicts[i], verdicts[i] == Verdict::fault ? "miga" : "", began);
  record.sessions.back().closed = true;
  return record;
}

// One journal file with three records, the middle one damaged: --list shows
// all, newest first; --record N prints any readable one; a damaged one is
// refused naming its line, also as the newest without --record.
TEST_F(CliBinaryTest, ProtocolListsTheRecordsAndPrintsAnyReadableOne) {
  const ConfigMatrix matrix = random_matrix(14);
  const WalkRecord first =
      walked_record(matrix, "Jan Kowalski", {Verdict::ok, Verdict::fault, Verdict::ok}, "2026-12-07T14:02:00+01:00");
  const WalkRecord third = walked_record(matrix, "Ewa Nowak", {Verdict::ok}, "2026-12-08T09:30:00+01:00");
  const std::string first_text = journal_text(first);
  const int damaged_line = static_cast<int>(std::count(first_text.begin(), first_text.end(), '\n')) + 2;
  const std::string second_text = journal_text(walked_record(matrix, "", {Verdict::ok}, "2026-12-07T15:00:00+01:00"));
  const std::size_t second_start_end = second_text.find('\n') + 1;
  const fs::path journal = dir_ / "hala.jsonl";
  std::ofstream(journal, std::ios::binary) << first_text << second_text.substr(0, second_start_end)
                                           << "{\"type\":\"nieznany\"}\n"
                                           << second_text.substr(second_start_end) << journal_text(third);

  const CliRun list = run_cli_binary({"protocol", journal.string(), "--list"});
  EXPECT_EQ(list.status, 0) << list.err;
  const std::string damaged_prefix = "2\tuszkodzony: Błąd w dzienniku, wiersz " + std::to_string(damaged_line) + ":";
  std::istringstream lines(list.out);
  std::vector<std::string> listed;
  for (std::string line; std::getline(lines, line);) listed.push_back(line);
  ASSERT_EQ(listed.size(), 3u) << list.out;
  EXPECT_EQ(listed[0], "3\t2026-12-08 09:30:00\tEwa Nowak\tOK 1, błędy 0, bez oceny 0, zostało 2\ttest po kolei");
  EXPECT_EQ(listed[1].rfind(damaged_prefix, 0), 0u) << listed[1];
  EXPECT_EQ(listed[2], "1\t2026-12-07 14:02:00\tJan Kowalski\tOK 2, błędy 1, bez oceny 0, zostało 0\ttest po kolei");

  const fs::path csv = dir_ / "p.csv";
  struct Case {
    std::vector<std::string> record;  // --record N, or nothing for the newest
    int status;
    std::string csv_or_error;
  };
  const Case cases[] = {
      {{}, 0, walk_protocol_csv(third)},
      {{"--record", "1"}, 0, walk_protocol_csv(first)},  // a fault, then a new start: both are kept
      {{"--record", "2"}, 66, "protokół 2 jest uszkodzony: Błąd w dzienniku, wiersz " + std::to_string(damaged_line)},
      {{"--record", "4"}, 66, "nie ma w nim protokołu 4 (protokoły: 1-3)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.csv_or_error);
    fs::remove(csv);
    std::vector<std::string> arguments = {"protocol", journal.string(), "--csv", csv.string()};
    arguments.insert(arguments.end(), c.record.begin(), c.record.end());
    const CliRun run = run_cli_binary(arguments);
    EXPECT_EQ(run.status, c.status) << run.err;
    if (c.status == 0) {
      EXPECT_EQ(file_bytes(csv), c.csv_or_error);
    } else {
      EXPECT_NE(run.err.find(c.csv_or_error), std::string::npos) << run.err;
      EXPECT_FALSE(fs::exists(csv));
    }
  }

  // The damaged record as the newest.
  std::ofstream(journal, std::ios::binary | std::ios::app) << "{\"type\":\"start\"}\n";
  const CliRun newest = run_cli_binary({"protocol", journal.string(), "--csv", csv.string()});
  EXPECT_EQ(newest.status, 66) << newest.err;
  EXPECT_NE(newest.err.find("protokół 4 jest uszkodzony: Błąd w dzienniku, wiersz"), std::string::npos) << newest.err;
}

// A journal that is a FIFO is refused before it is opened, at once: nothing
// is read, nothing is sent to the module.
TEST_F(CliBinaryTest, JournalThatIsNotAFileOrFolderIs66AtOnce) {
  TestBed bed;
  const std::string file = write_file("hala.zel", random_matrix(15));
  const fs::path fifo = dir_ / "dziennik.jsonl";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  bed.module().clear_requests();
  const std::vector<std::vector<std::string>> runs = {
      {"protocol", fifo.string(), "--list"},
      {"protocol", fifo.string(), "--csv", (dir_ / "p.csv").string()},
      {"walk", "--confirm", file, "--record", fifo.string()},
      {"field", file, "--record", fifo.string()},
  };
  for (const std::vector<std::string>& arguments : runs) {
    SCOPED_TRACE(arguments.front());
    CliProcess cli(arguments, nullptr, true);
    // A reader that opened the FIFO would wait for a writer for good.
    ASSERT_TRUE(cli.wait_for_err("BŁĄD: nie można odczytać dziennika", 1, 5s)) << cli.err_so_far();
    const CliRun run = cli.finish();
    EXPECT_EQ(run.status, 66) << run.err;
  }
  EXPECT_TRUE(bed.module().requests().empty());
  EXPECT_FALSE(fs::exists(dir_ / "p.csv"));
}

}  // namespace

namespace {

std::vector<std::uint8_t> unit_frame(int row, int unit = 0) {
  const TestPayload payload = build_test_payload(row, unit);
  return {payload.begin(), payload.end()};
}

// The lines of `text` with their leading time of day taken off; each must have one.
std::vector<std::string> without_times(const std::string& text) {
  static const std::regex time("^[0-2][0-9]:[0-5][0-9]:[0-5][0-9]\\.[0-9]{3}[\t;]");
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    EXPECT_TRUE(std::regex_search(line, time)) << line;
    lines.push_back(line.substr(13));
  }
  return lines;
}

// --log appends: an earlier record stays, also when no module is found,
// and the header is not written again; a log that cannot be written is 73.
// The module queued ten frames flapping one event while nobody asked: they
// are the state at the start, one line, and no begin/end pairs.
TEST_F(CliBinaryTest, MonitorLogIsAppendedToAndAFailedWriteIs73) {
  const fs::path log = dir_ / "protokol.csv";
  const std::string earlier =
      "\xEF\xBB\xBF" "czas;centrala;wiersz;zdarzenie;zmiana\r\n08:00:00.000;0;26;adr 7. Alarm I;początek\r\n";
  std::ofstream(log, std::ios::binary) << earlier;
  {
    TestBedOptions keyboard_only;
    keyboard_only.modules = 0;
    TestBed bed(keyboard_only);
    const CliRun run = run_cli_binary({"monitor", "--for", "1", "--log", log.string()});
    EXPECT_EQ(run.status, 69) << run.err;
    EXPECT_EQ(file_bytes(log), earlier);
  }
  TestBed bed;
  bed.module().set_dropped(3);
  for (int i = 0; i < 10; ++i) bed.module().queue_rs485(unit_frame(i % 2 == 0 ? 0 : 26));
  const CliRun run = run_cli_binary({"monitor", "--for", "1", "--log", log.string()});
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string start_state = "stan na starcie z 10 ramek z kolejki modułu; aktywne: centrala 0 adr 7. Alarm I";
  EXPECT_EQ(without_times(run.out), (std::vector<std::string>{"opuszczono 3 ramek", start_state}));
  const std::string csv = file_bytes(log);
  ASSERT_TRUE(csv.starts_with(earlier)) << csv;
  EXPECT_EQ(without_times(csv.substr(earlier.size())),
            (std::vector<std::string>{";;opuszczono 3 ramek;\r", ";;\"" + start_state + "\";\r"}));
  // A quiet bus for the rest of the second: polls, but nothing more printed.
  EXPECT_GT(bed.module().requests().size(), 10u);

  const CliRun full = run_cli_binary({"monitor", "--for", "1", "--log", "/dev/full"});
  EXPECT_EQ(full.status, 73);
  EXPECT_EQ(full.err, "BŁĄD: nie można zapisać dziennika do pliku \"/dev/full\": brak miejsca na dysku\n");

  // The disk fills up while the monitor runs: the first row it cannot take
  // ends the run. The log fills its first block, so a row needs another.
  const SmallTmpfs disk(dir_ / "pelny");
  if (!disk.mounted()) GTEST_SKIP() << "mounting a small tmpfs needs root";
  const fs::path full_log = dir_ / "pelny" / "protokol.csv";
  std::ofstream(full_log, std::ios::binary) << earlier << std::string(4096 - earlier.size(), '#');
  disk.fill();
  bed.module().queue_rs485(unit_frame(26));
  const CliRun stopped = run_cli_binary({"monitor", "--for", "5", "--log", full_log.string()});
  EXPECT_EQ(stopped.status, 73);
  EXPECT_EQ(stopped.err, "BŁĄD: nie udało się zapisać dziennika do pliku \"" + full_log.string() +
                             "\": brak miejsca na dysku\n");
  EXPECT_EQ(fs::file_size(full_log), 4096u);
}

TEST_F(CliBinaryTest, MonitorPrintsEachChangeAtOnceUntilCtrlCOrAFailure) {
  TestBed bed;
  const fs::path log = dir_ / "zmiany.csv";
  CliProcess cli({"monitor", "--raw", "--log", log.string()});
  ASSERT_TRUE(cli.started());
  while (bed.module().requests().size() < 3) std::this_thread::sleep_for(5ms);
  bed.module().set_dropped(2);
  bed.module().queue_rs485(unit_frame(28, 4));
  bed.module().queue_rs485(unit_frame(0, 4));
  bed.module().queue_rs485(std::vector<std::uint8_t>(12, 0xAB));
  auto hex = [](const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (std::uint8_t byte : bytes) text += (text.empty() ? "" : " ") + std::string{"0123456789ABCDEF"[byte >> 4], "0123456789ABCDEF"[byte & 15]};
    return text;
  };
  const std::vector<std::string> expected{hex(unit_frame(28, 4)),
                                          "opuszczono 2 ramek",
                                          "centrala 4\t28\tadr 7. Awaria\tpoczątek",
                                          hex(unit_frame(0, 4)),
                                          "centrala 4\t28\tadr 7. Awaria\tkoniec",
                                          "AB AB AB AB AB AB AB AB AB AB AB AB",
                                          "inna ramka (12 B)"};
  std::string out;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const std::optional<std::string> line = cli.next_line(5s);
    ASSERT_TRUE(line) << i;
    out += *line + "\n";
  }
  EXPECT_EQ(without_times(out), expected);
  cli.interrupt();
  const CliRun run = cli.finish();
  EXPECT_EQ(run.status, 130) << run.err;
  EXPECT_NE(run.err.find("PRZERWANO (Ctrl+C)"), std::string::npos) << run.err;
  const std::string csv = file_bytes(log);
  ASSERT_TRUE(csv.starts_with("\xEF\xBB\xBF" "czas;centrala;wiersz;zdarzenie;zmiana\r\n")) << csv;
  EXPECT_EQ(without_times(csv.substr(csv.find('\n') + 1)),
            (std::vector<std::string>{";;opuszczono 2 ramek;\r", "4;28;adr 7. Awaria;początek\r",
                                      "4;28;adr 7. Awaria;koniec\r", ";;inna ramka (12 B);\r"}));

  ZelModule::Faults refuse;
  refuse.refuse_code = RS485_PLEASE_USB_FRAME;
  bed.module().set_faults(refuse);
  const CliRun refused = run_cli_binary({"monitor", "--for", "5"});
  EXPECT_EQ(refused.status, 74);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err,
            "Monitor magistrali zatrzymany: moduł odrzucił polecenie RS485_please_frame!\n"
            "BŁĄD: moduł nie przyjął polecenia RS485_please_frame\n");

  const CliRun unwritable = run_cli_binary({"monitor", "--log", (dir_ / "brak" / "x.csv").string()});
  EXPECT_EQ(unwritable.status, 73);
}

// A project lighting lamp N+1 steadily for "adr N. Alarm I", N = 0-2; address 2 named.
std::string field_project(const fs::path& path) {
  Project project;
  for (int address = 0; address < 3; ++address) project.matrix.set(5 + 3 * address, address, LED_STEADY);
  project.names.addresses[2] = "Kotłownia";
  EXPECT_TRUE(save_project(path, project).ok);
  return path.string();
}

// The bus reports adr 0 Alarm I, adr 1 Alarm I, then adr 5 Awaria, which lights
// nothing: each beginning is a line, then the coverage and the event not seen;
// the protocol lists the three planned events and the one without a lamp.
// Without a module: 69, and no record; nor for a range that lights nothing (64).
TEST_F(CliBinaryTest, FieldTestPrintsEachEventThatBeginsThenWhatWasNotSeen) {
  const std::string project = field_project(dir_ / "obiekt.zelp");
  const fs::path journal = dir_ / "J";
  {
    TestBedOptions keyboard_only;
    keyboard_only.modules = 0;
    TestBed bed(keyboard_only);
    EXPECT_EQ(run_cli_binary({"field", project, "--for", "4", "--record", journal.string()}).status, 69);
    EXPECT_FALSE(fs::exists(journal));
  }
  TestBed bed;
  ASSERT_EQ(run_cli_binary({"upload", project}).status, 0);
  const CliRun dark = run_cli_binary({"field", project, "300", "304", "--record", journal.string()});
  EXPECT_EQ(dark.status, 64);
  EXPECT_NE(dark.err.find("nie ma czego sprawdzać"), std::string::npos) << dark.err;
  EXPECT_FALSE(fs::exists(journal));
  CliProcess cli({"field", project, "--for", "4", "--record", journal.string()});
  ASSERT_TRUE(cli.wait_for_err("Próba z obiektu: nasłuch wszystkich central", 1, 20s)) << cli.err_so_far();
  for (int row : {5, 8, 22}) bed.module().queue_rs485(unit_frame(row));
  const CliRun run = cli.finish();
  EXPECT_EQ(run.status, 0) << run.err;
  const std::size_t events_end = run.out.find("Widziano");
  ASSERT_NE(events_end, std::string::npos) << run.out;
  EXPECT_EQ(without_times(run.out.substr(0, events_end)),
            (std::vector<std::string>{"centrala 0\t5\tadr 0. Alarm I\t1 – ciągłe",
                                      "centrala 0\t8\tadr 1. Alarm I\t2 – ciągłe", "centrala 0\t22\tadr 5. Awaria\tnic"}));
  EXPECT_EQ(run.out.substr(events_end),
            "Widziano 2 z 3 zdarzeń planu, bez lampy: 1.\nnie widziano\t11\tadr 2. Alarm I\tKotłownia\n");

  const fs::path csv = dir_ / "F.csv";
  ASSERT_EQ(run_cli_binary({"protocol", journal.string(), "--csv", csv.string()}).status, 0);
  // Each line without the time the bus reported its event ("widziano", the last but one).
  std::vector<std::string> lines;
  std::istringstream table(file_bytes(csv));
  for (std::string line; std::getline(table, line);) {
    const std::size_t unit = line.rfind(';');
    lines.push_back(line.substr(0, line.rfind(';', unit - 1)) + line.substr(unit));
  }
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "\xEF\xBB\xBFwiersz;zdarzenie;nazwa;oczekiwane;stan;ocena;uwagi;czas oceny;centrala\r",
                       "5;adr 0. Alarm I;;1 – ciągłe;widziano – bez oceny;nie oceniono;;;0\r",
                       "8;adr 1. Alarm I;;2 – ciągłe;widziano – bez oceny;nie oceniono;;;0\r",
                       "11;adr 2. Alarm I;Kotłownia;3 – ciągłe;nie widziano;;;;\r", "22;adr 5. Awaria;;nic;bez lampy;;;;0\r"}));
  const CliRun list = run_cli_binary({"protocol", journal.string(), "--list"});
  EXPECT_TRUE(list.out.ends_with("\twidziano 2 z 3, bez lampy 1, OK 0, błędy 0\tpróba z obiektu\n")) << list.out;
}

// Listening to unit 1 on a terminal: "b" and a comment rate the event just
// seen; unit 2's event is a finding. An unplug ends the run with 74, its
// coverage printed and the session closed; the next run of unit 1, without
// a terminal, goes on with the record in a session of its own. A comment
// cut short by --for is not a verdict.
TEST_F(CliBinaryTest, FieldTestTakesVerdictsOnATerminalAndGoesOnAfterAnUnplug) {
  const std::string project = field_project(dir_ / "obiekt.zelp");
  const fs::path journal = dir_ / "obiekt.zelp-protokoly";
  {
    TestBed bed;
    ASSERT_EQ(run_cli_binary({"upload", project}).status, 0);
    CliProcess cli({"field", project, "--unit", "1"}, nullptr, true);
    ASSERT_TRUE(cli.wait_for_err("nasłuch centrali 1", 1, 20s)) << cli.err_so_far();
    bed.module().queue_rs485(unit_frame(5, 1));
    ASSERT_TRUE(cli.wait_for_err("ocena „adr 0. Alarm I” (Enter/o – OK, b – błąd, q – koniec): ", 1, 5s));
    cli.press("b");
    ASSERT_TRUE(cli.wait_for_err("uwagi (adr 0. Alarm I): ", 1, 5s)) << cli.err_so_far();
    cli.press("m");  // a key at a time, as typed
    ASSERT_TRUE(cli.wait_for_err("uwagi (adr 0. Alarm I): m", 1, 5s)) << cli.err_so_far();
    cli.press("iga\r");
    ASSERT_TRUE(cli.wait_for_err("miga\n", 1, 5s)) << cli.err_so_far();
    bed.module().queue_rs485(unit_frame(8, 2));
    ASSERT_TRUE(cli.next_line(5s));
    ASSERT_TRUE(cli.next_line(5s));
    bed.unplug();
    const CliRun run = cli.finish();
    EXPECT_EQ(run.status, 74) << run.err;
    EXPECT_NE(run.out.find("Widziano 1 z 3 zdarzeń planu, bez lampy: 0.\nnie widziano\t8\t"), std::string::npos)
        << run.out;
  }
  const JournalReading left = load_walk_journal(journal);
  ASSERT_TRUE(left.ok && left.newest() && left.newest()->record) << left.reason;
  const WalkRecord& record = *left.newest()->record;
  EXPECT_TRUE(record.closed());
  EXPECT_EQ(record.line(5)->verdict, Verdict::fault);
  EXPECT_EQ(record.line(5)->comment, "miga");
  EXPECT_EQ(record.line(5)->unit, 1);
  ASSERT_EQ(record.findings.size(), 1u);
  EXPECT_EQ(record.findings[0].kind, FindingKind::other_unit);
  EXPECT_EQ(record.findings[0].unit, 2);

  TestBed bed;
  ASSERT_EQ(run_cli_binary({"upload", project}).status, 0);
  const CliRun again = run_cli_binary({"field", project, "--unit", "1", "--for", "1"});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.err.find("widziano 1 z 3, bez lampy 0, innej centrali 1. Dokończyć? [T/n] t (bez terminala"),
            std::string::npos)
      << again.err;
  const JournalReading resumed = load_walk_journal(journal);
  ASSERT_EQ(resumed.records.size(), 1u);
  ASSERT_TRUE(resumed.newest()->record);
  EXPECT_EQ(resumed.newest()->record->sessions.size(), 2u);

  // Time up while a fault's comment is typed: not written, and said.
  CliProcess typing({"field", project, "--unit", "1", "--for", "5", "--record", (dir_ / "J").string()}, nullptr, true);
  ASSERT_TRUE(typing.wait_for_err("nasłuch centrali 1", 1, 20s)) << typing.err_so_far();
  bed.module().queue_rs485(unit_frame(8, 1));
  ASSERT_TRUE(typing.wait_for_err("(Enter/o – OK, b – błąd, q – koniec): ", 1, 5s)) << typing.err_so_far();
  typing.press("b");
  ASSERT_TRUE(typing.wait_for_err("uwagi (adr 1. Alarm I): ", 1, 5s)) << typing.err_so_far();
  typing.press("nie");
  const CliRun cut = typing.finish();
  EXPECT_EQ(cut.status, 0) << cut.err;
  EXPECT_NE(cut.err.find("uwagi (adr 1. Alarm I): nie\n  Bez Enter: ocena „adr 1. Alarm I” nie została zapisana.\n"),
            std::string::npos)
      << cut.err;
  const JournalReading unrated = load_walk_journal(dir_ / "J");
  ASSERT_TRUE(unrated.ok && unrated.newest() && unrated.newest()->record) << unrated.reason;
  EXPECT_FALSE(unrated.newest()->record->line(8)->rated());
}

}  // namespace

// --version names the program's licence.
TEST_F(CliBinaryTest, VersionNamesTheLicence) {
  const CliRun run = run_cli_binary({"--version"});
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.out.starts_with("zel17-cli 1.")) << run.out;
  EXPECT_NE(run.out.find("\nCopyright (c) 2026 ZEL17 developers. Licencja MIT.\n"), std::string::npos) << run.out;
}
