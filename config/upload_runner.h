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
// none until a whole upload succeeds.
enum class UploadOutcome { written, aborted, aborted_after_erase };

inline constexpr const char* kUploadStatusFailed = "Błąd zapisu konfiguracji!";
inline constexpr const char* kUploadLeftNoConfiguration =
    "Moduł nie ma teraz poprawnej konfiguracji. Zapisz konfigurację ponownie.";

// Why the grid must not be uploaded, or empty when it may: only a
// configuration goes to the module (config/configuration_check.h).
std::string upload_refusal(const ConfigMatrix& matrix);

// Expects the progress bar shown at 0 with its maximum at kUploadProgressMax.
UploadOutcome run_flash_upload(USB_protocol& protocol, const ConfigMatrix& matrix,
                               const OperationView& view);
