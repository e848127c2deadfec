// SPDX-License-Identifier: MIT
#pragma once
// zel17-cli's exit statuses, in the sysexits convention (<sysexits.h> is not
// there on Windows, so the values are spelled out).

namespace exit_code {

inline constexpr int kDone = 0;           // done; for verify: equal
inline constexpr int kDiffers = 1;        // verify found differing cells
inline constexpr int kUsage = 64;         // EX_USAGE: bad arguments
inline constexpr int kDataError = 65;     // EX_DATAERR: the module holds no valid configuration
inline constexpr int kNoInput = 66;       // EX_NOINPUT: FILE unreadable or not a configuration
inline constexpr int kUnavailable = 69;   // EX_UNAVAILABLE: the module was not found
inline constexpr int kCantCreate = 73;    // EX_CANTCREAT: FILE cannot be written
inline constexpr int kIoError = 74;       // EX_IOERR: the module refused or did not answer
inline constexpr int kInterrupted = 130;  // Ctrl+C (128 + SIGINT)

}  // namespace exit_code
