// SPDX-License-Identifier: MIT
// The command cycle without a device: every exchange goes to a scripted or
// random module, so tens of thousands of replies can be tried quickly.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "protocol/console_log.h"
#include "protocol/usb_protocol.h"
#include "tests/core/protocol_lines.h"

namespace {

using namespace protocol_lines;

std::string signed_number(std::uint8_t v) { return std::to_string(static_cast<std::int8_t>(v)); }

// One call of one command with its arguments, and what it must send and show.
struct Call {
  std::uint8_t code;
  std::function<bool(USB_protocol&)> run;
  UsbFrame request;                                     // the bytes it must send
  std::string request_line;                             // after the direction mark and name
  std::function<std::string(const UsbFrame&)> answer;   // reply data of an accepted answer
};

struct Args {
  std::uint8_t page, block, half;
  std::array<std::uint8_t, 255> data;  // payloads and RS485 frames
  std::uint8_t length;                 // RS485 length as passed in
  std::uint8_t out_length, out_dropped;
};

Call make_call(int which, Args& a) {
  Call c{};
  c.request.fill(0);
  switch (which) {
    case 0:
      c.code = INCORRECT_USB_FRAME;
      c.run = [](USB_protocol& p) { return p.Incorrect_frame(); };
      c.request_line = "Wys\xB3" "ano nieprawid\xB3ow\xB9 ramk\xEA";
      c.answer = [](const UsbFrame& r) { return text(r.data(), 64); };
      break;
    case 1:
      c.code = HELLO_USB_FRAME;
      c.run = [](USB_protocol& p) { return p.Hello_frame(); };
      std::memcpy(c.request.data() + 4, kHelloText.data(), kHelloText.size());
      c.request_line = std::string(kHelloText);
      c.answer = [](const UsbFrame& r) { return text(r.data() + 4, 60); };
      break;
    case 2:
      c.code = PING_PONG_USB_FRAME;
      c.run = [](USB_protocol& p) { return p.Ping_pong_frame(); };
      std::memcpy(c.request.data() + 1, kPingPongText.data(), kPingPongText.size());
      c.request_line = std::string(kPingPongText);
      c.answer = [](const UsbFrame& r) { return text(r.data() + 1, 63); };
      break;
    case 3:
      c.code = DEBUG_USB_FRAME;
      c.run = [&a](USB_protocol& p) { return p.Debug_frame(a.data.data()); };
      c.request[1] = c.request[2] = c.request[3] = 3;
      std::memcpy(c.request.data() + 4, a.data.data(), 60);
      c.request_line = hex(a.data.data(), 60);
      c.answer = [](const UsbFrame& r) { return hex(r.data() + 4, 60); };
      break;
    case 4: {
      c.code = RS485_GIFT_USB_FRAME;
      c.run = [&a](USB_protocol& p) { return p.RS485_gift_frame(a.data.data(), a.length); };
      const std::size_t n = std::min<std::size_t>(a.length, 60);
      c.request[1] = static_cast<std::uint8_t>(n);
      std::memcpy(c.request.data() + 4, a.data.data(), n);
      c.request_line = n == 0 ? kEmpty : hex(a.data.data(), n);
      c.answer = [n](const UsbFrame&) { return "(Dlugosc ramki: " + std::to_string(n) + ")"; };
      break;
    }
    case 5: {
      c.code = RS485_PLEASE_USB_FRAME;
      c.run = [&a](USB_protocol& p) { return p.RS485_please_frame(a.out_length, a.out_dropped); };
      const std::size_t n = std::min<std::size_t>(a.out_length, 60);
      c.request_line = n == 0 ? kEmpty : hex(UsbFrame{}.data(), n);
      c.answer = [](const UsbFrame& r) {
        const std::size_t got = std::min<std::size_t>(r[1], 60);
        return got == 0 ? kEmpty : hex(r.data() + 4, got);
      };
      break;
    }
    case 6:
      c.code = ERASE_FLASH_PAGE_USB_FRAME;
      c.run = [&a](USB_protocol& p) { return p.Erase_flash_page(a.page); };
      c.request[1] = a.page;
      c.request_line = "Wykasuj strone o numerze: " + signed_number(a.page);
      c.answer = [](const UsbFrame&) { return std::string("(OK!)"); };
      break;
    case 7:
      c.code = READ_FLASH_BLOCK_USB_FRAME;
      c.run = [&a](USB_protocol& p) { return p.Read_flash_block(a.page, a.block, a.half); };
      c.request[1] = a.page;
      c.request[2] = a.block;
      c.request[3] = a.half;
      c.request_line = "(Strona: " + signed_number(a.page) + " Blok: " + signed_number(a.block) +
                       " Po\xB3\xF3wka: " + signed_number(a.half) + ")";
      c.answer = [](const UsbFrame& r) { return hex(r.data() + 1, 32); };
      break;
    case 8:
    case 9: {
      const bool buffer = which == 8;
      c.code = buffer ? BUFFOR_FLASH_BLOCK_USB_FRAME : WRITE_FLASH_BLOCK_USB_FRAME;
      c.run = [&a, buffer](USB_protocol& p) {
        return buffer ? p.Buffor_flash_block(a.data.data(), a.page, a.block)
                      : p.Write_flash_block(a.data.data(), a.page, a.block);
      };
      c.request[1] = a.page;
      c.request[2] = a.block;
      std::memcpy(c.request.data() + 3, a.data.data(), 32);
      c.request_line = hex(a.data.data(), 32);
      const std::string ok = buffer ? "(Ok! Strona: " + signed_number(a.page) +
                                          " Blok: " + signed_number(a.block) + ")"
                                    : "(OK!)";
      c.answer = [ok](const UsbFrame&) { return ok; };
      break;
    }
  }
  c.request[0] = c.code;
  return c;
}
constexpr int kCommands = 10;

// A module that answers with whatever the test put in `next`.
struct ScriptedModule {
  UsbFrame next{};
  bool goes_through = true;
  std::vector<UsbFrame> requests;

