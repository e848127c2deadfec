// SPDX-License-Identifier: MIT
// The module's device path on Linux: a hidraw node, opened twice. hidraw
// takes an output report with its report number in front (0: the module has
// no numbered reports) and delivers an input report without it, so a read
// fills report bytes 1..64. The read is bounded by poll(); a node that hangs
// up or reports an error means the module is gone.
// A file handle carries the file descriptor in the pointer; -1, the failed
// open, is the invalid-handle value.

#include "transport/platform_file.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

namespace platform {

namespace {

int as_fd(setupapi::FileHandle handle) {
  return static_cast<int>(reinterpret_cast<std::intptr_t>(handle));
}

setupapi::FileHandle as_handle(int fd) {
  return reinterpret_cast<setupapi::FileHandle>(static_cast<std::intptr_t>(fd));
}

// Milliseconds left until `deadline`, for poll(); -1 waits for ever.
int remaining_ms(std::chrono::steady_clock::time_point deadline, bool forever) {
  if (forever) return -1;
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// The errors of a node whose device went away (pulled plug, closed pty).
bool means_gone(int error) { return error == EIO || error == ENODEV || error == EPIPE; }

}  // namespace

setupapi::FileHandle open_device(const char* path, Access access) {
  const int mode = access == Access::write ? O_WRONLY : O_RDONLY;
  return as_handle(open(path, mode | O_NOCTTY | O_CLOEXEC));
}

Transfer write_report(setupapi::FileHandle handle, const std::uint8_t* report, std::size_t size,
                      std::uint32_t* transferred) {
  *transferred = 0;
  if (handle == setupapi::invalid_handle()) return Transfer::failed;
  std::size_t done = 0;
  Transfer outcome = Transfer::done;
  while (done < size) {
    const ssize_t count = write(as_fd(handle), report + done, size - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      outcome = count < 0 && means_gone(errno) ? Transfer::disconnected : Transfer::failed;
      break;
    }
    done += static_cast<std::size_t>(count);
  }
  *transferred = static_cast<std::uint32_t>(done);
  return outcome;
}

Transfer read_report(setupapi::FileHandle handle, std::uint8_t* report, std::size_t size,
                     std::uint32_t* transferred, int timeout_ms) {
  *transferred = 0;
  if (handle == setupapi::invalid_handle() || size < 2) return Transfer::failed;
  const int fd = as_fd(handle);
  const std::size_t wanted = size - 1;  // the report without its number
  const bool forever = timeout_ms < 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);

  // hidraw hands over one whole report per read; other streams may need several.
  std::size_t got = 0;
  Transfer outcome = Transfer::done;
  while (got < wanted) {
    pollfd waiting{fd, POLLIN, 0};
    const int ready = poll(&waiting, 1, remaining_ms(deadline, forever));
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) {
      outcome = Transfer::timed_out;
      break;
    }
    if (ready < 0) {
      outcome = Transfer::failed;
      break;
    }
    if (waiting.revents & POLLIN) {
      const ssize_t count = read(fd, report + 1 + got, wanted - got);
      if (count > 0) {
        got += static_cast<std::size_t>(count);
        continue;
      }
      if (count < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      outcome = count == 0 || means_gone(errno) ? Transfer::disconnected : Transfer::failed;
      break;
    }
    if (waiting.revents & (POLLHUP | POLLERR | POLLNVAL)) {
      outcome = Transfer::disconnected;
      break;
    }
  }
  // The report number is implied, so a full report counts 65 bytes as on Windows.
  *transferred = got > 0 ? static_cast<std::uint32_t>(got + 1) : 0;
  return outcome;
}

void close_device(setupapi::FileHandle handle) {
  if (handle != setupapi::invalid_handle()) close(as_fd(handle));
}

// last_error() lives with the udev layer that sets it (dynamic_dll_load_linux.cpp).

}  // namespace platform
