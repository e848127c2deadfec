// SPDX-License-Identifier: MIT
// A long session against the emulated module: many uploads and output tests
// in a row through the real window and transport, each with a seeded random
// fault or none. The tool must not crash, must not grow, must end every run
// disconnected with the progress bar hidden, and must never report a faulty
// run as a success.
//
// ZEL_SOAK_SEED and ZEL_SOAK_ROUNDS change the seed (default 17) and the
// number of rounds (default 200, an upload and an output test each).

#include <QCoreApplication>
#include <QProgressBar>
#include <QStringList>
#include <QSpinBox>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <unistd.h>

#include "config/flash_image.h"
#include "config/test_payload.h"
#include "config/upload_runner.h"
#include "flash_layout.h"
#include "gui/edit_history.h"
#include "module_window_fixture.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;  // the sanitizer's quarantine makes the size meaningless
#else
constexpr bool kSanitized = false;
#endif

int env_number(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && *text != '\0' ? std::atoi(text) : fallback;
}

long resident_kib() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

enum class FaultKind { none, no_answer, refusal, wrong_code, unplug };

const char* fault_name(FaultKind kind) {
  switch (kind) {
    case FaultKind::none: return "none";
    case FaultKind::no_answer: return "no answer";
    case FaultKind::refusal: return "refusal";
    case FaultKind::wrong_code: return "wrong code";
    case FaultKind::unplug: return "unplug";
  }
  return "?";
}

// The request code of every exchange of a run: the hello of the connect
// first, then the run's own commands.
std::vector<std::uint8_t> upload_codes() {
  std::vector<std::uint8_t> codes{HELLO_USB_FRAME};
  for (const UploadStep& step : build_upload_plan(ModeMasks{})) {
    switch (step.command.kind) {
      case FlashCommand::erase: codes.push_back(ERASE_FLASH_PAGE_USB_FRAME); break;
      case FlashCommand::buffer: codes.push_back(BUFFOR_FLASH_BLOCK_USB_FRAME); break;
      case FlashCommand::write: codes.push_back(WRITE_FLASH_BLOCK_USB_FRAME); break;
    }
  }
  return codes;
}
const std::vector<std::uint8_t> kTestCodes{HELLO_USB_FRAME, RS485_GIFT_USB_FRAME};

struct Fault {
  FaultKind kind = FaultKind::none;
  int at = -1;  // exchange index
  ZelModule::Faults module;
};

// A no-answer costs the transport's full read limit (1 s), so it is rare.
// Faults other than the unplug hit one of the run's own commands, never the
// greeting, whose outcome does not decide the run; an unplug may come at
// any exchange, the greeting's too, since the module is then gone for good.
Fault draw_fault(std::mt19937& rng, const std::vector<std::uint8_t>& codes) {
  Fault fault;
  const int pick = static_cast<int>(rng() % 100);
  const int exchanges = static_cast<int>(codes.size());
  const int command_at = 1 + static_cast<int>(rng() % (exchanges - 1));
  if (pick < 58) return fault;
  if (pick < 72) {
    fault.kind = FaultKind::refusal;
    fault.at = command_at;
    fault.module.fail_at = command_at;
    fault.module.refuse_code = codes[command_at];
  } else if (pick < 86) {
    fault.kind = FaultKind::wrong_code;
    fault.at = command_at;
    fault.module.fail_at = command_at;
    std::uint8_t wrong = static_cast<std::uint8_t>(rng());
    if (wrong == codes[command_at]) wrong ^= 0x80;
    fault.module.wrong_code = wrong;
  } else if (pick < 97) {
    fault.kind = FaultKind::unplug;
    fault.at = static_cast<int>(rng() % exchanges);
    fault.module.unplug_after = fault.at;
  } else {
    fault.kind = FaultKind::no_answer;
    fault.at = command_at;
    fault.module.fail_at = command_at;
    fault.module.no_answer = true;
  }
  return fault;
}

class SoakTest : public ModuleWindowTest {
 protected:
  // The module's fault positions count its exchanges since it was made, so
  // the run's own exchange k is the module's exchange `exchanges_before_ + k`.
  // The module is replaced only after an unplug took it away: building test
  // beds costs memory of its own, which would hide the tool's.
  void armModule(Fault fault) {
    if (bed().unplugged()) {
      rebuildBed();
      exchanges_before_ = 0;
    }
    exchanges_before_ += static_cast<int>(module().requests().size());
    module().clear_requests();
    auto shift = [&](int& at) {
      if (at >= 0) at += exchanges_before_;
    };
    shift(fault.module.fail_at);
    shift(fault.module.unplug_after);
    module().set_faults(fault.module);
  }

  // Whatever happened, the run ends as the user expects to find the tool.
  void expectIdle() {
    expectDisconnected();
    EXPECT_FALSE(ui().ProgressBar->isVisible());
    EXPECT_EQ(ui().ProgressBar->value(), 0);
  }

