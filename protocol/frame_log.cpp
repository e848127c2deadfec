// SPDX-License-Identifier: MIT
// The frame log: one console line per frame, as Windows-1250 bytes.

#include <string>

#include "protocol/console_log.h"
#include "protocol/usb_protocol.h"
#include "text/cp1250.h"

namespace {

enum class DataForm { text, whole_text, hex, empty_or_hex, empty_or_text };

DataForm data_form(std::uint8_t code, bool sent) {
  switch (code) {
    case DEBUG_USB_FRAME: return DataForm::hex;
    case RS485_GIFT_USB_FRAME: return sent ? DataForm::empty_or_hex : DataForm::empty_or_text;
    case RS485_PLEASE_USB_FRAME: return DataForm::empty_or_hex;
    case BUFFOR_FLASH_BLOCK_USB_FRAME:
    case WRITE_FLASH_BLOCK_USB_FRAME: return sent ? DataForm::hex : DataForm::text;
    case READ_FLASH_BLOCK_USB_FRAME: return sent ? DataForm::whole_text : DataForm::hex;
    default: return DataForm::text;
  }
}

// Up to the first zero byte, but never more than `limit` bytes.
void append_text(std::string& line, const std::uint8_t* data, std::size_t limit) {
  const auto* chars = reinterpret_cast<const char*>(data);
  std::size_t n = 0;
  while (n < limit && chars[n] != '\0') ++n;
  line.append(chars, n);
}

void append_hex(std::string& line, const std::uint8_t* data, std::size_t count) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (std::size_t i = 0; i < count; ++i) {
    line += kDigits[data[i] >> 4];
    line += kDigits[data[i] & 0x0F];
    line += ' ';
  }
}

constexpr std::string_view kEmptyMark = "(Pole danych jest puste)";
constexpr std::size_t kErrorLineLimit = 99;

}  // namespace

void USB_protocol::Show_frame(bool sent, std::uint8_t code, const std::uint8_t* data,
                              std::uint8_t length) {
  const std::optional<std::string_view> name = frame_log_name(code);
  if (!name) {
    Show_error("NASTAPIL BLAD W ALGORYTMIE PROGRAMU KONFIGURACYJNEGO!");
    return;
  }
  std::string line(sent ? "<--  \t" : "  -->\t");
  line += *name;
  switch (data_form(code, sent)) {
    case DataForm::text: append_text(line, data, length); break;
    case DataForm::whole_text: line += reinterpret_cast<const char*>(data); break;
    case DataForm::hex: append_hex(line, data, length); break;
    case DataForm::empty_or_hex:
      if (length == 0) line += kEmptyMark; else append_hex(line, data, length);
      break;
    case DataForm::empty_or_text:
      if (length == 0) line += kEmptyMark; else append_text(line, data, length);
      break;
  }
  // One entry in the store, whatever CR or LF bytes the module's text holds.
  console_log().append_line(std::move(line));
}

void USB_protocol::Show_error(std::string_view utf8_message) {
  std::string line = "BLAD:\t\t" + text::to_cp1250(utf8_message);
  if (line.size() > kErrorLineLimit) line.resize(kErrorLineLimit);
  console_log().append_line(std::move(line));
}

void USB_protocol::Set_CRC(UsbFrame&) {}

bool USB_protocol::Check_CRC(const UsbFrame&) { return true; }
