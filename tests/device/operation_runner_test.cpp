// SPDX-License-Identifier: MIT
// The upload and read-back runners against the emulated module's firmware
// model, exchanged in-process (the pty path is covered by the window tests).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "config/flash_image.h"
#include "config/readback_runner.h"
#include "config/upload_runner.h"
#include "emulator/zel_module.h"
#include "protocol/console_log.h"
#include "protocol/usb_protocol.h"
#include "text/cp1250.h"

namespace {

struct Recorder {
  std::vector<std::pair<std::string, int>> statuses;  // text, progress when set
  int progress = 0;
  OperationView view() {
    return {[this](std::string_view s) { statuses.emplace_back(std::string(s), progress); },
            [this](int p) { progress = p; }};
  }
};

USB_protocol::Exchange exchange_with(ZelModule& module) {
  return [&module](const UsbFrame& request, UsbFrame& response) {
    const auto answer = module.handle(request);
    if (answer) response = *answer;
    return answer.has_value();
  };
}

class RunnerTest : public testing::Test {
 protected:
  void SetUp() override { console_log().clear(); }
  ZelModule module;
  USB_protocol protocol{exchange_with(module)};
};

ConfigMatrix random_matrix(unsigned seed) {
  std::mt19937 rng(seed);
  ConfigMatrix m;
  for (int r = 0; r < ConfigMatrix::kRows; ++r)
    for (int c = 0; c < ConfigMatrix::kColumns; ++c)
      if (r != ConfigMatrix::kNoFunctionRow) m.set(r, c, static_cast<std::uint8_t>(rng() % 6));
  return m;
}

// The mask of one row for one mode bit, straight from the cell values.
std::uint32_t expected_mask(const ConfigMatrix& m, int row, int bit) {
  std::uint32_t mask = 0;
  for (int c = 0; c < ConfigMatrix::kColumns; ++c) {
    const int v = m.at(row, c);
    if (v >= 1 && v <= 3 && ((v >> bit) & 1)) mask |= 1u << c;
  }
  return mask;
}

std::uint32_t record_at(const ZelModule::Block& block, int offset) {
  return block[offset] | block[offset + 1] << 8 | block[offset + 2] << 16 |
         static_cast<std::uint32_t>(block[offset + 3]) << 24;
}

bool console_has(std::string_view utf8) {
  const std::string wanted = text::to_cp1250(utf8);
  for (const std::string& line : console_log().lines())
    if (line == wanted) return true;
  return false;
}

}  // namespace

TEST_F(RunnerTest, UploadWritesEveryRecordWithStatusesAndProgress) {
  const ConfigMatrix matrix = random_matrix(17);
  Recorder ui;
  ASSERT_EQ(run_flash_upload(protocol, matrix, ui.view()), UploadOutcome::written);

  for (int page = 0; page < 6; ++page) {
    const int first_row = 5 + page / 2, bit = page % 2;
    for (int n = 0; n < 100; ++n) {
      const ZelModule::Block block = module.block(page, n / 8);
      EXPECT_EQ(record_at(block, (n % 8) * 8), expected_mask(matrix, first_row + 3 * n, bit))
          << "page " << page << " record " << n;
      EXPECT_EQ(record_at(block, (n % 8) * 8 + 4), 0u);
    }
    // Block 12's second half repeats its first.
    const ZelModule::Block last = module.block(page, 12);
    EXPECT_TRUE(std::equal(last.begin(), last.begin() + 32, last.begin() + 32)) << page;
  }
  for (int page = 0; page < 2; ++page) {
    const ZelModule::Block special = module.block(page, 13);
    for (int row = 0; row < 4; ++row)
      EXPECT_EQ(record_at(special, row * 8), expected_mask(matrix, row, page)) << row;
    EXPECT_TRUE(std::all_of(special.begin() + 32, special.end(), [](auto b) { return b == 0; }));
  }
  EXPECT_EQ(module.requests().size(), 166u);

  const std::vector<std::pair<std::string, int>> expected = {
      {"Konwersja konfiguracji...", 0},
      {"Czyszczenie pamięci FLASH...", 1},
      {"Zapisywanie konfiguracji zdarzeń specjalnych...", 7},
      {"Zapisywanie konfiguracji zdarzeń adresów...", 8},
      {"Konfiguracja zapisana!", 86},
  };
  EXPECT_EQ(ui.statuses, expected);
  EXPECT_TRUE(console_has("\t\t\t*** Rozpoczęto proces zapisywania konfiguracji do FLASH! ***"));
  EXPECT_TRUE(console_has("\t\t\t*** Zakończono proces zapisywania konfiguracji do FLASH! ***"));
}

