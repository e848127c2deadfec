// SPDX-License-Identifier: MIT
#include "protocol/usb_frame.h"

std::optional<std::string_view> frame_log_name(std::uint8_t code) {
  switch (code) {
    case ERROR_USB_FRAME: return "ERROR_USB_FRAME\t\t";
    case PING_PONG_USB_FRAME: return "PING_PONG_USB_FRAME\t";
    case HELLO_USB_FRAME: return "HELLO_USB_FRAME\t\t";
    case DEBUG_USB_FRAME: return "DEBUG_USB_FRAME\t\t";
    case RS485_GIFT_USB_FRAME: return "RS485_GIFT_USB_FRAME\t";
    case RS485_PLEASE_USB_FRAME: return "RS485_PLEASE_USB_FRAME\t";
    case ERASE_FLASH_PAGE_USB_FRAME: return "ERASE_FLASH_PAGE_USB_FRAME\t";
    case BUFFOR_FLASH_BLOCK_USB_FRAME: return "BUFFOR_FLASH_BLOCK_USB_FRAME\t";
    case WRITE_FLASH_BLOCK_USB_FRAME: return "WRITE_FLASH_BLOCK_USB_FRAME\t";
    case READ_FLASH_BLOCK_USB_FRAME: return "READ_FLASH_BLOCK_USB_FRAME\t";
    case INCORRECT_USB_FRAME: return "INCORRECT_USB_FRAME\t";
    default: return std::nullopt;
  }
}

ReplyKind classify_reply(std::uint8_t request_code, const UsbFrame& response) {
  if (response[0] == request_code) return ReplyKind::answer;
  // The invalid frame has no code the module could name, so any refusal is its.
  if (response[0] == ERROR_USB_FRAME &&
      (request_code == INCORRECT_USB_FRAME || response[1] == request_code)) {
    return ReplyKind::refusal;
  }
  return ReplyKind::invalid;
}
