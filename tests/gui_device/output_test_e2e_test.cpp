// SPDX-License-Identifier: MIT
// "Test" and "Testuj" end to end: the bus frame the module is handed for the
// selected row, the selection moving on, and the failures.

#include <QAction>
#include <QTableWidget>

#include "module_window_fixture.h"
#include "protocol/usb_frame.h"

namespace {

using Payload = std::vector<std::uint8_t>;

// FF 40, control unit 0, then the one state byte the row stands for.
Payload payload_with(int byte = -1, std::uint8_t value = 0) {
  Payload payload(46, 0);
  payload[0] = 0xFF;
  payload[1] = 0x40;
  if (byte >= 0) payload[byte] = value;
  return payload;
}

class OutputTestTest : public ModuleWindowTest {
 protected:
  void select(int matrix_row, int label_row) {
    window().selectMatrixRow(matrix_row);
    window().selectLabelRow(label_row);
  }
  Payload lastHandedOver() {
    const auto received = module().rs485_received();
    return received.empty() ? Payload{} : received.back();
  }
};

TEST_F(OutputTestTest, TestujHandsOverTheRowsEvent) {
  struct Case {
    int row;
    Payload payload;
    std::string sent;  // the status once the test has ended
  };
  const Case cases[] = {
      {0, payload_with(), "Wysłano test: Brak zdarzeń – ramka bez zdarzeń"},
      {4, payload_with(), "Wysłano test: (brak funckji) – ramka bez zdarzeń"},
      {5, payload_with(3, 0x01), "Wysłano test: adr 0. Alarm I"},
      {6, payload_with(3, 0x03), "Wysłano test: adr 0. Alarm II"},
      {7, payload_with(28, 0x01), "Wysłano test: adr 0. Awaria"},
      {257, payload_with(24, 0x01), "Wysłano test: adr 84. Alarm I"},
      {302, payload_with(27, 0x40), "Wysłano test: adr 99. Alarm I"},
      {303, payload_with(27, 0xC0), "Wysłano test: adr 99. Alarm II"},
      {304, payload_with(40, 0x08), "Wysłano test: adr 99. Awaria"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    select(c.row, c.row);
    StatusRecorder recorder(ui().Status, ui().ProgressBar);
    ui().Testuj1->trigger();
    EXPECT_EQ(lastHandedOver(), c.payload);
    // "Testowanie..." while the module is connected, the event once it is not.
    EXPECT_EQ(recorder.texts(), (std::vector<std::string>{"Testowanie...", c.sent}));
    EXPECT_EQ(status(), c.sent);
    EXPECT_EQ(window().failureCause(), QString());
    EXPECT_EQ(window().selectedMatrixRow(), c.row);  // "Testuj" does not move on
    EXPECT_EQ(window().selectedLabelRow(), c.row);
    expectDisconnected();

    // The request frame: code, length, two zero bytes, the payload, zeros.
    const UsbFrame request = module().requests().back();
    EXPECT_EQ(request[0], RS485_GIFT_USB_FRAME);
    EXPECT_EQ(request[1], 46);
    EXPECT_EQ(request[2], 0);
    EXPECT_EQ(request[3], 0);
    EXPECT_EQ(Payload(request.begin() + 4, request.begin() + 50), c.payload);
    EXPECT_TRUE(std::all_of(request.begin() + 50, request.end(), [](std::uint8_t b) { return b == 0; }));
  }
  EXPECT_EQ(module().rs485_received().size(), std::size(cases));
}

TEST_F(OutputTestTest, TestMovesBothGridsOnAndStopsAtTheLastRow) {
  // Right after start row 0 is selected and "Test" is enabled.
  ASSERT_TRUE(ui().TestButton->isEnabled());
  ui().TestButton->click();
  EXPECT_EQ(lastHandedOver(), payload_with());
  EXPECT_EQ(window().selectedMatrixRow(), 1);
  EXPECT_EQ(window().selectedLabelRow(), 1);
  EXPECT_TRUE(ui().TestButton->isEnabled());  // left as it was

  select(10, 10);
  ui().TestButton->click();
  EXPECT_EQ(lastHandedOver(), payload_with(28, 0x02));  // address 1, fault
  EXPECT_EQ(window().selectedMatrixRow(), 11);
  EXPECT_EQ(window().selectedLabelRow(), 11);

  // The label grid moves on from its own row.
  select(20, 40);
  ui().TestButton->click();
  EXPECT_EQ(window().selectedMatrixRow(), 21);
  EXPECT_EQ(window().selectedLabelRow(), 41);

  select(303, 304);
  ui().TestButton->click();
  EXPECT_EQ(window().selectedMatrixRow(), 304);
  EXPECT_EQ(window().selectedLabelRow(), 304);  // not beyond the last row

  ui().TestButton->click();
  EXPECT_EQ(lastHandedOver(), payload_with(40, 0x08));
  EXPECT_EQ(window().selectedMatrixRow(), 304);
  EXPECT_EQ(window().selectedLabelRow(), 304);
  EXPECT_EQ(module().rs485_received().size(), 5u);
  expectDisconnected();
}

TEST_F(OutputTestTest, SuccessfulTestLeavesItsExchangeBetweenTheBanners) {
  select(5, 5);
  ui().Testuj1->trigger();
  const std::vector<std::string> lines = console();
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 3),
            (std::vector<std::string>{"", kConnectedBanner, ""}));
  for (int i = 3; i < 7; i += 2) {
    EXPECT_TRUE(is_request_line(lines[i])) << lines[i];
    EXPECT_TRUE(is_reply_line(lines[i + 1])) << lines[i + 1];
  }
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 7, lines.end()),
            (std::vector<std::string>{"", kDisconnectedBanner, ""}));
  const std::vector<UsbFrame> requests = module().requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0][0], HELLO_USB_FRAME);
  EXPECT_EQ(requests[1][0], RS485_GIFT_USB_FRAME);
}

