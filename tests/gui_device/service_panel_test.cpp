// SPDX-License-Identifier: MIT
// The service page against the emulated module through the real transport:
// connecting and disconnecting, every command button with its arguments, and
// the console tools.

#include <QSpinBox>
#include <QTemporaryDir>
#include <array>

#include "answered_prompts.h"
#include "app/file_dialogs.h"
#include "file_bytes.h"
#include "module_window_fixture.h"
#include "protocol/usb_frame.h"

namespace {

class ServicePanelTest : public ModuleWindowTest {
 protected:
  // Also after rebuildBed(), which leaves the page showing the old state.
  void connect() {
    window().ConnectButtonClick();
    ASSERT_TRUE(connection_state().Connected);
    module().clear_requests();
  }
  UsbFrame lastRequest() {
    const std::vector<UsbFrame> requests = module().requests();
    return requests.empty() ? UsbFrame{} : requests.back();
  }
};

TEST_F(ServicePanelTest, DeviceButtonsBeforeConnectingLogOnlyTheNotice) {
  QPushButton* const buttons[] = {ui().HelloButton, ui().PingPongButton, ui().DebugButton,
                                  ui().InorretButton, ui().RS485FramePleaseButton, ui().Button5,
                                  ui().Button2, ui().Button1, ui().Button3, ui().Button4};
  for (QPushButton* button : buttons) {
    SCOPED_TRACE(button->objectName().toStdString());
    const std::size_t before = console_log().size();
    button->click();
    EXPECT_EQ(consoleSince(before), (std::vector<std::string>{"", kNotConnectedBanner}));
  }
  EXPECT_TRUE(module().requests().empty());
  expectDisconnected();
}

TEST_F(ServicePanelTest, ConnectGreetsTheModuleAndDisconnectSwapsBack) {
  ui().ConnectButton->click();
  expectConnected();
  ui().DisconnectButton->click();
  expectDisconnected();

  const std::vector<std::string> lines = console();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], kConnectedBanner);
  EXPECT_EQ(lines[2], "");
  EXPECT_TRUE(is_request_line(lines[3])) << lines[3];
  EXPECT_TRUE(is_reply_line(lines[4])) << lines[4];
  EXPECT_NE(lines[4].find(ZelModule::kGreetingUtf8), std::string::npos) << lines[4];
  EXPECT_EQ(lines[5], "");
  EXPECT_EQ(lines[6], kDisconnectedBanner);
  EXPECT_EQ(lines[7], "");

  const std::vector<UsbFrame> requests = module().requests();
  ASSERT_EQ(requests.size(), 1u);  // the hello, nothing on disconnect
  EXPECT_EQ(requests[0][0], HELLO_USB_FRAME);
}

TEST_F(ServicePanelTest, ConnectWithoutModuleLogsNothingAndStaysDisconnected) {
  rebuildBed({.modules = 0});
  ui().ConnectButton->click();
  EXPECT_EQ(console_log().size(), 0u);
  expectDisconnected(false);
}

// A connect that fails after a good one leaves the tool not connected, not
// "connected" to an unopened module.
TEST_F(ServicePanelTest, FailedConnectAfterAConnectionEndsNotConnected) {
  ui().ConnectButton->click();
  expectConnected();
  rebuildBed({.modules = 0});
  const std::size_t before = console_log().size();
  window().ConnectButtonClick();
  expectDisconnected(false);
  EXPECT_EQ(console_log().size(), before);
  ui().HelloButton->click();
  EXPECT_EQ(consoleSince(before), (std::vector<std::string>{"", kNotConnectedBanner}));
}

TEST_F(ServicePanelTest, CommandButtonsSendTheirArguments) {
  connect();

  ui().DebugButton->click();
  UsbFrame frame = lastRequest();
  EXPECT_EQ(frame[0], DEBUG_USB_FRAME);
  for (int i = 0; i < 60; ++i) ASSERT_EQ(frame[4 + i], i) << i;

  ui().Button5->click();
  frame = lastRequest();
  EXPECT_EQ(frame[0], RS485_GIFT_USB_FRAME);
  EXPECT_EQ(frame[1], 46);
  std::vector<std::uint8_t> expected_bus_frame{0xFF, 0x40};
  for (int i = 2; i < 46; ++i) expected_bus_frame.push_back(i % 2 ? 0x01 : 0x00);
  ASSERT_EQ(module().rs485_received().size(), 1u);
  EXPECT_EQ(module().rs485_received()[0], expected_bus_frame);

  ui().ErasePageCSpinEdit->setValue(7);
  ui().Button2->click();
  frame = lastRequest();
  EXPECT_EQ(frame[0], ERASE_FLASH_PAGE_USB_FRAME);
  EXPECT_EQ(frame[1], 7);

  ui().ReadPageCSpinEdit->setValue(2);
  ui().ReadBlockCSpinEdit->setValue(64);
  ui().ReadHalfCSpinEdit->setValue(1);
  ui().Button1->click();
  frame = lastRequest();
  EXPECT_EQ(frame[0], READ_FLASH_BLOCK_USB_FRAME);
  EXPECT_EQ(frame[1], 2);
  EXPECT_EQ(frame[2], 64);
  EXPECT_EQ(frame[3], 1);

  for (QPushButton* button : {ui().HelloButton, ui().PingPongButton, ui().InorretButton}) button->click();
  const std::vector<UsbFrame> requests = module().requests();
  ASSERT_EQ(requests.size(), 7u);
  EXPECT_EQ(requests[4][0], HELLO_USB_FRAME);
  EXPECT_EQ(requests[5][0], PING_PONG_USB_FRAME);
  EXPECT_EQ(requests[6][0], INCORRECT_USB_FRAME);
  expectConnected();  // a refused command changes nothing in the connection
}