  int exchanges_before_ = 0;

  void expectFlashHolds(const ConfigMatrix& matrix) {
    const FlashPages expected = expected_flash(matrix);
    for (int page = 0; page < kLayoutPages; ++page) {
      for (int block = 0; block <= flash::kSpecialBlock; ++block) {
        const ZelModule::Block actual = module().block(page, block);
        const bool same = std::equal(actual.begin(), actual.end(), expected[page].begin() + 64 * block);
        ASSERT_TRUE(same) << "page " << page << " block " << block;
      }
    }
  }
};

TEST_F(SoakTest, UploadsAndOutputTestsWithRandomFaults) {
  const unsigned seed = static_cast<unsigned>(env_number("ZEL_SOAK_SEED", 17));
  const int rounds = env_number("ZEL_SOAK_ROUNDS", 200);
  const int warm_up = std::min(20, rounds / 5);
  std::mt19937 rng(seed);
  const std::vector<std::uint8_t> upload = upload_codes();
  ASSERT_EQ(upload.size(), 1u + kUploadCommandCount);

  std::map<std::string, int> counts;
  long warm_kib = 0;
  // A run stopped after an accepted erase warns that the module holds no configuration.
  QStringList warnings;
  window().showWarning = [&warnings](const QString& text) { warnings.push_back(text); };
  for (int round = 0; round < rounds; ++round) {
    // Upload of a fresh random grid.
    {
      const Fault fault = draw_fault(rng, upload);
      SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round) + ", upload, fault " +
                   fault_name(fault.kind) + " at exchange " + std::to_string(fault.at));
      ++counts[std::string("upload, ") + fault_name(fault.kind)];
      config_matrix() = random_matrix(rng());
      window().repaintMatrix();
      armModule(fault);

      warnings.clear();
      window().WriteConfigButtonClick();
      QCoreApplication::processEvents();  // as between two clicks: the console shows the run

      expectIdle();
      if (fault.kind == FaultKind::none) {
        EXPECT_EQ(status(), kUploadStatusDone);
        expectFlashHolds(config_matrix());
        EXPECT_TRUE(warnings.isEmpty());
      } else {
        EXPECT_NE(status(), kUploadStatusDone);
        if (fault.at <= 1) {
          EXPECT_TRUE(warnings.isEmpty()) << "no erase was accepted";
        }
        for (const QString& text : warnings) EXPECT_EQ(text, QString::fromUtf8(kUploadLeftNoConfiguration));
      }
    }
    // Output test of a random row.
    {
      const Fault fault = draw_fault(rng, kTestCodes);
      SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round) + ", test, fault " +
                   fault_name(fault.kind) + " at exchange " + std::to_string(fault.at));
      ++counts[std::string("test, ") + fault_name(fault.kind)];
      const int row = static_cast<int>(rng() % ConfigMatrix::kRows);
      window().selectMatrixRow(row);
      armModule(fault);
      const std::size_t gifts_before = module().rs485_received().size();

      window().TestButtonClick();
      QCoreApplication::processEvents();

      expectIdle();
      if (fault.kind == FaultKind::none) {
        EXPECT_EQ(status(), test_sent_text(row));
        const auto received = module().rs485_received();
        ASSERT_EQ(received.size(), gifts_before + 1);
        const TestPayload payload = build_test_payload(row, ui().KVRnumberEdit->value());
        EXPECT_TRUE(std::equal(payload.begin(), payload.end(), received.back().begin(), received.back().end()));
      } else {
        EXPECT_NE(status(), "Testowanie...");
      }
    }
    // The user clears the console now and then; its lines are the user's
    // and are meant to grow until then. The undo history keeps every grid
    // the soak put in place, as it is meant to for the whole run: the soak
    // looks for memory that nothing holds, so it starts each round afresh.
    window().ClearConsoleButtonClick();
    window().editHistory().restart();
    if (HasFailure()) break;
    if (round + 1 == warm_up) warm_kib = resident_kib();
  }

  const long end_kib = resident_kib();
  std::string summary;
  for (const auto& [what, count] : counts) summary += "  " + what + ": " + std::to_string(count) + "\n";
  std::printf("soak: seed %u, %d rounds\n%sresident: %ld KiB after %d rounds, %ld KiB at the end\n", seed,
              rounds, summary.c_str(), warm_kib, warm_up, end_kib);
  RecordProperty("resident_kib_warm", static_cast<int>(warm_kib));
  RecordProperty("resident_kib_end", static_cast<int>(end_kib));
  // Generous: a leak of a few kilobytes per run would still show.
  if (!kSanitized && !HasFailure() && warm_kib > 0) {
    EXPECT_LT(end_kib - warm_kib, 3 * 1024) << "memory grew over the soak";
  }
}

}  // namespace
