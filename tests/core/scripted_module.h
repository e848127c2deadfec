// SPDX-License-Identifier: MIT
#pragma once
// A module that answers each request with the next of the replies given,
// and then no more; it keeps every request it was sent.

#include <vector>

#include "protocol/usb_protocol.h"

struct ScriptedModule {
  std::vector<UsbFrame> replies;
  std::vector<UsbFrame> requests;

  USB_protocol::Exchange exchange() {
    return [this](const UsbFrame& request, UsbFrame& response) {
      requests.push_back(request);
      if (replies.size() < requests.size()) return false;
      response = replies[requests.size() - 1];
      return true;
    };
  }
};
