// SPDX-License-Identifier: MIT
#include "config/output_file.h"

#include <windows.h>

#include <cerrno>
#include <cstdlib>

namespace output_file {

namespace {

// The errors a save can meet, in the numbering the shared code compares with.
std::error_code to_error_code(DWORD code) {
  switch (code) {
    case ERROR_ACCESS_DENIED:
      return std::make_error_code(std::errc::permission_denied);
    case ERROR_WRITE_PROTECT:
      return std::make_error_code(std::errc::read_only_file_system);
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
      return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return std::make_error_code(std::errc::file_exists);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return std::make_error_code(std::errc::no_space_on_device);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return std::make_error_code(std::errc::device_or_resource_busy);
    case ERROR_FILENAME_EXCED_RANGE:
      return std::make_error_code(std::errc::filename_too_long);
    case ERROR_DIRECTORY:
      return std::make_error_code(std::errc::not_a_directory);
    default:
      return {static_cast<int>(code), std::system_category()};
  }
}

std::error_code last_error() { return to_error_code(GetLastError()); }

HANDLE as_handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

std::intptr_t open_for_writing(const std::filesystem::path& path, DWORD disposition,
                               std::error_code& error, DWORD access = GENERIC_WRITE) {
  const HANDLE handle = CreateFileW(path.c_str(), access,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  error = handle == INVALID_HANDLE_VALUE ? last_error() : std::error_code{};
  return reinterpret_cast<std::intptr_t>(handle);
}

}  // namespace

OutputFile OutputFile::create_new(const std::filesystem::path& path, std::error_code& error) {
  return OutputFile(open_for_writing(path, CREATE_NEW, error));
}

OutputFile OutputFile::open_existing(const std::filesystem::path& path, std::error_code& error) {
  return OutputFile(open_for_writing(path, OPEN_EXISTING, error));
}

OutputFile OutputFile::open_for_append(const std::filesystem::path& path, std::error_code& error) {
  // Append access alone: every write lands at the end, as O_APPEND does.
  return OutputFile(open_for_writing(path, OPEN_ALWAYS, error, FILE_APPEND_DATA | SYNCHRONIZE));
}

OutputFile::OutputFile(OutputFile&& other) noexcept : handle_(other.handle_) {
  other.handle_ = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
}

OutputFile::~OutputFile() { close(); }

bool OutputFile::is_open() const { return as_handle(handle_) != INVALID_HANDLE_VALUE; }

std::error_code OutputFile::write(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const DWORD piece = bytes.size() > 1u << 30 ? 1u << 30 : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(as_handle(handle_), bytes.data(), piece, &written, nullptr)) return last_error();
    if (written == 0) return std::make_error_code(std::errc::io_error);
    bytes = bytes.subspan(written);
  }
  return {};
}

// A new file takes its folder's inherited access list; there is no owner
// and group pair to carry over.
std::error_code OutputFile::take_owner_of(const std::filesystem::path&) { return {}; }

std::error_code OutputFile::reserve(std::uint64_t size) {
  // Only ever grown: an allocation below the end would cut the file.
  LARGE_INTEGER length;
  if (!GetFileSizeEx(as_handle(handle_), &length)) return last_error();
  if (static_cast<std::uint64_t>(length.QuadPart) >= size) return {};
  FILE_ALLOCATION_INFO allocation;
  allocation.AllocationSize.QuadPart = static_cast<LONGLONG>(size);
  return SetFileInformationByHandle(as_handle(handle_), FileAllocationInfo, &allocation, sizeof allocation)
             ? std::error_code{}
             : last_error();
}

std::error_code OutputFile::truncate(std::uint64_t size) {
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(size);
  if (!SetFilePointerEx(as_handle(handle_), position, nullptr, FILE_BEGIN)) return last_error();
  return SetEndOfFile(as_handle(handle_)) ? std::error_code{} : last_error();
}

std::error_code OutputFile::flush_to_disk() {
  return FlushFileBuffers(as_handle(handle_)) ? std::error_code{} : last_error();
}

std::error_code OutputFile::close() {
  if (!is_open()) return {};
  const HANDLE handle = as_handle(handle_);
  handle_ = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
  return CloseHandle(handle) ? std::error_code{} : last_error();
}

std::error_code check_writable(const std::filesystem::path& path) {
  // Opening for writing without truncating asks the access list and the
  // read-only attribute at once, and changes nothing.
  std::error_code error;
  OutputFile probe = OutputFile::open_existing(path, error);
  return error;
}

std::error_code access_of(const std::filesystem::path& path, FileAccess& access) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (!error) access = {0, 0, status.permissions()};
  return error;
}

std::filesystem::path user_cache_folder() {
  const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
  if (local == nullptr || local[0] == L'\0') return {};
  return std::filesystem::path(local);
}

std::error_code replace(const std::filesystem::path& from, const std::filesystem::path& to) {
  // Write-through: the call returns once the new name is on the disk.
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
             ? std::error_code{}
             : last_error();
}

std::error_code flush_folder(const std::filesystem::path&) { return {}; }

}  // namespace output_file
