// SPDX-License-Identifier: MIT
// The emulated module's firmware model, without any device.

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "emulator/zel_module.h"
#include "text/cp1250.h"

namespace {

UsbFrame frame(std::initializer_list<std::uint8_t> head) {
  UsbFrame f{};
  std::copy(head.begin(), head.end(), f.begin());
  return f;
}

UsbFrame flash_half(std::uint8_t code, int page, int block, std::uint8_t first_value) {
  UsbFrame f = frame({code, static_cast<std::uint8_t>(page), static_cast<std::uint8_t>(block)});
  for (int i = 0; i < ZelModule::kHalfSize; ++i)
    f[3 + i] = static_cast<std::uint8_t>(first_value + i);
  return f;
}

// The text of an answer from byte 4, up to its zero.
std::string text_of(const UsbFrame& f) {
  return std::string(reinterpret_cast<const char*>(f.data() + 4),
                     strnlen(reinterpret_cast<const char*>(f.data() + 4), 60));
}

UsbFrame answer(ZelModule& module, const UsbFrame& request) {
  const std::optional<UsbFrame> reply = module.handle(request);
  EXPECT_TRUE(reply.has_value());
  return reply.value_or(UsbFrame{});
}

ZelModule::Block filled(std::uint8_t value) {
  ZelModule::Block b;
  b.fill(value);
  return b;
}

TEST(EmulatorModule, HelloPingPongAndDebug) {
  ZelModule module;
  const UsbFrame hello = answer(module, frame({HELLO_USB_FRAME}));
  EXPECT_EQ(hello[0], HELLO_USB_FRAME);
  EXPECT_EQ(hello[1] | hello[2] | hello[3], 0);
  EXPECT_EQ(text::to_utf8(text_of(hello)), ZelModule::kGreetingUtf8);
  EXPECT_EQ(hello[63], 0);

  UsbFrame ping = frame({PING_PONG_USB_FRAME});
  std::memcpy(ping.data() + 1, kPingPongText.data(), kPingPongText.size());
  EXPECT_EQ(answer(module, ping), ping);

  UsbFrame debug = frame({DEBUG_USB_FRAME, 3, 3, 3});
  for (int i = 0; i < 60; ++i) debug[4 + i] = static_cast<std::uint8_t>(0xC4 + i);
  EXPECT_EQ(answer(module, debug), debug);

  EXPECT_EQ(module.requests(), (std::vector<UsbFrame>{frame({HELLO_USB_FRAME}), ping, debug}));
  module.clear_requests();
  EXPECT_TRUE(module.requests().empty());
}

TEST(EmulatorModule, RefusesWhatItCannotDoAndChangesNothing) {
  struct Case {
    const char* name;
    UsbFrame request;
  };
  const Case cases[] = {
      {"invalid frame", frame({INCORRECT_USB_FRAME})},
      {"unknown code", frame({0x04})},
      {"erase page 11", frame({ERASE_FLASH_PAGE_USB_FRAME, 11})},
      {"read page 11", frame({READ_FLASH_BLOCK_USB_FRAME, 11, 0, 0})},
      {"read block 65", frame({READ_FLASH_BLOCK_USB_FRAME, 10, 65, 0})},
      {"read half 2", frame({READ_FLASH_BLOCK_USB_FRAME, 0, 0, 2})},
      {"buffer block 65", flash_half(BUFFOR_FLASH_BLOCK_USB_FRAME, 0, 65, 0)},
      {"buffer page 200", flash_half(BUFFOR_FLASH_BLOCK_USB_FRAME, 200, 0, 0)},
      {"write page 11", flash_half(WRITE_FLASH_BLOCK_USB_FRAME, 11, 0, 0)},
      {"write without a buffered half", flash_half(WRITE_FLASH_BLOCK_USB_FRAME, 0, 0, 0)},
      {"RS485 frame of 61 bytes", frame({RS485_GIFT_USB_FRAME, 61})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ZelModule module;
    module.set_block(0, 0, filled(0x11));
    const UsbFrame reply = answer(module, c.request);
    EXPECT_EQ(reply[0], ERROR_USB_FRAME);
    EXPECT_EQ(reply[1], c.request[0]);
    EXPECT_FALSE(text_of(reply).empty());
    EXPECT_EQ(reply[63], 0);
    EXPECT_EQ(module.block(0, 0), filled(0x11));
    EXPECT_EQ(module.block(10, 64), filled(0xFF));
    EXPECT_TRUE(module.rs485_received().empty());
  }
}

TEST(EmulatorModule, FlashEraseBufferWriteAndRead) {
  ZelModule module;
  EXPECT_EQ(module.block(0, 0), filled(0xFF));  // erased from the start
  EXPECT_EQ(module.block(10, 64), filled(0xFF));

  // Buffer then write: the block is the two halves; the buffer is used up.
  EXPECT_EQ(answer(module, flash_half(BUFFOR_FLASH_BLOCK_USB_FRAME, 10, 64, 0x00)),
            frame({BUFFOR_FLASH_BLOCK_USB_FRAME}));
  ASSERT_TRUE(module.buffered_half().has_value());
  EXPECT_EQ(answer(module, flash_half(WRITE_FLASH_BLOCK_USB_FRAME, 10, 64, 0x20)),
            frame({WRITE_FLASH_BLOCK_USB_FRAME}));
  EXPECT_FALSE(module.buffered_half().has_value());
  ZelModule::Block expected;
  for (int i = 0; i < 64; ++i) expected[i] = static_cast<std::uint8_t>(i);
  EXPECT_EQ(module.block(10, 64), expected);

  for (std::uint8_t half : {0, 1}) {
    const UsbFrame read = answer(module, frame({READ_FLASH_BLOCK_USB_FRAME, 10, 64, half}));
    EXPECT_EQ(read[0], READ_FLASH_BLOCK_USB_FRAME);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(read[1 + i], half * 32 + i);
    EXPECT_EQ(read[33], 0);
  }

  // A second write needs its own buffered half, of the same block.
  EXPECT_EQ(answer(module, flash_half(WRITE_FLASH_BLOCK_USB_FRAME, 10, 64, 0))[0], ERROR_USB_FRAME);
  answer(module, flash_half(BUFFOR_FLASH_BLOCK_USB_FRAME, 3, 4, 0));
  EXPECT_EQ(answer(module, flash_half(WRITE_FLASH_BLOCK_USB_FRAME, 3, 5, 0))[0], ERROR_USB_FRAME);
  EXPECT_EQ(module.block(3, 5), filled(0xFF));

  // Programming only clears bits: writing over written cells ANDs them.
  module.set_block(2, 1, filled(0xF0));
  answer(module, flash_half(BUFFOR_FLASH_BLOCK_USB_FRAME, 2, 1, 0x3C));
  answer(module, flash_half(WRITE_FLASH_BLOCK_USB_FRAME, 2, 1, 0x3C));
  EXPECT_EQ(module.block(2, 1)[0], 0x3C & 0xF0);

  // Erase fills one page with 0xFF and leaves the others.
  module.set_block(9, 7, filled(0));
  EXPECT_EQ(answer(module, frame({ERASE_FLASH_PAGE_USB_FRAME, 10})),
            frame({ERASE_FLASH_PAGE_USB_FRAME}));
  EXPECT_EQ(module.block(10, 64), filled(0xFF));
  EXPECT_EQ(module.block(9, 7), filled(0));
}

TEST(EmulatorModule, BlockAccessOutsideTheFlashThrows) {
  ZelModule module;
  EXPECT_THROW(module.block(11, 0), std::out_of_range);
  EXPECT_THROW(module.block(0, 65), std::out_of_range);
  EXPECT_THROW(module.set_block(-1, 0, filled(0)), std::out_of_range);
}

TEST(EmulatorModule, Rs485GiftAndPlease) {
  ZelModule module;
  UsbFrame gift = frame({RS485_GIFT_USB_FRAME, 3, 0, 0, 0xAA, 0x00, 0x55, 0x77});
  EXPECT_EQ(answer(module, gift), frame({RS485_GIFT_USB_FRAME}));
  EXPECT_EQ(answer(module, frame({RS485_GIFT_USB_FRAME, 0}))[0], RS485_GIFT_USB_FRAME);
  EXPECT_EQ(module.rs485_received(),
            (std::vector<std::vector<std::uint8_t>>{{0xAA, 0x00, 0x55}, {}}));

  const UsbFrame please = frame({RS485_PLEASE_USB_FRAME});
  EXPECT_EQ(answer(module, please), frame({RS485_PLEASE_USB_FRAME, 0, 0}));

  std::vector<std::uint8_t> longest(60);
  for (std::size_t i = 0; i < longest.size(); ++i) longest[i] = static_cast<std::uint8_t>(200 + i);
  module.set_dropped(4);
  module.queue_rs485({1, 2});
  module.queue_rs485(longest);
  module.queue_rs485(std::vector<std::uint8_t>(61, 9));  // cannot travel: dropped

  UsbFrame first = answer(module, please);
  EXPECT_EQ(first, frame({RS485_PLEASE_USB_FRAME, 2, 5, 0, 1, 2}));
  UsbFrame second = answer(module, please);
  EXPECT_EQ(second[1], 60);
  EXPECT_EQ(second[2], 0);  // reported once
  EXPECT_TRUE(std::equal(longest.begin(), longest.end(), second.begin() + 4));
  EXPECT_EQ(answer(module, please), frame({RS485_PLEASE_USB_FRAME, 0, 0}));
}

TEST(EmulatorModule, Rs485QueueHolds32FramesAndCountsTheRestAsDropped) {
  ZelModule module;
  for (int i = 0; i < 35; ++i) module.queue_rs485({static_cast<std::uint8_t>(i)});
  const UsbFrame please = frame({RS485_PLEASE_USB_FRAME});
  EXPECT_EQ(answer(module, please), frame({RS485_PLEASE_USB_FRAME, 1, 3, 0, 0}));
  module.queue_rs485({99});  // room again for one
  for (int i = 1; i < 32; ++i) EXPECT_EQ(answer(module, please), frame({RS485_PLEASE_USB_FRAME, 1, 0, 0, static_cast<std::uint8_t>(i)}));
  EXPECT_EQ(answer(module, please), frame({RS485_PLEASE_USB_FRAME, 1, 0, 0, 99}));
  EXPECT_EQ(answer(module, please), frame({RS485_PLEASE_USB_FRAME, 0, 0}));
}

TEST(EmulatorModule, FaultsSelectedByExchangeNumber) {
  ZelModule module;
  ZelModule::Faults faults;
  faults.no_answer = true;
  faults.fail_at = 1;
  module.set_faults(faults);
  const UsbFrame hello = frame({HELLO_USB_FRAME});
  EXPECT_TRUE(module.handle(hello).has_value());
  EXPECT_FALSE(module.handle(hello).has_value());
  EXPECT_TRUE(module.handle(hello).has_value());
  EXPECT_EQ(module.requests().size(), 3u);  // the unanswered one too

  faults = {};
  faults.wrong_code = 0x05;
  module.set_faults(faults);
  EXPECT_EQ(answer(module, hello)[0], 0x05);
  EXPECT_EQ(text::to_utf8(text_of(answer(module, hello))), ZelModule::kGreetingUtf8);

  faults = {};
  faults.refuse_code = ERASE_FLASH_PAGE_USB_FRAME;
  module.set_faults(faults);
  module.set_block(0, 0, filled(0));
  const UsbFrame refused = answer(module, frame({ERASE_FLASH_PAGE_USB_FRAME, 0}));
  EXPECT_EQ(refused[0], ERROR_USB_FRAME);
  EXPECT_EQ(refused[1], ERASE_FLASH_PAGE_USB_FRAME);
  EXPECT_EQ(module.block(0, 0), filled(0));
  EXPECT_EQ(answer(module, hello)[0], HELLO_USB_FRAME);  // other codes still answered
}

TEST(EmulatorModule, UnplugAfterAnsweringSomeExchanges) {
  ZelModule module;
  ZelModule::Faults faults;
  faults.unplug_after = 2;
  module.set_faults(faults);
  const UsbFrame hello = frame({HELLO_USB_FRAME});
  EXPECT_TRUE(module.handle(hello).has_value());
  EXPECT_TRUE(module.handle(hello).has_value());
  EXPECT_FALSE(module.unplugged());
  EXPECT_FALSE(module.handle(hello).has_value());
  EXPECT_TRUE(module.unplugged());
  module.set_faults({});
  EXPECT_FALSE(module.handle(hello).has_value());  // gone stays gone
}

}  // namespace
