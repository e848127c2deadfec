// SPDX-License-Identifier: MIT
#pragma once
// One connection to the module for the length of an operation: made by
// connecting through a connection state, ended by disconnecting it, also
// when the operation fails, returns early or throws. A short operation keeps
// it on the stack; a long one, which waits on the event loop between its
// exchanges, holds it for the whole run and ends it when the run ends.

#include <functional>
#include <iostream>

#include "protocol/connection_state.h"

// The status text of an operation that found no module to talk to.
inline constexpr const char* kConnectStatusFailed = "Nie udalo sie polaczyc!";

class Device_session {
 public:
  // Called after connecting and after disconnecting: the window shows the
  // connection state with it.
  using Changed = std::function<void()>;

  // Connects at once; connected() tells whether it worked. The transport's
  // trace goes to `transport_trace`.
  explicit Device_session(ConnectionState& state, std::ostream& transport_trace = std::cout,
                          Changed changed = {});
  ~Device_session();
  Device_session(const Device_session&) = delete;
  Device_session& operator=(const Device_session&) = delete;

  // True from a successful connect until the session ends. A module pulled
  // out meanwhile still counts: its commands then fail.
  bool connected() const;
  // The connect came upon the module, also when it could not open it.
  bool module_found() const { return module_found_; }
  // The module's protocol; only while connected().
  USB_protocol& protocol() const;

  // Disconnects now rather than at destruction; a second call does nothing.
  void end();

 private:
  ConnectionState& state_;
  Changed changed_;
  bool ended_ = false;
  bool module_found_ = false;
};