TEST_F(ServicePanelTest, BufforThenWriteStoresTheTestBlock) {
  connect();
  ui().WritePageCSpinEdit->setValue(3);
  ui().WriteBlockCSpinEdit->setValue(5);
  ui().Button3->click();
  ui().Button4->click();
  const ZelModule::Block block = module().block(3, 5);
  for (int k = 0; k < 64; ++k) ASSERT_EQ(block[k], 2 * k) << k;
  const std::vector<UsbFrame> requests = module().requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0][0], BUFFOR_FLASH_BLOCK_USB_FRAME);
  EXPECT_EQ(requests[1][0], WRITE_FLASH_BLOCK_USB_FRAME);
}

TEST_F(ServicePanelTest, Rs485QueryLineShowsSignedNumbersAlsoWhenTheQueryFailed) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> queued;  // empty: nothing queued
    std::uint8_t dropped;
    bool refuse;
    const char* line;
  };
  const Case cases[] = {
      {"frame and 200 dropped", std::vector<std::uint8_t>(10, 0x55), 200, false,
       "\t\t\t\t(Dlugosc ramki: 10, opuszczono -56 ramek)"},
      {"nothing queued", {}, 3, false, "\t\t\t\t(Dlugosc ramki: 0, opuszczono 3 ramek)"},
      {"refused", std::vector<std::uint8_t>(10, 0x55), 200, true, "\t\t\t\t(Dlugosc ramki: 0, opuszczono 0 ramek)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rebuildBed();
    connect();
    if (!c.queued.empty()) module().queue_rs485(c.queued);
    module().set_dropped(c.dropped);
    if (c.refuse) {
      ZelModule::Faults faults;
      faults.refuse_code = RS485_PLEASE_USB_FRAME;
      module().set_faults(faults);
    }
    ui().RS485FramePleaseButton->click();
    ASSERT_FALSE(console().empty());
    EXPECT_EQ(console().back(), c.line);
  }
}

TEST_F(ServicePanelTest, Rs485QueryLineAfterAFailedExchange) {
  connect();
  bed().unplug();
  ui().RS485FramePleaseButton->click();
  ASSERT_GE(console().size(), 2u);
  EXPECT_EQ(console().back(), "\t\t\t\t(Dlugosc ramki: 0, opuszczono 0 ramek)");
  EXPECT_EQ(console()[console().size() - 2].rfind("BLAD:\t\t", 0), 0u);
}

class ConsoleToolsTest : public ServicePanelTest, public AnsweredPrompts {
 protected:
  void SetUp() override {
    ServicePanelTest::SetUp();
    ASSERT_TRUE(folder_.isValid());
    answerPromptsOf(window());
  }

  QTemporaryDir folder_;
};

TEST_F(ConsoleToolsTest, SaveWritesEveryLineWithCrLfWhileNotConnected) {
  console_log().append_text("Zażółć gęślą jaźń");
  ui().HelloButton->click();  // not connected: the notice
  answer = folder_.filePath("log.txt");
  ui().Button6->click();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].settings, &SaveConsole);
  EXPECT_EQ(asked[0].mode, FileDialogMode::save);
  EXPECT_EQ(asked[0].start_file, "log-konsoli.txt");
  EXPECT_TRUE(warnings.isEmpty());
  EXPECT_EQ(read_bytes(answer), text::to_cp1250("Zażółć gęślą jaźń\r\n\r\n" + kNotConnectedBanner + "\r\n"));

  // The dialog starts the next time with the name chosen in it; cancelling
  // writes nothing and says nothing.
  write_bytes(answer, "old");
  answer.clear();
  ui().Button6->click();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[1].start_file, folder_.filePath("log.txt"));
  EXPECT_EQ(read_bytes(folder_.filePath("log.txt")), "old");
  EXPECT_TRUE(warnings.isEmpty());

  ui().ClearConsoleButton->click();
  EXPECT_EQ(console_log().size(), 0u);
  expectDisconnected();
}

TEST_F(ConsoleToolsTest, SaveThatFailsWarnsNamingTheFile) {
  console_log().append_text("linia");
  answer = folder_.filePath("brak/log.txt");
  ui().Button6->click();
  ASSERT_EQ(warnings.size(), 1);
  EXPECT_TRUE(warnings[0].contains(QDir::toNativeSeparators(answer))) << warnings[0].toStdString();
  EXPECT_TRUE(warnings[0].contains(QString::fromUtf8("Nie można utworzyć pliku"))) << warnings[0].toStdString();
  EXPECT_FALSE(QFile::exists(answer));
  EXPECT_EQ(console_log().size(), 1u);  // the failure is not logged into the console it failed to save
}

}  // namespace
