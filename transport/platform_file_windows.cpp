// SPDX-License-Identifier: MIT
// The module's device path on Windows: two shared handles, one 65-byte
// WriteFile and one 65-byte ReadFile, each bounded in time. The handles are
// overlapped only so that a module that stops answering, or stops taking
// reports, cannot hold the window: the transfer is waited for, and cancelled
// when the limit passes.

#include "transport/platform_file.h"

#include <windows.h>

namespace platform {

namespace {

HANDLE as_handle(setupapi::FileHandle handle) { return static_cast<HANDLE>(handle); }

bool is_open(setupapi::FileHandle handle) {
  return handle != nullptr && handle != setupapi::invalid_handle();
}

// Completes a pending transfer: waits up to the limit, and otherwise cancels
// it and waits for the cancellation, since the platform may use the caller's
// buffer until then.
bool finish_transfer(HANDLE handle, OVERLAPPED* overlapped, int timeout_ms, DWORD* count) {
  const DWORD wait_ms = timeout_ms < 0 ? INFINITE : static_cast<DWORD>(timeout_ms);
  const DWORD waited = WaitForSingleObject(overlapped->hEvent, wait_ms);
  if (waited == WAIT_OBJECT_0) return GetOverlappedResult(handle, overlapped, count, FALSE) != 0;

  CancelIo(handle);
  // A transfer that completed while being cancelled did take place.
  if (GetOverlappedResult(handle, overlapped, count, TRUE) != 0) return true;
  if (waited == WAIT_TIMEOUT) SetLastError(ERROR_TIMEOUT);
  return false;
}

// A HID handle whose device was pulled out fails its transfers with one of
// the first three, a pipe whose other end went away with one of the last
// three; a transfer cancelled at the limit ends in ERROR_TIMEOUT.
Transfer classify(bool ok, DWORD error) {
  if (ok) return Transfer::done;
  if (error == ERROR_TIMEOUT) return Transfer::timed_out;
  switch (error) {
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_GEN_FAILURE:
    case ERROR_BAD_COMMAND:
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
    case ERROR_PIPE_NOT_CONNECTED: return Transfer::disconnected;
    default: return Transfer::failed;
  }
}

// One overlapped ReadFile or WriteFile, started by `start` and bounded by
// `timeout_ms`. Keeps the transfer's error code as the last error.
template <typename Start>
Transfer bounded_transfer(setupapi::FileHandle handle, int timeout_ms, std::uint32_t* transferred,
                      Start start) {
  *transferred = 0;
  OVERLAPPED overlapped{};
  overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (overlapped.hEvent == nullptr) return Transfer::failed;

  DWORD count = 0;
  bool ok = start(as_handle(handle), &overlapped);
  if (ok) {
    ok = GetOverlappedResult(as_handle(handle), &overlapped, &count, FALSE) != 0;
  } else if (GetLastError() == ERROR_IO_PENDING) {
    ok = finish_transfer(as_handle(handle), &overlapped, timeout_ms, &count);
  }
  *transferred = count;

  const DWORD error = GetLastError();
  CloseHandle(overlapped.hEvent);
  SetLastError(error);
  return classify(ok, error);
}

}  // namespace

setupapi::FileHandle open_device(const char* path, Access access) {
  HANDLE handle = CreateFileA(path, access == Access::write ? GENERIC_WRITE : GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
  return handle == INVALID_HANDLE_VALUE ? setupapi::invalid_handle() : handle;
}

Transfer write_report(setupapi::FileHandle handle, const std::uint8_t* report, std::size_t size,
                      std::uint32_t* transferred) {
  return bounded_transfer(handle, kReadTimeoutMs, transferred,
                          [&](HANDLE file, OVERLAPPED* overlapped) {
                            return WriteFile(file, report, static_cast<DWORD>(size), nullptr,
                                             overlapped) != 0;
                          });
}

Transfer read_report(setupapi::FileHandle handle, std::uint8_t* report, std::size_t size,
                     std::uint32_t* transferred, int timeout_ms) {
  return bounded_transfer(handle, timeout_ms, transferred,
                          [&](HANDLE file, OVERLAPPED* overlapped) {
                            return ReadFile(file, report, static_cast<DWORD>(size), nullptr,
                                            overlapped) != 0;
                          });
}

void close_device(setupapi::FileHandle handle) {
  if (is_open(handle)) CloseHandle(as_handle(handle));
}

std::uint32_t last_error() { return GetLastError(); }

}  // namespace platform
