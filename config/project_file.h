// SPDX-License-Identifier: MIT
#pragma once
// The project file (*.zelp): the table and the names together, as JSON in
// UTF-8 without a byte order mark. Its keys, in this order, are the contract
// with other programs: "format" ("zel17-projekt"), "wersja", "obiekt",
// "lampy" (25 names), "adresy" (100 names), "etykiety" (the label insert's
// geometry), "konfiguracja" (305 strings of 25 digits 0-3, output 1 first;
// 25 dashes on row 4) and "sha256" (of the table's 7625 bytes as the
// configuration file holds them).
//
// Writing is deterministic, one table row per line, so a project written,
// read and written again is the same bytes. Keys the reader does not know,
// at the top and in "obiekt" and "etykiety", are kept and written after the
// known ones.
//
// Reading is all or nothing: a table that does not match its sha256 is
// damaged, a newer "wersja" is refused, a missing or other "format" is not a
// project, and the table must be a configuration (config/configuration_check.h).
// "obiekt", "lampy", "adresy" and "etykiety" may be left out.

#include <filesystem>
#include <string>
#include <string_view>

#include "config/config_matrix.h"
#include "config/file_result.h"
#include "config/project_names.h"

inline constexpr int kProjectVersion = 1;
inline constexpr std::uintmax_t kMaxProjectBytes = 4 * 1024 * 1024;

// The label insert behind the board's front, in millimetres: the lamps'
// pitch across and down, and each field's size.
struct LabelGeometry {
  double pitch_across_mm = 25;
  double pitch_down_mm = 20;
  double width_mm = 22;
  double height_mm = 14;
  bool operator==(const LabelGeometry&) const = default;
};

// Empty when the geometry fits an A4 page with fields that do not overlap,
// otherwise what is wrong.
std::string label_geometry_fault(const LabelGeometry& geometry);

struct Project {
  ConfigMatrix matrix;
  ProjectNames names;
  LabelGeometry labels;
  std::string unknown_keys;  // what the reader did not know, as compact JSON; empty when nothing
  bool operator==(const Project&) const = default;
};

// The file's text.
std::string project_text(const Project& project);
// The reading rules over text in memory; on failure `project` is untouched.
FileResult parse_project(std::string_view text, Project& project);

FileResult save_project(const std::filesystem::path& path, const Project& project);
// Reads at most kMaxProjectBytes.
FileResult load_project(const std::filesystem::path& path, Project& project);

// Whether the file name ends in ".zelp", in any case.
bool has_project_extension(const std::filesystem::path& path);
