// SPDX-License-Identifier: MIT
#pragma once
// The 64-byte frame exchanged with the module and its codes.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

using UsbFrame = std::array<std::uint8_t, 64>;

enum UsbFrameCode : std::uint8_t {
  ERROR_USB_FRAME = 0x00,
  PING_PONG_USB_FRAME = 0x01,
  HELLO_USB_FRAME = 0x02,
  DEBUG_USB_FRAME = 0x03,
  RS485_GIFT_USB_FRAME = 0x20,
  RS485_PLEASE_USB_FRAME = 0x21,
  ERASE_FLASH_PAGE_USB_FRAME = 0x30,
  BUFFOR_FLASH_BLOCK_USB_FRAME = 0x31,
  WRITE_FLASH_BLOCK_USB_FRAME = 0x32,
  READ_FLASH_BLOCK_USB_FRAME = 0x33,
  INCORRECT_USB_FRAME = 0xFF,
};

// The name the frame log prints for a code, with its trailing tabs, or
// nothing for a code that is not listed.
std::optional<std::string_view> frame_log_name(std::uint8_t code);

// How a response relates to the request it answers.
enum class ReplyKind { answer, refusal, invalid };
ReplyKind classify_reply(std::uint8_t request_code, const UsbFrame& response);

// Texts carried in requests.
inline constexpr std::string_view kHelloText =
    "Hej! Jestem programem konfiguracyjnym tablicy synoptycznej.";
inline constexpr std::string_view kPingPongText =
    "Ten tekst powinien byc identyczny w ramce rozkazu i odpowiedzi";
inline constexpr std::size_t kRs485MaxLength = 60;  // bytes 4..63 of a frame
