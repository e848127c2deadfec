// SPDX-License-Identifier: MIT
// "Konfiguruj!" end to end: the real window offscreen, the real transport and
// the emulated module. The module's FLASH afterwards is compared with the
// image worked out from the layout tables in flash_layout.h.

#include <QProgressBar>
#include <algorithm>
#include <tuple>

#include "config/config_matrix.h"
#include "flash_layout.h"
#include "module_window_fixture.h"
#include "protocol/usb_frame.h"

namespace {

const std::string kUploadStarted = "\t\t\t*** Rozpoczęto proces zapisywania konfiguracji do FLASH! ***";
const std::string kUploadFinished = "\t\t\t*** Zakończono proces zapisywania konfiguracji do FLASH! ***";
const std::string kUploadAborted = "\t\t\t*** Przerwano proces zapisywania konfiguracji do FLASH! ***";

struct Request {
  std::uint8_t code, page, block;
  friend bool operator==(const Request&, const Request&) = default;
};

// Erases, the special blocks, then blocks 0-12 of pages 0-5, each block a
// buffer command and a write command.
std::vector<Request> expected_commands() {
  std::vector<Request> commands;
  for (std::uint8_t page = 0; page < 6; ++page) commands.push_back({ERASE_FLASH_PAGE_USB_FRAME, page, 0});
  for (std::uint8_t page = 0; page < 2; ++page) {
    commands.push_back({BUFFOR_FLASH_BLOCK_USB_FRAME, page, 13});
    commands.push_back({WRITE_FLASH_BLOCK_USB_FRAME, page, 13});
  }
  for (std::uint8_t page = 0; page < 6; ++page) {
    for (std::uint8_t block = 0; block < 13; ++block) {
      commands.push_back({BUFFOR_FLASH_BLOCK_USB_FRAME, page, block});
      commands.push_back({WRITE_FLASH_BLOCK_USB_FRAME, page, block});
    }
  }
  return commands;
}

Request summary(const UsbFrame& frame) {
  const bool erase = frame[0] == ERASE_FLASH_PAGE_USB_FRAME;
  return {frame[0], frame[1], erase ? std::uint8_t{0} : frame[2]};
}

// Records the positions the progress bar was painted at: although the run
// blocks the event loop, the bar must be seen moving and end painted full.
class PaintedPositions : public QObject {
 public:
  explicit PaintedPositions(QProgressBar* bar) : bar_(bar) { bar->installEventFilter(this); }
  std::vector<int> positions;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) positions.push_back(bar_->value());
    return false;
  }

 private:
  QProgressBar* bar_;
};

class UploadTest : public ModuleWindowTest {
 protected:
  void upload() { ui().WriteConfigButton->click(); }

  void expectFlash(const ConfigMatrix& matrix) {
    const FlashPages expected = expected_flash(matrix);
    for (int page = 0; page < kLayoutPages; ++page) {
      for (int block = 0; block < kLayoutBlocks; ++block) {
        const ZelModule::Block actual = module().block(page, block);
        for (int i = 0; i < 64; ++i) {
          ASSERT_EQ(actual[i], expected[page][64 * block + i])
              << "page " << page << ", block " << block << ", byte " << i;
        }
      }
    }
  }

  // The data bytes (3 to 34) of every buffer and write command sent.
  std::vector<std::tuple<int, int, int, std::uint8_t>> nonZeroDataBytes() {
    std::vector<std::tuple<int, int, int, std::uint8_t>> found;
    for (const UsbFrame& frame : module().requests()) {
      if (frame[0] != BUFFOR_FLASH_BLOCK_USB_FRAME && frame[0] != WRITE_FLASH_BLOCK_USB_FRAME) continue;
      const int half = frame[0] == WRITE_FLASH_BLOCK_USB_FRAME ? 32 : 0;
      for (int i = 0; i < 32; ++i)
        if (frame[3 + i] != 0) found.emplace_back(frame[1], frame[2], half + i, frame[3 + i]);
    }
    return found;
  }

  void expectEndedIdle() {
    EXPECT_FALSE(ui().ProgressBar->isVisible());
    EXPECT_EQ(ui().ProgressBar->value(), 0);
    expectDisconnected();
  }
};

