// SPDX-License-Identifier: MIT
#pragma once
// The console lines the protocol must write, spelled out for the tests
// independently of the frame log's own code.

#include <cstdint>
#include <string>

#include "protocol/usb_frame.h"

namespace protocol_lines {

inline std::string hex(const std::uint8_t* data, std::size_t n) {
  static const char* digits = "0123456789ABCDEF";
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s += {digits[data[i] >> 4], digits[data[i] & 15], ' '};
  return s;
}

// Up to the first zero byte, at most `limit` bytes.
inline std::string text(const std::uint8_t* data, std::size_t limit) {
  std::string s;
  for (std::size_t i = 0; i < limit && data[i] != 0; ++i) s += static_cast<char>(data[i]);
  return s;
}

inline std::string sent(std::uint8_t code, const std::string& data) {
  return "<--  \t" + std::string(*frame_log_name(code)) + data;
}
inline std::string received(std::uint8_t code, const std::string& data) {
  return "  -->\t" + std::string(*frame_log_name(code)) + data;
}

inline const std::string kEmpty = "(Pole danych jest puste)";
inline const std::string kUsbError = "BLAD:\t\tB\xB3\xB9" "d protoko\xB3u USB!";
inline const std::string kInvalidReply =
    "BLAD:\t\tModu\xB3 Mxx odpowiedzia\xB3 nieprawid\xB3ow\xB9 ramk\xB9!";

}  // namespace protocol_lines
