// SPDX-License-Identifier: MIT
#pragma once
// A small tmpfs mounted on a folder for as long as the object lives, then
// filled to the last byte, so that a test can show what a full disk does.
// Only root may mount it.

#include <sys/mount.h>

#include <filesystem>
#include <fstream>
#include <string>

class SmallTmpfs {
 public:
  explicit SmallTmpfs(const std::filesystem::path& folder) : folder_(folder) {
    std::filesystem::create_directories(folder);
    mounted_ = mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k,mode=0755") == 0;
  }
  ~SmallTmpfs() {
    if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
  }
  SmallTmpfs(const SmallTmpfs&) = delete;
  SmallTmpfs& operator=(const SmallTmpfs&) = delete;

  bool mounted() const { return mounted_; }
  // Takes every block that is left; the files already there keep theirs.
  void fill() const {
    std::ofstream filler(folder_ / "wypelnienie", std::ios::binary);
    const std::string block(4096, 'x');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {}
  }

 private:
  std::filesystem::path folder_;
  bool mounted_ = false;
};
