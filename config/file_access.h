// SPDX-License-Identifier: MIT
#pragma once
// Who may read and write a file, so that a replacement that could not take
// the old file's owner or rights is never open to more people than the old.

#include <cstdint>
#include <filesystem>

struct FileAccess {
  std::uint32_t owner = 0;  // the user and group ids; 0 where files have none (Windows)
  std::uint32_t group = 0;
  std::filesystem::perms rights = std::filesystem::perms::none;
};

// The read and write rights `after` grants to people `before` did not grant
// them to: the group's beyond the old group's (or, for another group, beyond
// what the old file gave everyone), everyone's beyond the old everyone's.
// The owner's rights are not counted: the owner is the old one or the user
// saving, who may write the file already and could change its rights.
std::filesystem::perms widened_rights(const FileAccess& before, const FileAccess& after);
