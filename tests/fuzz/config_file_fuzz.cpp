// SPDX-License-Identifier: MIT
// Loading a configuration file: any bytes either load a complete
// configuration or leave every cell as it was.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "config/config_file.h"
#include "config/configuration_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ConfigMatrix matrix;
  matrix.set(0, 0, 3);
  const ConfigMatrix before = matrix;
  const FileResult result = parse_config_bytes(std::span<const std::uint8_t>(data, size), matrix);
  if (!result.ok && !(matrix == before)) std::abort();  // a partial load
  if (result.ok && result.values_read != static_cast<std::size_t>(ConfigMatrix::kCells)) std::abort();
  if (result.ok && !configuration_fault(matrix).empty()) std::abort();
  return 0;
}
