// SPDX-License-Identifier: MIT
#pragma once
// The configuration file: nothing but the 7625 bytes of ConfigMatrix in index
// order (offset k is the cell of row k % 305, column k / 305).
//
// Saving replaces the file whole and durably (config/durable_save.h), so a
// failure leaves the old file exactly as it was.
//
// Loading never touches the disk and is all or nothing. The byte rules match
// the files the earlier tool read in text mode: white space (bytes 9 to 13
// and 32) is skipped wherever it stands, a byte 26 ends the data, every other
// byte is a cell value, and bytes after the 7625th value are ignored. A file
// that ends before 7625 values, or whose values are not a configuration
// (config/configuration_check.h), changes no cell.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "config/config_matrix.h"
#include "config/durable_save.h"
#include "text/utf8_path.h"

inline constexpr std::string_view kConfigFileDefaultName = "konfiguracja.zel";

// The status after a configuration could not be saved to its file, or read
// from one.
inline constexpr const char* kSaveStatusFailed = "Błąd zapisu pliku konfiguracji!";
inline constexpr const char* kLoadStatusFailed = "Błąd odczytu pliku konfiguracji!";


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
// Reads a whole file of at most `limit` bytes into `text`; a larger one is
// refused as not being `what` ("tabela konfiguracji").
FileResult read_small_file(const std::filesystem::path& path, std::uintmax_t limit, const char* what,
                           std::string& text);
// Whether the file name ends in `extension` (".csv", lower case), in any case.
bool has_file_extension(const std::filesystem::path& path, std::string_view extension);

FileResult save_config_file(const std::filesystem::path& path, const ConfigMatrix& matrix);
FileResult save_config_file(const std::filesystem::path& path, const ConfigMatrix& matrix,
                            const ContentWriter& writer);
