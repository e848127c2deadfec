// SPDX-License-Identifier: MIT
#pragma once
// The platform's file interface on the module's device path, as HID_device
// uses it. One implementation file per OS.

#include <cstddef>
#include <cstdint>

#include "transport/setupapi_types.h"

namespace platform {

// A transfer waits at most this long: a read for the module's report (on
// Windows a write too, which the kernel does not bound there). A timed-out
// transfer is a failed one.
inline constexpr int kReadTimeoutMs = 1000;

enum class Access { write, read };

// How a transfer ended. As with a timed HID read elsewhere, a module that is
// slow (timed_out) is told apart from one that is gone (disconnected) and
// from any other refusal of the system (failed).
enum class Transfer { done, timed_out, disconnected, failed };

// Opens an existing device path for writing or for reading only, shared.
// Returns setupapi::invalid_handle() on failure.
setupapi::FileHandle open_device(const char* path, Access access);

// One report each way. Both tell how the transfer ended and fill
// `transferred` also on failure.
Transfer write_report(setupapi::FileHandle handle, const std::uint8_t* report, std::size_t size,
                      std::uint32_t* transferred);
Transfer read_report(setupapi::FileHandle handle, std::uint8_t* report, std::size_t size,
                     std::uint32_t* transferred, int timeout_ms = kReadTimeoutMs);

void close_device(setupapi::FileHandle handle);

// The calling thread's last error code (GetLastError; on Linux the code the
// udev layer set, in the platform's numbering where it has one).
std::uint32_t last_error();

}  // namespace platform
