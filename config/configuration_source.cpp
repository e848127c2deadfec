// SPDX-License-Identifier: MIT
#include "config/configuration_source.h"

#include "config/config_csv.h"

FileResult load_configuration(const std::filesystem::path& path, ConfigMatrix& matrix) {
  if (has_project_extension(path)) {
    Project project;
    FileResult result = load_project(path, project);
    if (result.ok) matrix = project.matrix;
    return result;
  }
  if (has_csv_extension(path)) return load_config_csv(path, matrix);
  return load_config_file(path, matrix);
}

FileResult save_configuration(const std::filesystem::path& path, const ConfigMatrix& matrix) {
  if (has_project_extension(path)) {
    Project project;
    project.matrix = matrix;
    return save_project(path, project);
  }
  if (has_csv_extension(path)) return save_config_csv(path, matrix);
  return save_config_file(path, matrix);
}

FileResult load_configuration(const std::filesystem::path& path, Project& project) {
  if (has_project_extension(path)) return load_project(path, project);
  return load_configuration(path, project.matrix);
}

FileResult save_configuration(const std::filesystem::path& path, const Project& project) {
  if (has_project_extension(path)) return save_project(path, project);
  return save_configuration(path, project.matrix);
}