  USB_protocol::Exchange exchange() {
    return [this](const UsbFrame& request, UsbFrame& response) {
      requests.push_back(request);
      if (goes_through) response = next;
      return goes_through;
    };
  }
};

TEST(ProtocolCommands, RandomRepliesAlwaysAddThePrescribedLines) {
  std::mt19937 random(20240611);
  auto byte = [&] { return static_cast<std::uint8_t>(random()); };
  auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
  // Module bytes favour zeros and line breaks, which end or try to split texts.
  auto module_byte = [&]() -> std::uint8_t {
    const int roll = static_cast<int>(random() % 10);
    if (roll < 2) return 0;
    if (roll == 2) return chance(50) ? '\r' : '\n';
    return byte();
  };

  ScriptedModule module;
  USB_protocol protocol(module.exchange());
  int counts[3] = {0, 0, 0};  // accepted, refused, invalid

  for (int round = 0; round < 60000; ++round) {
    const int which = round % kCommands;
    Args a{};
    a.page = byte();
    a.block = byte();
    a.half = byte();
    for (auto& b : a.data) b = byte();
    a.length = chance(50) ? static_cast<std::uint8_t>(random() % 61) : byte();
    a.out_length = chance(50) ? 0 : byte();
    a.out_dropped = byte();
    const std::uint8_t length_before = a.out_length, dropped_before = a.out_dropped;
    const Call call = make_call(which, a);

    for (auto& b : module.next) b = module_byte();
    const int pick = static_cast<int>(random() % 10);
    if (pick < 4) module.next[0] = call.code;
    else if (pick < 7) module.next[0] = ERROR_USB_FRAME;
    module.next[1] = chance(50) ? call.code : module_byte();
    module.goes_through = !chance(10);
    module.requests.clear();

    console_log().clear();
    const bool accepted = call.run(protocol);
    const auto& lines = console_log().lines();
    const UsbFrame& r = module.next;
    SCOPED_TRACE("round " + std::to_string(round) + " command " + std::to_string(which));

    ASSERT_EQ(module.requests.size(), 1u);
    ASSERT_EQ(module.requests[0], call.request);
    if (!module.goes_through) {
      ASSERT_EQ(lines, std::vector<std::string>{kUsbError});
      ASSERT_FALSE(accepted);
    } else {
      ASSERT_EQ(lines.size(), 2u);
      ASSERT_EQ(lines[0], sent(call.code, call.request_line));
      const bool answer = r[0] == call.code;
      const bool refusal = !answer && r[0] == 0 && (r[1] == call.code || call.code == 0xFF);
      if (answer) {
        ASSERT_EQ(lines[1], received(call.code, call.answer(r)));
      } else if (refusal) {
        ASSERT_EQ(lines[1], received(ERROR_USB_FRAME, text(r.data() + 4, 60)));
      } else {
        ASSERT_EQ(lines[1], kInvalidReply);
      }
      ASSERT_EQ(accepted, answer);
      ++counts[answer ? 0 : refusal ? 1 : 2];
    }
    if (call.code == RS485_PLEASE_USB_FRAME) {
      if (accepted) {
        ASSERT_EQ(a.out_length, std::min<int>(r[1], 60));
        ASSERT_EQ(a.out_dropped, r[2]);
      } else {
        ASSERT_EQ(a.out_length, length_before);
        ASSERT_EQ(a.out_dropped, dropped_before);
      }
    }
  }
  // Every kind of reply was tried many times.
  EXPECT_GT(counts[0], 10000);
  EXPECT_GT(counts[1], 5000);
  EXPECT_GT(counts[2], 10000);
}

TEST(ProtocolCommands, Rs485LengthsBeyondTheFrameAreCutTo60) {
  ScriptedModule module;
  USB_protocol protocol(module.exchange());
  std::array<std::uint8_t, 255> data;
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i);

