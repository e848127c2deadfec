// SPDX-License-Identifier: MIT
// Every command through the real transport and the emulated module, with
// each way the module can answer: the exact console lines and the result.

#include <gtest/gtest.h>

#include <functional>
#include <numeric>
#include <ostream>
#include <string>
#include <vector>

#include "emulator/test_bed.h"
#include "protocol/console_log.h"
#include "protocol/usb_protocol.h"
#include "tests/core/protocol_lines.h"
#include "text/cp1250.h"
#include "transport_trace.h"

namespace {

using namespace protocol_lines;

enum class Outcome { accepted, refused, refused_other, wrong_code, failed_exchange, no_answer };

// What one command sends and shows when the emulated module accepts it.
struct Command {
  const char* name;
  std::uint8_t code;
  std::function<void(USB_protocol&, ZelModule&)> prepare;  // before the faults, not logged
  std::function<bool(USB_protocol&)> run;
  std::string request_line;
  std::string accepted_line;
  UsbFrame request;  // the bytes the module must receive
};

void PrintTo(const Command& command, std::ostream* os) { *os << command.name; }

std::vector<std::uint8_t> counting(std::size_t n, std::uint8_t first = 0) {
  std::vector<std::uint8_t> bytes(n);
  std::iota(bytes.begin(), bytes.end(), first);
  return bytes;
}

UsbFrame frame_of(std::initializer_list<std::pair<std::size_t, std::vector<std::uint8_t>>> parts) {
  UsbFrame frame{};
  for (const auto& [offset, bytes] : parts)
    std::copy(bytes.begin(), bytes.end(), frame.begin() + offset);
  return frame;
}

std::vector<std::uint8_t> cp1250_bytes(std::string_view utf8) {
  const std::string s = text::to_cp1250(utf8);
  return {s.begin(), s.end()};
}

// Arguments and out-values shared by the table's calls.
const std::vector<std::uint8_t> kDebugPayload = counting(60);
const std::vector<std::uint8_t> kRs485Frame = counting(46, 0xA0);  // the output test's length
const std::vector<std::uint8_t> kBlockHalf = counting(32, 0x40);
std::uint8_t please_length = 0, please_dropped = 0;
// An answer to the invalid frame with its own code, shown from byte 0 on.
const UsbFrame kIncorrectAnswer = frame_of({{0, {0xFF}}, {1, cp1250_bytes("Co to za ramka?")}});

ZelModule::Block read_block_contents() {
  ZelModule::Block block;
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(0xC0 + i);
  return block;
}

std::vector<Command> commands() {
  const ZelModule::Block stored = read_block_contents();
  return {
      {"Incorrect", INCORRECT_USB_FRAME, nullptr,
       [](USB_protocol& p) { return p.Incorrect_frame(); },
       sent(INCORRECT_USB_FRAME,
            "Wys\xB3"
            "ano nieprawid\xB3ow\xB9 ramk\xEA"),
       // The module refuses the invalid frame; its accepted answer is scripted.
       received(INCORRECT_USB_FRAME,
                "\xFF"
                "Co to za ramka?"),
       frame_of({{0, {0xFF}}})},
      {"Hello", HELLO_USB_FRAME, nullptr, [](USB_protocol& p) { return p.Hello_frame(); },
       sent(HELLO_USB_FRAME, "Hej! Jestem programem konfiguracyjnym tablicy synoptycznej."),
       received(HELLO_USB_FRAME, text::to_cp1250(ZelModule::kGreetingUtf8)),
       frame_of({{0, {HELLO_USB_FRAME}}, {4, cp1250_bytes(kHelloText)}})},
      {"PingPong", PING_PONG_USB_FRAME, nullptr,
       [](USB_protocol& p) { return p.Ping_pong_frame(); },
       sent(PING_PONG_USB_FRAME, "Ten tekst powinien byc identyczny w ramce rozkazu i odpowiedzi"),
       received(PING_PONG_USB_FRAME,
                "Ten tekst powinien byc identyczny w ramce rozkazu i odpowiedzi"),
       frame_of({{0, {PING_PONG_USB_FRAME}}, {1, cp1250_bytes(kPingPongText)}})},
      {"Debug", DEBUG_USB_FRAME, nullptr,
       [](USB_protocol& p) { return p.Debug_frame(kDebugPayload.data()); },
       sent(DEBUG_USB_FRAME,
            "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17 18 19 1A 1B "
            "1C 1D 1E 1F 20 21 22 23 24 25 26 27 28 29 2A 2B 2C 2D 2E 2F 30 31 32 33 34 35 36 37 "
            "38 39 3A 3B "),
       received(DEBUG_USB_FRAME, hex(kDebugPayload.data(), 60)),  // the module echoes it
       frame_of({{0, {3, 3, 3, 3}}, {4, kDebugPayload}})},
      {"Rs485Gift", RS485_GIFT_USB_FRAME, nullptr,
       [](USB_protocol& p) { return p.RS485_gift_frame(kRs485Frame.data(), 46); },
       sent(RS485_GIFT_USB_FRAME, hex(kRs485Frame.data(), 46)),
       received(RS485_GIFT_USB_FRAME, "(Dlugosc ramki: 46)"),
       frame_of({{0, {RS485_GIFT_USB_FRAME, 46}}, {4, kRs485Frame}})},
      {"Rs485Please", RS485_PLEASE_USB_FRAME,
       [](USB_protocol&, ZelModule& m) {
         m.queue_rs485({0x10, 0x0D, 0x0A, 0x3B});
         m.set_dropped(2);
       },
       [](USB_protocol& p) { return p.RS485_please_frame(please_length, please_dropped); },
       sent(RS485_PLEASE_USB_FRAME, kEmpty), received(RS485_PLEASE_USB_FRAME, "10 0D 0A 3B "),
       frame_of({{0, {RS485_PLEASE_USB_FRAME}}})},
      {"EraseFlashPage", ERASE_FLASH_PAGE_USB_FRAME, nullptr,
       [](USB_protocol& p) { return p.Erase_flash_page(7); },
       sent(ERASE_FLASH_PAGE_USB_FRAME, "Wykasuj strone o numerze: 7"),
       received(ERASE_FLASH_PAGE_USB_FRAME, "(OK!)"), frame_of({{0, {0x30, 7}}})},
      {"ReadFlashBlock", READ_FLASH_BLOCK_USB_FRAME,
       [stored](USB_protocol&, ZelModule& m) { m.set_block(10, 64, stored); },
       [](USB_protocol& p) { return p.Read_flash_block(10, 64, 1); },
       // 32 characters, more than the 30 the command passes: shown whole.
       sent(READ_FLASH_BLOCK_USB_FRAME, "(Strona: 10 Blok: 64 Po\xB3\xF3wka: 1)"),
       received(READ_FLASH_BLOCK_USB_FRAME, hex(stored.data() + 32, 32)),
       frame_of({{0, {0x33, 10, 64, 1}}})},
      {"BufforFlashBlock", BUFFOR_FLASH_BLOCK_USB_FRAME, nullptr,
       [](USB_protocol& p) { return p.Buffor_flash_block(kBlockHalf.data(), 0, 13); },
       sent(BUFFOR_FLASH_BLOCK_USB_FRAME, hex(kBlockHalf.data(), 32)),
       received(BUFFOR_FLASH_BLOCK_USB_FRAME, "(Ok! Strona: 0 Blok: 13)"),
       frame_of({{0, {0x31, 0, 13}}, {3, kBlockHalf}})},
      {"WriteFlashBlock", WRITE_FLASH_BLOCK_USB_FRAME,
       // The module writes a block only over its buffered first half.
       [](USB_protocol& p, ZelModule&) { p.Buffor_flash_block(kBlockHalf.data(), 0, 13); },
       [](USB_protocol& p) { return p.Write_flash_block(kBlockHalf.data(), 0, 13); },
       sent(WRITE_FLASH_BLOCK_USB_FRAME, hex(kBlockHalf.data(), 32)),
       received(WRITE_FLASH_BLOCK_USB_FRAME, "(OK!)"),
       frame_of({{0, {0x32, 0, 13}}, {3, kBlockHalf}})},
  };
}

class ProtocolOnModule : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(protocol_.Connect());
    console_log().clear();
  }

  ZelModule& module() { return bed_.module(); }

  // The module answers the next request with `reply`, so any answer at all
  // can come through the real transport.
  void reply_with(const UsbFrame& reply) { module().reply_next_with(reply); }

  TestBed bed_;
  TraceCapture quiet_;  // the transport's own trace is tested with it
  USB_protocol protocol_;
};

