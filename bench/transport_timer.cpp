// SPDX-License-Identifier: MIT
#include "transport_timer.h"

#include <cstdint>

class HID_device;
class USB_protocol;

TransportTime& transport_time() {
  static TransportTime time;
  return time;
}

namespace {
using Clock = std::chrono::steady_clock;
}

// The linker sends the protocol's calls here (--wrap) and names the original
// __real_*. Member functions take the object as their first argument.
extern "C" {
bool __real__ZN10HID_device12send_receiveEPKhPhb(HID_device* device, const std::uint8_t* frame,
                                                 std::uint8_t* received, bool verbose);
bool __real__ZN12USB_protocol7ConnectEv(USB_protocol* protocol);

bool __wrap__ZN10HID_device12send_receiveEPKhPhb(HID_device* device, const std::uint8_t* frame,
                                                 std::uint8_t* received, bool verbose) {
  const auto start = Clock::now();
  const bool ok = __real__ZN10HID_device12send_receiveEPKhPhb(device, frame, received, verbose);
  transport_time().exchange += Clock::now() - start;
  ++transport_time().exchanges;
  return ok;
}

bool __wrap__ZN12USB_protocol7ConnectEv(USB_protocol* protocol) {
  const auto start = Clock::now();
  const bool ok = __real__ZN12USB_protocol7ConnectEv(protocol);
  transport_time().connect += Clock::now() - start;
  return ok;
}
}
