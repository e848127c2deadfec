// SPDX-License-Identifier: MIT
#include "config/output_file.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <vector>

namespace output_file {

namespace {

std::error_code last_error() { return {errno, std::generic_category()}; }

int as_fd(std::intptr_t handle) { return static_cast<int>(handle); }

bool member_of_group(gid_t group) {
  if (getegid() == group) return true;
  const int count = getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  const int listed = getgroups(count, groups.data());
  return listed > 0 && std::find(groups.begin(), groups.begin() + listed, group) != groups.begin() + listed;
}

}  // namespace

OutputFile OutputFile::create_new(const std::filesystem::path& path, std::error_code& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
  error = fd < 0 ? last_error() : std::error_code{};
  return OutputFile(fd);
}

OutputFile OutputFile::open_existing(const std::filesystem::path& path, std::error_code& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  error = fd < 0 ? last_error() : std::error_code{};
  return OutputFile(fd);
}

OutputFile OutputFile::open_for_append(const std::filesystem::path& path, std::error_code& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY, 0666);
  error = fd < 0 ? last_error() : std::error_code{};
  return OutputFile(fd);
}

OutputFile::OutputFile(OutputFile&& other) noexcept : handle_(other.handle_) { other.handle_ = -1; }

OutputFile::~OutputFile() { close(); }

bool OutputFile::is_open() const { return handle_ >= 0; }

std::error_code OutputFile::write(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(as_fd(handle_), bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return last_error();
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return {};
}

std::error_code OutputFile::take_owner_of(const std::filesystem::path& original) {
  struct stat old {};
  if (::stat(original.c_str(), &old) != 0) return last_error();
  const int fd = as_fd(handle_);
  if (::fchown(fd, old.st_uid, old.st_gid) == 0) return {};
  // Root may set both: a refusal is the file system's (some network mounts).
  if (errno != EPERM || geteuid() == 0) return last_error();
  // Not root: the group alone, where the user belongs to it; otherwise the
  // file stays the user's, as any file the user makes.
  if (::fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0) return {};
  if (errno == EPERM && !member_of_group(old.st_gid)) return {};
  return last_error();
}

std::error_code OutputFile::reserve(std::uint64_t size) {
  if (size == 0) return {};
  const int fd = as_fd(handle_);
  // Beyond the end the blocks are reserved, the length stays: a failure
  // leaves the file exactly as it was.
  if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) == 0) return {};
  if (errno != EOPNOTSUPP && errno != ENOSYS) return last_error();
  // A file system that reserves nothing ahead: posix_fallocate writes zeros
  // only where the file has no data yet.
  const int error = ::posix_fallocate(fd, 0, static_cast<off_t>(size));
  return error == 0 ? std::error_code{} : std::error_code{error, std::generic_category()};
}

std::error_code OutputFile::truncate(std::uint64_t size) {
  return ::ftruncate(as_fd(handle_), static_cast<off_t>(size)) == 0 ? std::error_code{} : last_error();
}

std::error_code OutputFile::flush_to_disk() {
  return ::fsync(as_fd(handle_)) == 0 ? std::error_code{} : last_error();
}

std::error_code OutputFile::close() {
  if (!is_open()) return {};
  const int fd = as_fd(handle_);
  handle_ = -1;
  // The descriptor is gone even when close reports an error; never retry.
  return ::close(fd) == 0 ? std::error_code{} : last_error();
}

std::error_code check_writable(const std::filesystem::path& path) {
  // The effective ids decide, as they do for the open that follows.
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 ? std::error_code{} : last_error();
}

std::error_code access_of(const std::filesystem::path& path, FileAccess& access) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return last_error();
  access = {status.st_uid, status.st_gid, static_cast<std::filesystem::perms>(status.st_mode & 07777)};
  return {};
}

std::filesystem::path user_cache_folder() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache != nullptr && cache[0] == '/') return cache;
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') {
    const passwd* user = getpwuid(geteuid());
    home = user != nullptr ? user->pw_dir : nullptr;
  }
  if (home == nullptr || home[0] != '/') return {};
  return std::filesystem::path(home) / ".cache";
}

std::error_code replace(const std::filesystem::path& from, const std::filesystem::path& to) {
  return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code{} : last_error();
}

std::error_code flush_folder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return last_error();
  std::error_code error;
  // Some file systems cannot flush a folder (EINVAL); their renames need none.
  if (::fsync(fd) != 0 && errno != EINVAL) error = last_error();
  ::close(fd);
  return error;
}

}  // namespace output_file
