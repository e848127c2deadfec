// SPDX-License-Identifier: MIT
// Reading a CSV table: any text either loads a complete, valid grid that
// writes back to a table reading the same, or leaves every cell as it was and
// names a line and a column.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "config/config_csv.h"
#include "config/configuration_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ConfigMatrix matrix;
  matrix.set(0, 0, 3);
  const ConfigMatrix before = matrix;
  const FileResult result = parse_config_csv({reinterpret_cast<const char*>(data), size}, matrix);
  if (!result.ok) {
    if (!(matrix == before)) std::abort();  // a partial load
    if (!result.reason.starts_with("Błąd w pliku CSV, wiersz ")) std::abort();
    return 0;
  }
  if (!configuration_fault(matrix).empty()) std::abort();
  ConfigMatrix again;
  if (!parse_config_csv(config_csv_text(matrix), again).ok || !(again == matrix)) std::abort();
  return 0;
}
