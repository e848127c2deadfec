// SPDX-License-Identifier: MIT
#include "protocol/connection_state.h"

#include "protocol/console_log.h"

ConnectionState& connection_state() {
  static ConnectionState state;
  return state;
}

USB_protocol* connected_protocol(const ConnectionState& state) {
  return state.Connected ? state.Protocol.get() : nullptr;
}

bool connect_module(ConnectionState& state, std::ostream& transport_trace) {
  // The old object goes first, so its handles are closed before the module
  // is opened again and a failed connect never leaves a stale "connected".
  state.Protocol.reset();
  state.Connected = false;
  state.Protocol = std::make_unique<USB_protocol>(transport_trace);
  if (!state.Protocol->Connect()) return false;
  state.Connected = true;
  console_log().append_banner("Połączono z urządzeniem interfejsu HID!");
  state.Protocol->Hello_frame();
  return true;
}

void disconnect_module(ConnectionState& state) {
  state.Protocol.reset();
  state.Connected = false;
  console_log().append_banner("Połączenie z urządzeniem interfejsu HID zostało zerwane!");
}
