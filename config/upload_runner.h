// SPDX-License-Identifier: MIT
#pragma once
// The upload of a configuration into an open module: converts the matrix,
// erases pages 0-5 and writes the special and address blocks, with the
// console banners, status texts and progress of each step. It stops at the
// first command the module does not accept, so a failure is never reported
// as a written configuration.

#include <string>

#include "config/config_matrix.h"
#include "config/operation_view.h"
#include "protocol/usb_protocol.h"

// aborted: stopped before the module accepted an erase, so it still holds
// its old configuration; aborted_after_erase: stopped later, so it holds
// none until a whole upload succeeds; aborted_maybe_erased: stopped at the
// first erase, which reached the module but whose answer never came, so it
// may hold none.
enum class UploadOutcome { written, aborted, aborted_after_erase, aborted_maybe_erased };

inline constexpr const char* kUploadStatusFailed = "Błąd zapisu konfiguracji!";
inline constexpr const char* kUploadLeftNoConfiguration =
    "Moduł nie ma teraz poprawnej konfiguracji. Zapisz konfigurację ponownie.";
inline constexpr const char* kUploadMayHaveLeftNoConfiguration =
    "Moduł może nie mieć teraz poprawnej konfiguracji. Zapisz konfigurację ponownie.";

// What the user must be told about the module after a run that ended so,
// or nullptr when its old configuration is intact or the new one written.
const char* upload_outcome_warning(UploadOutcome outcome);

// Why the grid must not be uploaded, or empty when it may: only a
// configuration goes to the module (config/configuration_check.h).
std::string upload_refusal(const ConfigMatrix& matrix);

// Expects the progress bar shown at 0 with its maximum at kUploadProgressMax.
UploadOutcome run_flash_upload(USB_protocol& protocol, const ConfigMatrix& matrix,
                               const OperationView& view);