TEST_F(OutputTestTest, HandOverNotAcceptedSaysSo) {
  struct Case {
    const char* name;
    ZelModule::Faults faults;
    const char* cause;  // beside the status, as zel17-cli says it
  };
  ZelModule::Faults refused;
  refused.refuse_code = RS485_GIFT_USB_FRAME;
  ZelModule::Faults unplugged;
  unplugged.unplug_after = 1;  // after the hello
  const Case cases[] = {{"refused", refused, "moduł nie przyjął polecenia RS485_gift_frame"},
                        {"unplugged", unplugged, "moduł został odłączony podczas polecenia RS485_gift_frame"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rebuildBed();
    window().DisconnectButtonClick();
    console_log().clear();
    ui().Status->clearMessage();
    module().set_faults(c.faults);
    StatusRecorder recorder(ui().Status, ui().ProgressBar);
    select(6, 6);
    ui().TestButton->click();
    EXPECT_EQ(status(), "Błąd testowania!");
    EXPECT_EQ(recorder.texts(), (std::vector<std::string>{"Błąd testowania!"}));
    EXPECT_EQ(window().failureCause(), QString::fromUtf8(c.cause));
    EXPECT_TRUE(window().findChild<QWidget*>(QStringLiteral("FailureCause"))->isVisible());
    EXPECT_TRUE(module().rs485_received().empty());
    expectDisconnected();
    const std::vector<std::string> lines = console();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{"", kDisconnectedBanner, ""}));
    EXPECT_EQ(window().selectedMatrixRow(), 7);  // "Test" moves on all the same
  }
}

TEST_F(OutputTestTest, WithoutModuleSendsNothingAndSaysSo) {
  rebuildBed({.modules = 0});
  select(5, 5);
  ui().Testuj1->trigger();
  EXPECT_EQ(console(), (std::vector<std::string>{"", kNotConnectedBanner, "", kDisconnectedBanner, ""}));
  EXPECT_EQ(status(), kNotConnectedStatus);
  EXPECT_EQ(window().failureCause(), QStringLiteral("nie znaleziono modułu ZEL (VID_04D8&PID_003F)"));
  expectDisconnected();

  // The next status takes the cause away with the status it explained.
  window().setStatusText(QStringLiteral("Zapisano: obiekt.zel"));
  EXPECT_EQ(window().failureCause(), QString());
  EXPECT_FALSE(window().findChild<QWidget*>(QStringLiteral("FailureCause"))->isVisible());
}

}  // namespace