class EveryCommand : public ProtocolOnModule,
                     public testing::WithParamInterface<std::tuple<Command, Outcome>> {};

TEST_P(EveryCommand, AddsTheLinesOfItsOutcome) {
  const auto& [command, outcome] = GetParam();
  please_length = 0;
  please_dropped = 0;
  if (command.prepare) command.prepare(protocol_, module());
  console_log().clear();
  module().clear_requests();

  const std::uint8_t other = command.code == 0x30 ? 0x31 : 0x30;
  const UsbFrame other_refusal =
      frame_of({{0, {0x00, other}}, {4, cp1250_bytes("Odmowa: inny rozkaz\r\n")}});
  ZelModule::Faults faults;
  switch (outcome) {
    case Outcome::accepted:
      if (command.code == INCORRECT_USB_FRAME) reply_with(kIncorrectAnswer);
      break;
    case Outcome::refused:
      faults.refuse_code = command.code;
      module().set_faults(faults);
      break;
    case Outcome::refused_other:
      reply_with(other_refusal);
      break;
    case Outcome::wrong_code:
      faults.wrong_code = 0x55;
      module().set_faults(faults);
      break;
    case Outcome::failed_exchange:
      bed_.unplug();
      break;
    case Outcome::no_answer:
      faults.no_answer = true;
      module().set_faults(faults);
      break;
  }

  const bool accepted = command.run(protocol_);

  std::vector<std::string> expected;
  switch (outcome) {
    case Outcome::accepted:
      expected = {command.request_line, command.accepted_line};
      break;
    case Outcome::refused:
      expected = {command.request_line, received(ERROR_USB_FRAME, "Rozkaz odrzucony")};
      break;
    case Outcome::refused_other:
      // Any refusal answers the invalid frame; other commands take it as invalid.
      expected = {command.request_line, command.code == INCORRECT_USB_FRAME
                                            ? received(ERROR_USB_FRAME, "Odmowa: inny rozkaz\r\n")
                                            : kInvalidReply};
      break;
    case Outcome::wrong_code:
      expected = {command.request_line, kInvalidReply};
      break;
    case Outcome::failed_exchange:
    case Outcome::no_answer:
      expected = {kUsbError};
      break;
  }
  EXPECT_EQ(console_log().lines(), expected);
  EXPECT_EQ(accepted, outcome == Outcome::accepted);
  // The cause handed up beside the console's one text for a failed exchange.
  const CommandFailure cause = outcome == Outcome::accepted          ? CommandFailure::none
                               : outcome == Outcome::failed_exchange ? CommandFailure::disconnected
                               : outcome == Outcome::no_answer       ? CommandFailure::no_answer
                                                                     : CommandFailure::refused;
  EXPECT_EQ(protocol_.last_failure(), cause);

  // A scripted reply may come back before the module has taken the request.
  const bool scripted = outcome == Outcome::refused_other ||
                        (outcome == Outcome::accepted && command.code == INCORRECT_USB_FRAME);
  if (outcome != Outcome::failed_exchange && !scripted) {
    const auto requests = module().requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], command.request);
  }
  if (command.code == RS485_PLEASE_USB_FRAME) {
    // Taken over only from an accepted answer.
    EXPECT_EQ(please_length, outcome == Outcome::accepted ? 4 : 0);
    EXPECT_EQ(please_dropped, outcome == Outcome::accepted ? 2 : 0);
  }
}

