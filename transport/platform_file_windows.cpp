// The module's device path on Windows: two shared handles, one 65-byte
// WriteFile, and one 65-byte ReadFile bounded in time. The read handle is
// overlapped only so that a module that never answers cannot hold the
// window: the read is waited for, and cancelled when the limit passes.

#include "transport/platform_file.h"

#include <windows.h>

namespace platform {

namespace {

HANDLE as_handle(setupapi::FileHandle handle) { return static_cast<HANDLE>(handle); }

bool is_open(setupapi::FileHandle handle) {
  return handle != nullptr && handle != setupapi::invalid_handle();
}

// Completes a pending read: waits up to the limit, and otherwise cancels it
// and waits for the cancellation, since the platform may write into the
// caller's buffer until then.
bool finish_read(HANDLE handle, OVERLAPPED* overlapped, int timeout_ms, DWORD* count) {
  const DWORD wait_ms = timeout_ms < 0 ? INFINITE : static_cast<DWORD>(timeout_ms);
  const DWORD waited = WaitForSingleObject(overlapped->hEvent, wait_ms);
  if (waited == WAIT_OBJECT_0) return GetOverlappedResult(handle, overlapped, count, FALSE) != 0;

  CancelIo(handle);
  // A read that completed while being cancelled did deliver its report.
  if (GetOverlappedResult(handle, overlapped, count, TRUE) != 0) return true;
  if (waited == WAIT_TIMEOUT) SetLastError(ERROR_TIMEOUT);
  return false;
}

}  // namespace

setupapi::FileHandle open_device(const char* path, Access access) {
  const bool for_write = access == Access::write;
  HANDLE handle = CreateFileA(path, for_write ? GENERIC_WRITE : GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              for_write ? 0 : FILE_FLAG_OVERLAPPED, nullptr);
  return handle == INVALID_HANDLE_VALUE ? setupapi::invalid_handle() : handle;
}

bool write_report(setupapi::FileHandle handle, const std::uint8_t* report, std::size_t size,
                  std::uint32_t* transferred) {
  DWORD count = 0;
  const bool ok =
      WriteFile(as_handle(handle), report, static_cast<DWORD>(size), &count, nullptr) != 0;
  *transferred = count;
  return ok;
}

bool read_report(setupapi::FileHandle handle, std::uint8_t* report, std::size_t size,
                 std::uint32_t* transferred, int timeout_ms) {
  *transferred = 0;
  OVERLAPPED overlapped{};
  overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (overlapped.hEvent == nullptr) return false;

  DWORD count = 0;
  bool ok = ReadFile(as_handle(handle), report, static_cast<DWORD>(size), nullptr, &overlapped) != 0;
  if (ok) {
    ok = GetOverlappedResult(as_handle(handle), &overlapped, &count, FALSE) != 0;
  } else if (GetLastError() == ERROR_IO_PENDING) {
    ok = finish_read(as_handle(handle), &overlapped, timeout_ms, &count);
  }
  *transferred = count;

  const DWORD error = GetLastError();  // CloseHandle must not hide the read's error
  CloseHandle(overlapped.hEvent);
  SetLastError(error);
  return ok;
}

void close_device(setupapi::FileHandle handle) {
  if (is_open(handle)) CloseHandle(as_handle(handle));
}

std::uint32_t last_error() { return GetLastError(); }

}  // namespace platform
