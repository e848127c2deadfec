// SPDX-License-Identifier: MIT
#include "protocol/failed_command.h"

namespace {

std::string command_name(std::uint8_t code) {
  switch (code) {
    case INCORRECT_USB_FRAME: return "Incorrect_frame";
    case HELLO_USB_FRAME: return "Hello_frame";
    case PING_PONG_USB_FRAME: return "Ping_pong_frame";
    case DEBUG_USB_FRAME: return "Debug_frame";
    case RS485_GIFT_USB_FRAME: return "RS485_gift_frame";
    case RS485_PLEASE_USB_FRAME: return "RS485_please_frame";
    case ERASE_FLASH_PAGE_USB_FRAME: return "Erase_flash_page";
    case BUFFOR_FLASH_BLOCK_USB_FRAME: return "Buffor_flash_block";
    case WRITE_FLASH_BLOCK_USB_FRAME: return "Write_flash_block";
    case READ_FLASH_BLOCK_USB_FRAME: return "Read_flash_block";
    default: return "o kodzie " + std::to_string(code);
  }
}

// The FLASH address the request carries, as the user reads it.
std::string flash_address(const UsbFrame& request) {
  const std::string page = "strona " + std::to_string(request[1]);
  const std::string block = ", blok " + std::to_string(request[2]);
  switch (request[0]) {
    case ERASE_FLASH_PAGE_USB_FRAME: return " (" + page + ")";
    case BUFFOR_FLASH_BLOCK_USB_FRAME:
    case WRITE_FLASH_BLOCK_USB_FRAME: return " (" + page + block + ")";
    case READ_FLASH_BLOCK_USB_FRAME:
      return " (" + page + block + ", połówka " + std::to_string(request[3]) + ")";
    default: return "";
  }
}

}  // namespace

std::string failed_command_text(const UsbFrame& request, CommandFailure cause) {
  const std::string command = command_name(request[0]) + flash_address(request);
  switch (cause) {
    case CommandFailure::no_answer: return "moduł nie odpowiedział na polecenie " + command;
    case CommandFailure::disconnected: return "moduł został odłączony podczas polecenia " + command;
    case CommandFailure::none:
    case CommandFailure::refused: break;
  }
  return "moduł nie przyjął polecenia " + command;
}

std::string last_failure_text(const USB_protocol& protocol) {
  if (protocol.last_failure() == CommandFailure::none) return {};
  return failed_command_text(protocol.last_request(), protocol.last_failure());
}

std::string connect_failure_text(bool module_found) {
  return module_found ? "moduł ZEL jest podłączony, ale nie udało się go otworzyć (brak uprawnień?)"
                      : "nie znaleziono modułu ZEL (VID_04D8&PID_003F)";
}
