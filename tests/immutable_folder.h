// SPDX-License-Identifier: MIT
#pragma once
// A folder made immutable (chattr +i) for as long as the object lives: it
// takes no new file and no rename, even from root, while its files may
// still be written. Only root may set the flag, on file systems that have it.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>

class ImmutableFolder {
 public:
  explicit ImmutableFolder(const std::filesystem::path& folder) : folder_(folder) { set_ = change(true); }
  ~ImmutableFolder() {
    if (set_) change(false);
  }
  ImmutableFolder(const ImmutableFolder&) = delete;
  ImmutableFolder& operator=(const ImmutableFolder&) = delete;

  // False where the flag could not be set (not root, or not supported).
  bool set() const { return set_; }

 private:
  bool change(bool on) {
    const int fd = open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    close(fd);
    return done;
  }

  std::filesystem::path folder_;
  bool set_ = false;
};