  module.next[0] = RS485_GIFT_USB_FRAME;
  console_log().clear();
  EXPECT_TRUE(protocol.RS485_gift_frame(data.data(), 255));
  ASSERT_EQ(module.requests.size(), 1u);
  EXPECT_EQ(module.requests[0][1], 60);
  EXPECT_TRUE(std::equal(data.begin(), data.begin() + 60, module.requests[0].begin() + 4));
  EXPECT_EQ(console_log().lines(),
            (std::vector<std::string>{sent(RS485_GIFT_USB_FRAME, hex(data.data(), 60)),
                                      received(RS485_GIFT_USB_FRAME, "(Dlugosc ramki: 60)")}));

  module.next.fill(0x5A);
  module.next[0] = RS485_PLEASE_USB_FRAME;
  module.next[1] = 200;
  module.next[2] = 9;
  std::uint8_t length = 250, dropped = 0;
  console_log().clear();
  EXPECT_TRUE(protocol.RS485_please_frame(length, dropped));
  EXPECT_EQ(length, 60);
  EXPECT_EQ(dropped, 9);
  EXPECT_EQ(console_log().lines(),
            (std::vector<std::string>{
                sent(RS485_PLEASE_USB_FRAME, hex(UsbFrame{}.data(), 60)),
                received(RS485_PLEASE_USB_FRAME, hex(module.next.data() + 4, 60))}));
}

TEST(ProtocolCommands, WithoutADeviceConnectFails) {
  ScriptedModule module;
  USB_protocol protocol(module.exchange());
  EXPECT_FALSE(protocol.Connect());
  EXPECT_TRUE(module.requests.empty());
}

TEST(ProtocolCommands, EveryCommandClearsBothFramesFirst) {
  ScriptedModule module;
  USB_protocol protocol(module.exchange());
  std::uint8_t payload[60];
  std::fill(std::begin(payload), std::end(payload), 0xEE);
  module.next.fill(0x77);
  EXPECT_FALSE(protocol.Debug_frame(payload));
  ASSERT_EQ(protocol.last_response(), module.next);
  // A failed exchange that fills nothing leaves the response cleared.
  module.goes_through = false;
  EXPECT_FALSE(protocol.Erase_flash_page(3));
  UsbFrame expected{};
  expected[0] = ERASE_FLASH_PAGE_USB_FRAME;
  expected[1] = 3;
  EXPECT_EQ(protocol.last_request(), expected);
  EXPECT_EQ(protocol.last_response(), UsbFrame{});
}

}  // namespace

namespace {

TEST(ProtocolCommands, PollLogsOnlyAnswersThatBringSomething) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> head;  // of the reply; the rest is zero
    bool goes_through;
    USB_protocol::Outcome outcome;
    std::uint8_t length, dropped;      // handed back (set to 77 before)
    std::vector<std::string> lines;
  };
  const std::uint8_t frame[] = {0xFF, 0x40, 0x07};
  const Case cases[] = {
      {"nothing new", {RS485_PLEASE_USB_FRAME, 0, 0}, true, USB_protocol::Outcome::accepted, 0, 0, {}},
      {"a frame", {RS485_PLEASE_USB_FRAME, 3, 0, 0, 0xFF, 0x40, 0x07}, true, USB_protocol::Outcome::accepted, 3, 0,
       {sent(RS485_PLEASE_USB_FRAME, kEmpty), received(RS485_PLEASE_USB_FRAME, hex(frame, 3))}},
      {"drops alone", {RS485_PLEASE_USB_FRAME, 0, 4}, true, USB_protocol::Outcome::accepted, 0, 4,
       {sent(RS485_PLEASE_USB_FRAME, kEmpty), received(RS485_PLEASE_USB_FRAME, kEmpty)}},
      {"refusal", {ERROR_USB_FRAME, RS485_PLEASE_USB_FRAME, 0, 0, 'N', 'i', 'e'}, true,
       USB_protocol::Outcome::refused, 77, 77,
       {sent(RS485_PLEASE_USB_FRAME, kEmpty), received(ERROR_USB_FRAME, "Nie")}},
      {"wrong code", {HELLO_USB_FRAME}, true, USB_protocol::Outcome::invalid, 77, 77,
       {sent(RS485_PLEASE_USB_FRAME, kEmpty), kInvalidReply}},
      {"no answer", {}, false, USB_protocol::Outcome::failed, 77, 77, {kUsbError}},
  };
  for (const Case& c : cases) {
    ScriptedModule module;
    std::copy(c.head.begin(), c.head.end(), module.next.begin());
    module.goes_through = c.goes_through;
    USB_protocol protocol(module.exchange());
    std::uint8_t length = 77, dropped = 77;
    console_log().clear();
    EXPECT_EQ(protocol.Poll_RS485_frame(length, dropped), c.outcome) << c.what;
    EXPECT_EQ(length, c.length) << c.what;
    EXPECT_EQ(dropped, c.dropped) << c.what;
    EXPECT_EQ(console_log().lines(), c.lines) << c.what;
    ASSERT_EQ(module.requests.size(), 1u);
    UsbFrame please{};
    please[0] = RS485_PLEASE_USB_FRAME;
    EXPECT_EQ(module.requests[0], please) << c.what;
  }
}

}  // namespace
