// SPDX-License-Identifier: MIT
// Every command's handling of whatever the module answers: the first input
// byte picks the command and whether the exchange fails, the next 64 are the
// reply. No command may read outside the frame or add other than one or two
// console lines.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "protocol/console_log.h"
#include "protocol/usb_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t selector = data[0];
  const std::uint8_t argument = data[1];
  UsbFrame reply{};
  std::memcpy(reply.data(), data + 2, std::min<std::size_t>(size - 2, reply.size()));
  const bool exchange_ok = (selector & 0x80) == 0;

  USB_protocol protocol([&](const UsbFrame&, UsbFrame& response) {
    response = reply;
    return exchange_ok;
  });
  console_log().clear();
  std::uint8_t payload[64];
  for (int i = 0; i < 64; ++i) payload[i] = static_cast<std::uint8_t>(argument + i);
  std::uint8_t length = argument, dropped = 0;

  bool accepted = false;
  switch (selector % 10) {
    case 0: accepted = protocol.Incorrect_frame(); break;
    case 1: accepted = protocol.Hello_frame(); break;
    case 2: accepted = protocol.Ping_pong_frame(); break;
    case 3: accepted = protocol.Debug_frame(payload); break;
    case 4: accepted = protocol.RS485_gift_frame(payload, argument); break;
    case 5:
      accepted = protocol.RS485_please_frame(length, dropped);
      if (accepted && length > kRs485MaxLength) std::abort();
      break;
    case 6: accepted = protocol.Erase_flash_page(argument); break;
    case 7: accepted = protocol.Read_flash_block(argument, argument, argument & 1); break;
    case 8: accepted = protocol.Buffor_flash_block(payload, argument, argument); break;
    case 9: accepted = protocol.Write_flash_block(payload, argument, argument); break;
  }
  const std::size_t lines = console_log().size();
  if (!exchange_ok && (accepted || lines != 1)) std::abort();
  if (exchange_ok && lines != 2) std::abort();
  if (accepted && reply[0] != (selector % 10 == 0 ? 0xFF : protocol.last_request()[0])) std::abort();
  for (const std::string& line : console_log().lines())
    if (line.size() > 400) std::abort();  // longer than any frame can make
  return 0;
}
