// SPDX-License-Identifier: MIT
#pragma once
// Reading the configuration back from an open module, and comparing it with
// the edited grid. Both read the same 158 halves; the grid changes only when
// every read was accepted and the image is a valid configuration.

#include <string>
#include <vector>

#include "config/config_matrix.h"
#include "config/config_readback.h"
#include "config/operation_view.h"
#include "protocol/usb_protocol.h"

inline constexpr const char* kReadbackStatusReading = "Odczytywanie konfiguracji...";
inline constexpr const char* kReadbackStatusRead = "Konfiguracja odczytana!";
inline constexpr const char* kReadbackStatusFailed = "Błąd odczytu konfiguracji!";
inline constexpr const char* kReadbackStatusInvalid = "Moduł nie zawiera poprawnej konfiguracji!";
inline constexpr const char* kVerifyStatusSame = "Konfiguracja w module zgodna z edytowaną.";

enum class ReadbackOutcome { read, failed, invalid };

// Reads every half with the console banners and the progress bar (its
// maximum is kReadbackCount), and decodes the image. The status is left at
// kReadbackStatusReading; the caller sets the final one.
ReadbackOutcome run_flash_readback(USB_protocol& protocol, const OperationView& view,
                                   ReadbackResult& result);

// "Odczytaj": on success replaces `grid` with the module's cells. Sets the
// final status text.
ReadbackOutcome read_configuration(USB_protocol& protocol, ConfigMatrix& grid,
                                   const OperationView& view);

// "Weryfikuj": compares the module's cells with `grid`, logs one console
// line per differing cell and sets the final status text, `same_status`
// when no cell differs. `differences` receives the differing cells.
ReadbackOutcome verify_configuration(USB_protocol& protocol, const ConfigMatrix& grid,
                                     const OperationView& view,
                                     std::vector<CellDifference>& differences,
                                     const std::string& same_status = kVerifyStatusSame);

// "Konfiguracja w module różni się w 1 komórce!", "... w 7 komórkach!"
std::string verify_status_text(std::size_t differing_cells);
// The console line of one differing cell, UTF-8.
std::string difference_line(const CellDifference& difference);