std::string outcome_name(Outcome o) {
  switch (o) {
    case Outcome::accepted:
      return "Accepted";
    case Outcome::refused:
      return "Refused";
    case Outcome::refused_other:
      return "RefusalNamingAnotherCommand";
    case Outcome::wrong_code:
      return "WrongCode";
    case Outcome::failed_exchange:
      return "FailedExchange";
    case Outcome::no_answer:
      return "NoAnswer";
  }
  return "";
}

INSTANTIATE_TEST_SUITE_P(
    ThroughTheTransport, EveryCommand,
    testing::Combine(testing::ValuesIn(commands()),
                     testing::Values(Outcome::accepted, Outcome::refused, Outcome::refused_other,
                                     Outcome::wrong_code, Outcome::failed_exchange,
                                     Outcome::no_answer)),
    [](const testing::TestParamInfo<std::tuple<Command, Outcome>>& info) {
      return std::string(std::get<0>(info.param).name) + "_" +
             outcome_name(std::get<1>(info.param));
    });

TEST_F(ProtocolOnModule, Rs485GiftHandsTheFrameOverAndAnEmptyOneShowsTheEmptyMark) {
  EXPECT_TRUE(protocol_.RS485_gift_frame(kRs485Frame.data(), 46));
  EXPECT_TRUE(protocol_.RS485_gift_frame(nullptr, 0));
  EXPECT_EQ(module().rs485_received(), (std::vector<std::vector<std::uint8_t>>{kRs485Frame, {}}));
  EXPECT_EQ(console_log().lines(),
            (std::vector<std::string>{sent(RS485_GIFT_USB_FRAME, hex(kRs485Frame.data(), 46)),
                                      received(RS485_GIFT_USB_FRAME, "(Dlugosc ramki: 46)"),
                                      sent(RS485_GIFT_USB_FRAME, kEmpty),
                                      received(RS485_GIFT_USB_FRAME, "(Dlugosc ramki: 0)")}));
}

