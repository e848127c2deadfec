#pragma once
// Every configuration file the tools read comes through here: a table
// named *.csv (any case) is read as CSV, anything else as the 7625-byte
// configuration file. Both loads are all or nothing.

#include <filesystem>

#include "config/config_file.h"
#include "config/config_matrix.h"

FileResult load_configuration(const std::filesystem::path& path, ConfigMatrix& matrix);
