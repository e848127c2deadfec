// SPDX-License-Identifier: MIT
#include "protocol/device_session.h"

#include <utility>

Device_session::Device_session(ConnectionState& state, std::ostream& transport_trace, Changed changed)
    : state_(state), changed_(std::move(changed)) {
  connect_module(state_, transport_trace);
  module_found_ = state_.Protocol && state_.Protocol->module_found();
  if (changed_) changed_();
}

Device_session::~Device_session() { end(); }

bool Device_session::connected() const { return !ended_ && connected_protocol(state_) != nullptr; }

USB_protocol& Device_session::protocol() const { return *state_.Protocol; }

void Device_session::end() {
  if (ended_) return;
  ended_ = true;
  // A failed connect is followed by the disconnect banner too: every
  // operation ends the same way.
  disconnect_module(state_);
  if (changed_) changed_();
}
