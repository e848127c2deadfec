// SPDX-License-Identifier: MIT
// Reading a project: any bytes either load a whole project whose table is a
// configuration, or leave it as it was; what loads writes back and reads
// again to the same project.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "config/configuration_check.h"
#include "config/project_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Project project;
  project.names.lamps[0] = "przed";
  const Project before = project;
  const FileResult result = parse_project(std::string_view(reinterpret_cast<const char*>(data), size), project);
  if (!result.ok) {
    if (!(project == before)) std::abort();  // a partial load
    return 0;
  }
  if (!configuration_fault(project.matrix).empty()) std::abort();
  Project again;
  if (!parse_project(project_text(project), again).ok || !(again == project)) std::abort();
  return 0;
}
