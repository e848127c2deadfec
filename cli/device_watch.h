// SPDX-License-Identifier: MIT
#pragma once
// Waits for the present HID devices to change, for --repeat. On Linux it
// listens to udev's monitor (libudev loaded at run time, as the transport
// loads it); where that is not to be had, and on Windows, a change is
// assumed every kResearchInterval, so the caller searches again.

#include <chrono>
#include <memory>

class DeviceWatch {
 public:
  static constexpr std::chrono::milliseconds kResearchInterval{500};

  // Starts listening at once: a device that comes after this is not missed.
  DeviceWatch();
  ~DeviceWatch();
  DeviceWatch(const DeviceWatch&) = delete;
  DeviceWatch& operator=(const DeviceWatch&) = delete;

  // Returns after a hidraw device came or went (or the interval passed);
  // false when a stop was requested meanwhile.
  bool wait();
  // True when udev's monitor is heard; false on the bounded re-search.
  bool listening() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
