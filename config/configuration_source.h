#pragma once
// Every configuration file the tools read or write comes through here: a
// name ending in .csv (any case) is the CSV table, any other the 7625-byte
// configuration file. Loads are all or nothing; saves replace the file whole.

#include <filesystem>

#include "config/config_file.h"
#include "config/config_matrix.h"

FileResult load_configuration(const std::filesystem::path& path, ConfigMatrix& matrix);
FileResult save_configuration(const std::filesystem::path& path, const ConfigMatrix& matrix);
