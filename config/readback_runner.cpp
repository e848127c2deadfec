// SPDX-License-Identifier: MIT
#include "config/readback_runner.h"

#include <span>

#include "config/cell_description.h"
#include "config/configuration_check.h"
#include "protocol/console_log.h"

ReadbackOutcome run_flash_readback(USB_protocol& protocol, const OperationView& view,
                                   ReadbackResult& result) {
  console_log().append_banner("Rozpoczęto proces odczytywania konfiguracji z FLASH!");
  view.set_status(kReadbackStatusReading);
  FlashReadback image;
  int position = 0;
  for (const FlashRead& read : build_readback_plan()) {
    if (stop_requested(view) || !protocol.Read_flash_block(read.page, read.block, read.half)) {
      console_log().append_banner("Przerwano proces odczytywania konfiguracji z FLASH!");
      return ReadbackOutcome::failed;
    }
    // An accepted read carries the half in response bytes 1 to 32.
    const UsbFrame& response = protocol.last_response();
    image.store(read, std::span<const std::uint8_t, flash::kHalfBytes>(response.data() + 1,
                                                                       flash::kHalfBytes));
    view.set_progress(++position);
  }
  console_log().append_banner("Zakończono proces odczytywania konfiguracji z FLASH!");
  result = decode_flash_readback(image);
  return result.valid ? ReadbackOutcome::read : ReadbackOutcome::invalid;
}

namespace {

void show_failure(ReadbackOutcome outcome, const ReadbackResult& result, const OperationView& view) {
  if (outcome == ReadbackOutcome::invalid) {
    console_log().append_text("BLAD:\t\t" + result.reason);
    view.set_status(kReadbackStatusInvalid);
  } else {
    view.set_status(kReadbackStatusFailed);
  }
}

}  // namespace

ReadbackOutcome read_configuration(USB_protocol& protocol, ConfigMatrix& grid,
                                   const OperationView& view) {
  ReadbackResult result;
  ReadbackOutcome outcome = run_flash_readback(protocol, view, result);
  // The decoding yields modes 0-3 and 255 on row 4 only; the grid takes
  // nothing else, whatever a later decoding might yield.
  if (const std::string fault = configuration_fault(result.matrix);
      outcome == ReadbackOutcome::read && !fault.empty()) {
    outcome = ReadbackOutcome::invalid;
    result.reason = "odczytane komórki nie są konfiguracją: " + fault;
  }
  if (outcome != ReadbackOutcome::read) {
    show_failure(outcome, result, view);
    return outcome;
  }
  grid = result.matrix;
  view.set_status(kReadbackStatusRead);
  return outcome;
}

ReadbackOutcome verify_configuration(USB_protocol& protocol, const ConfigMatrix& grid,
                                     const OperationView& view,
                                     std::vector<CellDifference>& differences,
                                     const std::string& same_status) {
  differences.clear();
  ReadbackResult result;
  const ReadbackOutcome outcome = run_flash_readback(protocol, view, result);
  if (outcome != ReadbackOutcome::read) {
    show_failure(outcome, result, view);
    return outcome;
  }
  differences = compare_with_matrix(grid, result.matrix);
  for (const CellDifference& d : differences) console_log().append_text(difference_line(d));
  view.set_status(differences.empty() ? same_status : verify_status_text(differences.size()));
  return outcome;
}

std::string verify_status_text(std::size_t differing_cells) {
  return "Konfiguracja w module różni się " + in_cells_text(differing_cells) + "!";
}

std::string difference_line(const CellDifference& d) {
  return "\t\t\t\t" + row_label(d.row) + ", wyjście " + std::to_string(d.column + 1) +
         ": w edytorze " + std::to_string(d.grid_mode) + ", w module " +
         std::to_string(d.other_mode);
}
