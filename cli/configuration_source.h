#pragma once
// Every configuration file zel17-cli reads comes through here, so that a
// further file format is added in one place.

#include <filesystem>

#include "config/config_file.h"
#include "config/config_matrix.h"

FileResult load_configuration(const std::filesystem::path& path, ConfigMatrix& matrix);
