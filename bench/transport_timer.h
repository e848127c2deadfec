// SPDX-License-Identifier: MIT
#pragma once
// Time spent inside the transport during a run, summed by wrappers around
// HID_device::send_receive (one report out, one in) and USB_protocol::Connect
// (the device search and opening). See bench/CMakeLists.txt.

#include <chrono>

struct TransportTime {
  std::chrono::nanoseconds exchange{0};
  int exchanges = 0;
  std::chrono::nanoseconds connect{0};
};

TransportTime& transport_time();
