// SPDX-License-Identifier: MIT
#pragma once
// Saving a file whole, so that neither a failure nor a power cut right after
// the save leaves it half written.
//
// The bytes go to a new temporary file in the target's folder, which is
// flushed to the disk and then renamed over the target; the folder is
// flushed after the rename. Any failure before the rename leaves the old
// file exactly as it was. A symbolic link is followed: the file it points to
// is replaced, the link stays.
//
// The replacement keeps the old file's owner and group where the process
// may set them, and its access rights. Where the system refuses them (some
// network mounts), the save goes on and its note says what was not kept;
// it fails only where the new file would be open to more people than the
// old one. A symbolic link loop is refused.
//
// A file the current user may not write is refused, however its folder's
// rights stand. When the folder takes no new file, or refuses the rename
// (a sticky folder and another user's file), but the file itself may be
// written, the file is written in place instead, then cut to the new length,
// and the note says so. Room for the new length is reserved first, so a
// full disk leaves the old file as it was; meanwhile a complete copy of the
// new contents is kept (the temporary file, or one in the user's cache
// folder where the folder takes none), and a failure names it: only a
// failure part way through the write itself can leave the file changed.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

#include "config/file_result.h"

// Takes the next bytes into the open file; false once the system refused.
using ByteSink = std::function<bool(std::span<const std::uint8_t> bytes)>;
// Hands the contents to the sink; false when it failed. Tests substitute one
// that fails part way or drops bytes.
using ContentWriter = std::function<bool(const ByteSink& sink, std::span<const std::uint8_t> bytes)>;

FileResult save_file_durably(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
// A text file (a table, a project, a log) saved so, its bytes as they are.
FileResult save_text_durably(const std::filesystem::path& path, std::string_view text);
FileResult save_file_durably(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                             const ContentWriter& writer);

// A system error in words for the user, in Polish.
std::string describe_file_error(std::error_code error);
