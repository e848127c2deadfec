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
