#include "config/configuration_source.h"

#include "config/config_csv.h"

FileResult load_configuration(const std::filesystem::path& path, ConfigMatrix& matrix) {
  if (has_csv_extension(path)) return load_config_csv(path, matrix);
  return load_config_file(path, matrix);
}

FileResult save_configuration(const std::filesystem::path& path, const ConfigMatrix& matrix) {
  if (has_csv_extension(path)) return save_config_csv(path, matrix);
  return save_config_file(path, matrix);
}
