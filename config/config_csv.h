// SPDX-License-Identifier: MIT
#pragma once
// The configuration as a table for spreadsheets: UTF-8 with a byte order mark
// (so spreadsheets in Polish locales read the labels right), ';' between
// fields, CR LF line ends. The first line is "Zdarzenie;1;2;...;25"; then one
// line per event row 0 to 304: the row's label and its 25 cell values in
// decimal, exactly as stored, so writing loses nothing.
//
// Reading takes what spreadsheets write back: UTF-8, or Windows-1250 when the
// text is not valid UTF-8; ';', ',' or a tab between fields (the header line
// decides), LF, CR LF or CR line ends, a byte order mark or none, fields in
// double quotes or not. A label in quotes may hold the separator, an unquoted
// one may not. Each row is placed by its label (compared without the spaces
// around it), so a sorted table reads right; every one of the 305 events
// must be there exactly once. A table whose labels are all empty is placed
// by position. Values are 0 to 3, and 255 on row 4, as for every
// configuration (config/configuration_check.h). Blank lines after the last
// row are allowed. It is all or nothing: on any fault no cell changes and the
// reason reads "Błąd w pliku CSV, wiersz N, kolumna M: ...", lines and
// columns counted from 1 as a spreadsheet shows them (the header is line 1).

#include <filesystem>
#include <string>
#include <string_view>

#include "config/config_file.h"
#include "config/config_matrix.h"

std::string config_csv_text(const ConfigMatrix& matrix);

// The reading rules over text already in memory.
FileResult parse_config_csv(std::string_view text, ConfigMatrix& matrix);

// Written as safely as the configuration file: the old file stays whole
// until the new one is complete.
FileResult save_config_csv(const std::filesystem::path& path, const ConfigMatrix& matrix);
// Reads at most kMaxConfigCsvBytes; a larger file is not a configuration table.
FileResult load_config_csv(const std::filesystem::path& path, ConfigMatrix& matrix);

inline constexpr std::uintmax_t kMaxConfigCsvBytes = 1024 * 1024;

// Starts every table the tool writes, so spreadsheets read it as UTF-8.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// A field of the tool's tables as spreadsheets read it: in double quotes,
// its quotes doubled, when it holds ';', a double quote or a line end.
std::string csv_field(std::string_view text);

// Whether the file name ends in ".csv", in any case.
bool has_csv_extension(const std::filesystem::path& path);
