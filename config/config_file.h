#pragma once
// The configuration file: nothing but the 7625 bytes of ConfigMatrix in index
// order (offset k is the cell of row k % 305, column k / 305).
//
// Saving replaces the file whole: the bytes go to a temporary file in the same
// folder, which is renamed over the target only once it is completely written,
// so a failure leaves the old file exactly as it was.
//
// Loading never touches the disk and is all or nothing. The byte rules match
// the files the earlier tool read in text mode: white space (bytes 9 to 13
// and 32) is skipped wherever it stands, a byte 26 ends the data, every other
// byte is a cell value taken unchanged, and bytes after the 7625th value are
// ignored. A file that ends before 7625 values changes no cell.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "config/config_matrix.h"
#include "text/utf8_path.h"

inline constexpr std::string_view kConfigFileDefaultName = "konfiguracja.zel";

struct FileResult {
  bool ok = false;
  std::string reason;           // why it failed, UTF-8, for the user; empty on success
  std::size_t values_read = 0;  // loading: the values the file held, at most 7625
};


// The loader's rules over bytes already in memory. On success the matrix
// holds all 7625 values; otherwise it is untouched.
FileResult parse_config_bytes(std::span<const std::uint8_t> bytes, ConfigMatrix& matrix);

// Opens read-only; a missing file is an error and is never created.
FileResult load_config_file(const std::filesystem::path& path, ConfigMatrix& matrix);

// Opens an existing regular file for reading; a missing file is an error
// and is never created. The reason names what is wrong with the path.
FileResult open_for_reading(const std::filesystem::path& path, std::ifstream& in);
// The failure of a read that went wrong just now, with the system's reason.
FileResult read_failure();

// Writes the file's bytes into the open temporary file; false when it failed.
// Tests substitute one that fails part way.
using ConfigWriter = std::function<bool(std::ostream& out, std::span<const std::uint8_t> bytes)>;

FileResult save_config_file(const std::filesystem::path& path, const ConfigMatrix& matrix);
FileResult save_config_file(const std::filesystem::path& path, const ConfigMatrix& matrix,
                            const ConfigWriter& writer);

// The safe replacement above for any contents (the configuration file, the
// CSV table): the whole file or, on failure, the old one untouched.
FileResult replace_file_contents(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
FileResult replace_file_contents(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                                 const ConfigWriter& writer);
