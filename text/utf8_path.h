// SPDX-License-Identifier: MIT
#pragma once
// A file system path from UTF-8 text (the window's file names). Going through
// char8_t makes it right on Windows too, where a narrow path would be read in
// the ANSI code page.

#include <filesystem>
#include <string>
#include <string_view>

inline std::filesystem::path utf8_path(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// A path as UTF-8 text, for a message (the inverse of utf8_path).
inline std::string path_utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}
