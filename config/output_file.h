// SPDX-License-Identifier: MIT
#pragma once
// The file calls a durable save needs, one implementation file per OS.
// Errors come back as std::error_code in the generic (errno) category on
// every OS, so callers can compare them with std::errc.

#include <cstdint>
#include <filesystem>
#include <span>
#include <system_error>

#include "config/file_access.h"

namespace output_file {

// One open file, written from its start and closed by its destructor.
class OutputFile {
 public:
  // A file that must not exist yet (so a name can't be taken twice).
  static OutputFile create_new(const std::filesystem::path& path, std::error_code& error);
  // An existing file, opened for writing without truncating it.
  static OutputFile open_existing(const std::filesystem::path& path, std::error_code& error);
  // A file every write goes to the end of, made when missing.
  static OutputFile open_for_append(const std::filesystem::path& path, std::error_code& error);

  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&&) = delete;
  OutputFile(const OutputFile&) = delete;
  ~OutputFile();

  bool is_open() const;
  // Writes all the bytes, or fails.
  std::error_code write(std::span<const std::uint8_t> bytes);
  // Gives the file the owner and group of `original`, as far as the process
  // may set them (root: both; a member of the group: the group); nothing
  // where files have no such owner. An error only for another failure.
  std::error_code take_owner_of(const std::filesystem::path& original);
  // Makes sure the file system holds room for `size` bytes of the file
  // (posix_fallocate, or the allocation size on Windows) without changing
  // its contents or length, so that a write that follows cannot run out
  // of space part way.
  std::error_code reserve(std::uint64_t size);
  // Cuts the file to `size` bytes.
  std::error_code truncate(std::uint64_t size);
  // Returns only once the data is on the disk (fsync, FlushFileBuffers).
  std::error_code flush_to_disk();
  std::error_code close();

 private:
  explicit OutputFile(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_;  // a descriptor on Linux, a HANDLE on Windows
};

// Whether the current user may write the existing file, asked of the system
// (which knows about owners, groups, access lists and read-only media).
std::error_code check_writable(const std::filesystem::path& path);

// The file's owner, group and rights (on Windows: its rights alone).
std::error_code access_of(const std::filesystem::path& path, FileAccess& access);

// The user's own folder for files the program may lose (XDG_CACHE_HOME or
// ~/.cache; LOCALAPPDATA on Windows); empty when there is none.
std::filesystem::path user_cache_folder();

// Puts `from` in the place of `to` in one step.
std::error_code replace(const std::filesystem::path& from, const std::filesystem::path& to);

// Makes the folder's list of names durable, so a completed rename survives a
// power cut. Nothing to do where the rename itself writes through.
std::error_code flush_folder(const std::filesystem::path& folder);

}  // namespace output_file
