// SPDX-License-Identifier: MIT
#include "config/configuration_source.h"

#include "config/config_csv.h"
#include "config/name_text.h"

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
    // A table saved into an existing project (zel17-cli read) replaces its
    // table only: the names, the labels and a later version's keys stay. A
    // project that cannot be read (damaged, or of a newer version) is not
    // replaced by a bare one.
    Project project;
    std::error_code no_file;
    if (std::filesystem::exists(path, no_file)) {
      const FileResult existing = load_project(path, project);
      if (!existing.ok)
        return FileResult::failure("istniejący projekt nie został zastąpiony, bo nie można go odczytać: " +
                                   existing.reason);
    }
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

std::vector<std::string> parts_beside_table(const Project& project) {
  std::vector<std::string> parts;
  if (has_names(project.names)) parts.emplace_back("nazwy obiektu, lamp i adresów");
  if (project.labels != LabelGeometry{}) parts.emplace_back("wymiary wkładki z nazwami lamp");
  if (!project.unknown_keys.empty()) parts.emplace_back("dane zapisane przez nowszą wersję programu");
  return parts;
}