TEST_F(UploadTest, FreshMatrixWritesZeroRecordsWithBannersStatusesAndProgress) {
  StatusRecorder recorder(ui().Status, ui().ProgressBar);
  PaintedPositions painted(ui().ProgressBar);
  upload();

  expectFlash(ConfigMatrix());
  const std::vector<UsbFrame> requests = module().requests();
  ASSERT_EQ(requests.size(), 167u);
  EXPECT_EQ(requests[0][0], HELLO_USB_FRAME);
  std::vector<Request> sent;
  for (std::size_t i = 1; i < requests.size(); ++i) sent.push_back(summary(requests[i]));
  EXPECT_EQ(sent, expected_commands());
  EXPECT_TRUE(nonZeroDataBytes().empty());

  const std::vector<StatusRecorder::Shown> expected_statuses = {
      {"Konwersja konfiguracji...", 0, true},
      {"Czyszczenie pamięci FLASH...", 1, true},
      {"Zapisywanie konfiguracji zdarzeń specjalnych...", 7, true},
      {"Zapisywanie konfiguracji zdarzeń adresów...", 8, true},
      {"Konfiguracja zapisana!", 86, true},
  };
  EXPECT_EQ(recorder.shown, expected_statuses);
  EXPECT_EQ(ui().ProgressBar->maximum(), 86);
  EXPECT_EQ(recorder.highest_while_visible, 86);
  ASSERT_FALSE(painted.positions.empty());
  EXPECT_TRUE(std::is_sorted(painted.positions.begin(), painted.positions.end()));
  EXPECT_EQ(painted.positions.back(), 86);
  EXPECT_EQ(status(), "Konfiguracja zapisana!");
  expectEndedIdle();

  const std::vector<std::string> lines = console();
  ASSERT_EQ(lines.size(), 3u + 2u + 3u + 2u * 166u + 3u + 3u);
  const std::vector<std::string> opening(lines.begin(), lines.begin() + 8);
  EXPECT_EQ(opening[1], kConnectedBanner);
  EXPECT_TRUE(is_request_line(opening[3]) && is_reply_line(opening[4]));
  EXPECT_EQ(opening[6], kUploadStarted);
  for (std::size_t i = 8; i < 8 + 2 * 166; i += 2) {
    ASSERT_TRUE(is_request_line(lines[i])) << i << ": " << lines[i];
    ASSERT_TRUE(is_reply_line(lines[i + 1])) << i + 1 << ": " << lines[i + 1];
  }
  const std::vector<std::string> closing(lines.end() - 6, lines.end());
  EXPECT_EQ(closing, (std::vector<std::string>{"", kUploadFinished, "", "", kDisconnectedBanner, ""}));
}

