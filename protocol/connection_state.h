// SPDX-License-Identifier: MIT
#pragma once
// The connection the whole tool shares: at most one current USB_protocol
// (`Protocol`) and the flag `Connected`. The service panel's connect and
// disconnect handlers and every device session go through here.

#include <iostream>
#include <memory>

#include "protocol/usb_protocol.h"

struct ConnectionState {
  bool Connected = false;
  std::unique_ptr<USB_protocol> Protocol;
};

// The current protocol when connected, otherwise null.
USB_protocol* connected_protocol(const ConnectionState& state);

// The process's one connection state.
ConnectionState& connection_state();

// Destroys any current Protocol, makes a new one and opens the module. On
// success sets Connected, logs the connection banner and greets the module;
// on failure the state is "not connected" and nothing is logged. The
// transport's trace goes to `transport_trace`.
bool connect_module(ConnectionState& state, std::ostream& transport_trace = std::cout);

// Destroys the current Protocol, clears Connected and logs the banner,
// whatever the state was.
void disconnect_module(ConnectionState& state);
