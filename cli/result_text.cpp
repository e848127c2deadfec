#include "cli/result_text.h"

#include "config/config_matrix.h"

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

std::string failed_command_text(const UsbFrame& request) {
  return "moduł nie przyjął polecenia " + command_name(request[0]) + flash_address(request);
}

std::string difference_row(const CellDifference& d) {
  return std::to_string(d.row) + "\t" + row_label(d.row) + "\t" + std::to_string(d.column + 1) +
         "\t" + std::to_string(d.grid_mode) + "\t" + std::to_string(d.module_mode);
}

std::string repeat_line(int number, std::string_view summary) {
  return std::to_string(number) + ": " + std::string(summary);
}

std::string closing_count(int modules, int succeeded) {
  return "Moduły: " + std::to_string(modules) + ", poprawnie: " + std::to_string(succeeded) +
         ", z błędem: " + std::to_string(modules - succeeded);
}
