// SPDX-License-Identifier: MIT
#pragma once
// Every configuration file the tools read or write comes through here: a
// name ending in .zelp (any case) is a project (config/project_file.h), in
// .csv the CSV table, any other the 7625-byte configuration file. Loads are
// all or nothing; saves replace the file whole.

#include <filesystem>
#include <string>
#include <vector>

#include "config/config_file.h"
#include "config/config_matrix.h"
#include "config/project_file.h"

// The table alone, from any of the three. Saved into an existing project,
// the table replaces that project's table and keeps the rest of it.
FileResult load_configuration(const std::filesystem::path& path, ConfigMatrix& matrix);
FileResult save_configuration(const std::filesystem::path& path, const ConfigMatrix& matrix);

// A project is read whole; from a .zel or .csv only `project.matrix` changes.
FileResult load_configuration(const std::filesystem::path& path, Project& project);
// A project is written whole; a .zel or .csv gets the table alone.
FileResult save_configuration(const std::filesystem::path& path, const Project& project);

// What a project holds beside its table, which only a project file keeps:
// its names, a label geometry other than the default, keys of a later
// version. UTF-8 phrases for the user ("nazwy obiektu, lamp i adresów"),
// none for a bare table.
std::vector<std::string> parts_beside_table(const Project& project);