TEST_F(ProtocolOnModule, Rs485PleaseWithAnEmptyQueueShowsTheEmptyMarkBothWays) {
  module().set_dropped(5);
  std::uint8_t length = 0, dropped = 0;
  EXPECT_TRUE(protocol_.RS485_please_frame(length, dropped));
  EXPECT_EQ(length, 0);
  EXPECT_EQ(dropped, 5);
  EXPECT_EQ(console_log().lines(),
            (std::vector<std::string>{sent(RS485_PLEASE_USB_FRAME, kEmpty),
                                      received(RS485_PLEASE_USB_FRAME, kEmpty)}));
}

TEST_F(ProtocolOnModule, Rs485PleaseLengthBeyondTheFrameShowsAndHandsBackWhatTheFrameHolds) {
  UsbFrame reply;
  for (std::size_t i = 0; i < reply.size(); ++i) reply[i] = static_cast<std::uint8_t>(i);
  reply[0] = RS485_PLEASE_USB_FRAME;
  reply[1] = 0xFF;
  reply[2] = 1;
  reply_with(reply);
  std::uint8_t length = 0, dropped = 0;
  EXPECT_TRUE(protocol_.RS485_please_frame(length, dropped));
  EXPECT_EQ(length, 60);
  EXPECT_EQ(dropped, 1);
  EXPECT_EQ(
      console_log().lines(),
      (std::vector<std::string>{sent(RS485_PLEASE_USB_FRAME, kEmpty),
                                received(RS485_PLEASE_USB_FRAME, hex(reply.data() + 4, 60))}));
}

