// SPDX-License-Identifier: MIT
#include "config/file_access.h"

namespace fs = std::filesystem;

fs::perms widened_rights(const FileAccess& before, const FileAccess& after) {
  constexpr fs::perms kGroup = fs::perms::group_read | fs::perms::group_write;
  constexpr fs::perms kOthers = fs::perms::others_read | fs::perms::others_write;
  // The others' bits moved into the group's place, to compare them.
  const auto as_group = [](fs::perms others) {
    return ((others & fs::perms::others_read) != fs::perms::none ? fs::perms::group_read : fs::perms::none) |
           ((others & fs::perms::others_write) != fs::perms::none ? fs::perms::group_write : fs::perms::none);
  };
  const fs::perms group_before =
      after.group == before.group ? (before.rights & kGroup) : as_group(before.rights & kOthers);
  return (after.rights & kGroup & ~group_before) | (after.rights & kOthers & ~before.rights);
}