TEST_F(RunnerTest, UploadStopsAtTheFirstCommandNotAccepted) {
  struct Case {
    const char* name;
    ZelModule::Faults faults;
    std::size_t requests_sent;
    UploadOutcome outcome;  // after an accepted erase the module holds no configuration
  };
  ZelModule::Faults refuse_erase;
  refuse_erase.refuse_code = ERASE_FLASH_PAGE_USB_FRAME;
  ZelModule::Faults refuse_write;
  refuse_write.refuse_code = WRITE_FLASH_BLOCK_USB_FRAME;
  ZelModule::Faults wrong_at_20;
  wrong_at_20.wrong_code = 0x05;
  wrong_at_20.fail_at = 20;
  ZelModule::Faults silent_at_50;
  silent_at_50.no_answer = true;
  silent_at_50.fail_at = 50;
  ZelModule::Faults silent_first_erase = silent_at_50;
  silent_first_erase.fail_at = 0;
  const Case cases[] = {
      {"refused first erase", refuse_erase, 1, UploadOutcome::aborted},
      {"first erase unanswered", silent_first_erase, 1, UploadOutcome::aborted_maybe_erased},
      {"refused write", refuse_write, 8, UploadOutcome::aborted_after_erase},  // 6 erases, buffer, write
      {"wrong code", wrong_at_20, 21, UploadOutcome::aborted_after_erase},
      {"no answer", silent_at_50, 51, UploadOutcome::aborted_after_erase},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ZelModule module;
    USB_protocol protocol(exchange_with(module));
    console_log().clear();
    module.set_faults(c.faults);
    Recorder ui;
    int erased_calls = 0;
    OperationView view = ui.view();
    view.module_erased = [&] { ++erased_calls; };
    EXPECT_EQ(run_flash_upload(protocol, random_matrix(3), view), c.outcome);
    EXPECT_EQ(erased_calls, c.outcome == UploadOutcome::aborted_after_erase ? 1 : 0);
    EXPECT_EQ(module.requests().size(), c.requests_sent);
    ASSERT_FALSE(ui.statuses.empty());
    EXPECT_EQ(ui.statuses.back().first, "Błąd zapisu konfiguracji!");
    EXPECT_TRUE(console_has("\t\t\t*** Przerwano proces zapisywania konfiguracji do FLASH! ***"));
    EXPECT_FALSE(console_has("\t\t\t*** Zakończono proces zapisywania konfiguracji do FLASH! ***"));
    // The banner follows the failed command's own line: empty, banner, empty.
    const auto& lines = console_log().lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "");
    EXPECT_EQ(lines.back(), "");
  }
}

