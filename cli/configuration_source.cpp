#include "cli/configuration_source.h"

FileResult load_configuration(const std::filesystem::path& path, ConfigMatrix& matrix) {
  return load_config_file(path, matrix);
}
