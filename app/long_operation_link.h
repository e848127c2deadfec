#pragma once
// How a long device operation (the walk, the bus monitor) gets the one
// connection it holds for its whole run, and gives it back.

#include <functional>

class USB_protocol;

struct LongOperationLink {
  // The connected protocol, or null after the failure was reported.
  std::function<USB_protocol*()> connect;
  std::function<void()> disconnect;
};