TEST_F(ProtocolOnModule, Rs485GiftLongerThanTheFrameSendsItsFirst60Bytes) {
  const std::vector<std::uint8_t> long_frame = counting(200, 1);
  EXPECT_TRUE(protocol_.RS485_gift_frame(long_frame.data(), 200));
  EXPECT_EQ(
      module().rs485_received(),
      (std::vector<std::vector<std::uint8_t>>{{long_frame.begin(), long_frame.begin() + 60}}));
  EXPECT_EQ(console_log().lines(),
            (std::vector<std::string>{sent(RS485_GIFT_USB_FRAME, hex(long_frame.data(), 60)),
                                      received(RS485_GIFT_USB_FRAME, "(Dlugosc ramki: 60)")}));
}

TEST_F(ProtocolOnModule, AModuleTextWithLineBreaksStaysOneLine) {
  UsbFrame reply = frame_of(
      {{0, {HELLO_USB_FRAME}}, {4, cp1250_bytes("Dzie\xC5\x84 dobry\r\nz\rmodu\xC5\x82u\n")}});
  reply_with(reply);
  EXPECT_TRUE(protocol_.Hello_frame());
  ASSERT_EQ(console_log().size(), 2u);
  EXPECT_EQ(console_log().lines()[1],
            received(HELLO_USB_FRAME, "Dzie\xF1 dobry\r\nz\rmodu\xB3u\n"));
}

TEST_F(ProtocolOnModule, ATextFillingTheWholeReplyEndsAtTheFrame) {
  UsbFrame reply;
  reply.fill('x');
  reply[0] = PING_PONG_USB_FRAME;
  reply_with(reply);
  EXPECT_TRUE(protocol_.Ping_pong_frame());
  ASSERT_EQ(console_log().size(), 2u);
  EXPECT_EQ(console_log().lines()[1], received(PING_PONG_USB_FRAME, std::string(63, 'x')));
}

TEST_F(ProtocolOnModule, ARefusalShowsTheModulesTextFromByte4) {
  EXPECT_FALSE(protocol_.Erase_flash_page(11));  // the module has pages 0 to 10
  EXPECT_EQ(
      console_log().lines(),
      (std::vector<std::string>{sent(ERASE_FLASH_PAGE_USB_FRAME, "Wykasuj strone o numerze: 11"),
                                received(ERROR_USB_FRAME, "Nieprawid\xB3owy numer strony FLASH")}));
}

TEST_F(ProtocolOnModule, ABlockIsWrittenFromItsTwoHalves) {
  const std::vector<std::uint8_t> second = counting(32, 0x80);
  EXPECT_TRUE(protocol_.Erase_flash_page(2));
  EXPECT_TRUE(protocol_.Buffor_flash_block(kBlockHalf.data(), 2, 5));
  EXPECT_TRUE(protocol_.Write_flash_block(second.data(), 2, 5));
  ZelModule::Block expected;
  std::copy(kBlockHalf.begin(), kBlockHalf.end(), expected.begin());
  std::copy(second.begin(), second.end(), expected.begin() + 32);
  EXPECT_EQ(module().block(2, 5), expected);
  console_log().clear();
  EXPECT_TRUE(protocol_.Read_flash_block(2, 5, 0));
  EXPECT_EQ(console_log().lines().at(1),
            received(READ_FLASH_BLOCK_USB_FRAME, hex(kBlockHalf.data(), 32)));
}

TEST(ProtocolWithoutModule, ConnectFailsAndACommandLogsOnlyTheUsbError) {
  TestBedOptions options;
  options.modules = 0;
  TestBed bed(options);
  TraceCapture quiet;
  USB_protocol protocol;
  EXPECT_FALSE(protocol.Connect());
  console_log().clear();
  EXPECT_FALSE(protocol.Hello_frame());
  EXPECT_EQ(console_log().lines(), std::vector<std::string>{kUsbError});
}

}  // namespace