// Ctrl+C on the command line: the run ends before its next command, as a
// failed run ends, and sends nothing more.
TEST_F(RunnerTest, StopRequestEndsTheRunBeforeTheNextCommand) {
  Recorder ui;
  OperationView view = ui.view();
  view.stop_requested = [&ui] { return ui.progress >= 10; };
  EXPECT_EQ(run_flash_upload(protocol, random_matrix(5), view), UploadOutcome::aborted_after_erase);
  // Conversion (1), six erases (7), the special blocks (8), two address blocks (10).
  EXPECT_EQ(module.requests().size(), 6u + 4u + 4u);
  EXPECT_EQ(ui.statuses.back().first, "Błąd zapisu konfiguracji!");
  EXPECT_TRUE(console_has("\t\t\t*** Przerwano proces zapisywania konfiguracji do FLASH! ***"));

  module.clear_requests();
  ReadbackResult result;
  view.stop_requested = [&ui] { return ui.progress >= 3; };
  ui.progress = 0;
  EXPECT_EQ(run_flash_readback(protocol, view, result), ReadbackOutcome::failed);
  EXPECT_EQ(module.requests().size(), 3u);
}

TEST_F(RunnerTest, ReadBackGivesTheUploadedCells) {
  ConfigMatrix uploaded = random_matrix(99);
  Recorder ui;
  ASSERT_EQ(run_flash_upload(protocol, uploaded, ui.view()), UploadOutcome::written);

  ConfigMatrix grid;  // fresh grid
  Recorder read_ui;
  ASSERT_EQ(read_configuration(protocol, grid, read_ui.view()), ReadbackOutcome::read);
  for (int r = 0; r < ConfigMatrix::kRows; ++r)
    for (int c = 0; c < ConfigMatrix::kColumns; ++c) {
      const int v = uploaded.at(r, c);
      const int expected = r == 4 ? 255 : (v <= 3 ? v : 0);
      ASSERT_EQ(grid.at(r, c), expected) << r << "," << c;
    }
  EXPECT_EQ(read_ui.progress, kReadbackCount);
  EXPECT_EQ(read_ui.statuses.front().first, "Odczytywanie konfiguracji...");
  EXPECT_EQ(read_ui.statuses.back().first, "Konfiguracja odczytana!");

  // Verifying right away agrees; one changed cell is reported alone.
  std::vector<CellDifference> differences;
  Recorder verify_ui;
  ASSERT_EQ(verify_configuration(protocol, grid, verify_ui.view(), differences),
            ReadbackOutcome::read);
  EXPECT_TRUE(differences.empty());
  EXPECT_EQ(verify_ui.statuses.back().first, "Konfiguracja w module zgodna z edytowaną.");

  grid.set(27, 6, next_led_mode(grid.at(27, 6)));
  console_log().clear();
  ASSERT_EQ(verify_configuration(protocol, grid, verify_ui.view(), differences),
            ReadbackOutcome::read);
  ASSERT_EQ(differences.size(), 1u);
  EXPECT_EQ(differences[0].row, 27);
  EXPECT_EQ(differences[0].column, 6);
  EXPECT_EQ(verify_ui.statuses.back().first, "Konfiguracja w module różni się w 1 komórce!");
  EXPECT_TRUE(console_has(difference_line(differences[0])));
}

TEST_F(RunnerTest, ReadBackOfAnUnwrittenOrFailingModuleChangesNoCell) {
  ConfigMatrix grid = random_matrix(5);
  const ConfigMatrix before = grid;
  Recorder ui;
  EXPECT_EQ(read_configuration(protocol, grid, ui.view()), ReadbackOutcome::invalid);
  EXPECT_EQ(ui.statuses.back().first, "Moduł nie zawiera poprawnej konfiguracji!");
  EXPECT_EQ(grid, before);

  ASSERT_EQ(run_flash_upload(protocol, random_matrix(6), ui.view()), UploadOutcome::written);
  ZelModule::Faults refuse_read;
  refuse_read.refuse_code = READ_FLASH_BLOCK_USB_FRAME;
  refuse_read.fail_at = static_cast<int>(module.requests().size()) + 10;  // a few reads in
  module.set_faults(refuse_read);
  EXPECT_EQ(read_configuration(protocol, grid, ui.view()), ReadbackOutcome::failed);
  EXPECT_EQ(ui.statuses.back().first, "Błąd odczytu konfiguracji!");
  EXPECT_EQ(grid, before);
}