TEST_F(UploadTest, SingleCellsLandInTheirBytes) {
  struct Placed {
    int page, block, byte;
    std::uint8_t value;
  };
  struct Case {
    int row, column;
    std::uint8_t value;
    std::vector<Placed> bytes;  // every non-zero data byte the upload sends
  };
  const Case cases[] = {
      {5, 0, 3, {{0, 0, 0, 0x01}, {1, 0, 0, 0x01}}},
      {6, 24, 2, {{3, 0, 3, 0x01}}},
      {304, 8, 1, {{4, 12, 25, 0x01}, {4, 12, 57, 0x01}}},
      {2, 3, 3, {{0, 13, 16, 0x08}, {1, 13, 16, 0x08}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("row " + std::to_string(c.row) + ", column " + std::to_string(c.column) + " = " +
                 std::to_string(c.value));
    rebuildBed();
    window().DisconnectButtonClick();
    config_matrix().reset();
    config_matrix().set(c.row, c.column, c.value);
    upload();
    EXPECT_EQ(status(), "Konfiguracja zapisana!");
    expectFlash(config_matrix());
    std::vector<std::tuple<int, int, int, std::uint8_t>> expected;
    for (const Placed& p : c.bytes) expected.emplace_back(p.page, p.block, p.byte, p.value);
    EXPECT_EQ(nonZeroDataBytes(), expected);
    for (const Placed& p : c.bytes) EXPECT_EQ(module().block(p.page, p.block)[p.byte], p.value);
  }
}

// Only a configuration reaches the module: a grid with a value no mode has,
// or a mode in row 4, is refused before the connection is even opened.
TEST_F(UploadTest, AGridThatIsNoConfigurationIsRefusedBeforeAnythingIsSent) {
  QStringList warnings;
  window().showWarning = [&warnings](const QString& text) { warnings.push_back(text); };
  struct Case {
    int row, column;
    std::uint8_t value;
    const char* cell;
  };
  const Case cases[] = {
      // The rule's every case is the loader's test; here one of each kind shows the guard.
      {4, 0, 3, "wiersz „(brak funckji)”, wyjście 1, wartość 3"},
      {101, 11, 7, "wiersz „adr 32. Alarm I”, wyjście 12, wartość 7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cell);
    rebuildBed();
    window().DisconnectButtonClick();
    warnings.clear();
    config_matrix().reset();
    config_matrix().set(c.row, c.column, c.value);
    upload();
    EXPECT_EQ(status(), "Błąd zapisu konfiguracji!");
    EXPECT_TRUE(module().requests().empty());
    EXPECT_EQ(warnings, QStringList{QString::fromUtf8("Konfiguracja nie jest poprawna: ") + QString::fromUtf8(c.cell) +
                                    QString::fromUtf8("; do modułu nie wysłano nic.")});
    expectEndedIdle();
  }
}

TEST_F(UploadTest, RandomMatrixWritesTheWholeImageAndLeavesOtherPagesAlone) {
  for (const unsigned seed : {1u, 20240611u}) {
    SCOPED_TRACE(seed);
    rebuildBed();
    window().DisconnectButtonClick();
    ZelModule::Block pattern;
    for (int i = 0; i < 64; ++i) pattern[i] = static_cast<std::uint8_t>(i * 7 + 1);
    module().set_block(6, 0, pattern);   // above page 5: neither erased nor written
    module().set_block(2, 13, pattern);  // erased, never written
    module().set_block(0, 20, pattern);  // erased, never written
    config_matrix() = random_matrix(seed);
    const ConfigMatrix before = config_matrix();
    upload();
    EXPECT_EQ(status(), "Konfiguracja zapisana!");
    expectFlash(before);
    EXPECT_EQ(module().block(6, 0), pattern);
    EXPECT_EQ(config_matrix(), before);  // the upload only reads the grid
    EXPECT_EQ(module().requests().size(), 167u);
    expectEndedIdle();
  }
}

TEST_F(UploadTest, ConnectedBeforehandConnectsAnewAndWrites) {
  ui().ConnectButton->click();
  expectConnected();
  config_matrix() = random_matrix(5);
  upload();
  EXPECT_EQ(status(), "Konfiguracja zapisana!");
  expectFlash(config_matrix());
  const std::vector<UsbFrame> requests = module().requests();
  ASSERT_EQ(requests.size(), 168u);
  EXPECT_EQ(requests[0][0], HELLO_USB_FRAME);
  EXPECT_EQ(requests[1][0], HELLO_USB_FRAME);
  expectEndedIdle();
}

TEST_F(UploadTest, WithoutModuleSendsNothingAndSaysSo) {
  rebuildBed({.modules = 0});
  StatusRecorder recorder(ui().Status, ui().ProgressBar);
  upload();
  EXPECT_EQ(console(), (std::vector<std::string>{"", kNotConnectedBanner, "", kDisconnectedBanner, ""}));
  EXPECT_EQ(recorder.shown, (std::vector<StatusRecorder::Shown>{{kNotConnectedStatus, 0, true}}));
  EXPECT_EQ(status(), kNotConnectedStatus);
  EXPECT_EQ(window().failureCause(), QStringLiteral("nie znaleziono modułu ZEL (VID_04D8&PID_003F)"));
  expectEndedIdle();
}

TEST_F(UploadTest, StopsAtTheFirstCommandNotAccepted) {
  struct Case {
    const char* name;
    ZelModule::Faults faults;
    bool unplugs;
    bool after_erase;  // the module accepted an erase before the failure
    const char* cause;  // how the status bar's second field begins, in zel17-cli's words
    bool erase_unanswered = false;  // the first erase was sent, its answer never came
  };
  // Exchange 0 is the hello; 1-6 the erases, 7-10 the special blocks, then
  // the address blocks of page 0.
  ZelModule::Faults unplug;
  unplug.unplug_after = 40;
  ZelModule::Faults refuse_write;
  refuse_write.refuse_code = WRITE_FLASH_BLOCK_USB_FRAME;
  refuse_write.fail_at = 30;
  ZelModule::Faults wrong_code;
  wrong_code.wrong_code = PING_PONG_USB_FRAME;
  wrong_code.fail_at = 3;
  ZelModule::Faults silent;
  silent.no_answer = true;
  silent.fail_at = 100;
  ZelModule::Faults refuse_first_erase;
  refuse_first_erase.refuse_code = ERASE_FLASH_PAGE_USB_FRAME;
  refuse_first_erase.fail_at = 1;
  // (An unplug at the first erase warns as its silence does; zel17-cli's
  // test has that cause.)
  ZelModule::Faults silent_first_erase = silent;
  silent_first_erase.fail_at = 1;
  const Case cases[] = {
      {"first erase unanswered", silent_first_erase, false, false,
       "moduł nie odpowiedział na polecenie Erase_flash_page", true},
      {"unplugged", unplug, true, true, "moduł został odłączony podczas polecenia "},
      {"write refused", refuse_write, false, true, "moduł nie przyjął polecenia Write_flash_block (strona 0, blok "},
      {"wrong code", wrong_code, false, true, "moduł nie przyjął polecenia Erase_flash_page (strona 2)"},
      {"no answer", silent, false, true, "moduł nie odpowiedział na polecenie "},
      {"first erase refused", refuse_first_erase, false, false, "moduł nie przyjął polecenia Erase_flash_page (strona 0)"},
  };
  // Each warning with the status shown when it came up.
  std::vector<std::pair<std::string, QString>> warnings;
  window().showWarning = [&](const QString& text) { warnings.emplace_back(status(), text); };
  for (const Case& c : cases) {
    warnings.clear();
    SCOPED_TRACE(c.name);
    rebuildBed();
    window().DisconnectButtonClick();
    console_log().clear();
    module().set_faults(c.faults);
    config_matrix() = random_matrix(3);
    StatusRecorder recorder(ui().Status, ui().ProgressBar);
    upload();

    EXPECT_EQ(status(), "Błąd zapisu konfiguracji!");
    EXPECT_TRUE(window().failureCause().startsWith(QString::fromUtf8(c.cause)))
        << window().failureCause().toStdString();
    // Only after an accepted erase is the module left without a configuration.
    using Warnings = std::vector<std::pair<std::string, QString>>;
    const Warnings expected_warnings = {{"Błąd zapisu konfiguracji!",
                                         "Moduł nie ma teraz poprawnej konfiguracji. "
                                         "Zapisz konfigurację ponownie."}};
    const Warnings unknown_warnings = {{"Błąd zapisu konfiguracji!",
                                        "Moduł może nie mieć teraz poprawnej konfiguracji. "
                                        "Zapisz konfigurację ponownie."}};
    EXPECT_EQ(warnings, c.after_erase ? expected_warnings : c.erase_unanswered ? unknown_warnings : Warnings{});
    const std::vector<std::string> texts = recorder.texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Konfiguracja zapisana!"), 0);
    EXPECT_LT(recorder.highest, 86);
    EXPECT_FALSE(consoleHas(kUploadFinished));
    expectEndedIdle();
    const std::size_t failing =
        c.unplugs ? static_cast<std::size_t>(c.faults.unplug_after) : static_cast<std::size_t>(c.faults.fail_at);
    EXPECT_LE(module().requests().size(), failing + 1);  // nothing after the failing command
    if (!c.unplugs) {
      EXPECT_EQ(module().requests().size(), failing + 1);
    }

    // The failing command's own line, then the abort banner, then the disconnect.
    const std::vector<std::string> lines = console();
    ASSERT_GE(lines.size(), 7u);
    const std::vector<std::string> tail(lines.end() - 6, lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"", kUploadAborted, "", "", kDisconnectedBanner, ""}));
    const std::string& failure_line = lines[lines.size() - 7];
    EXPECT_TRUE(failure_line.rfind("BLAD:\t\t", 0) == 0 || is_reply_line(failure_line)) << failure_line;
  }
}

}  // namespace
