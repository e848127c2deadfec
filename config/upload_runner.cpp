// SPDX-License-Identifier: MIT
#include "config/upload_runner.h"

#include "config/configuration_check.h"
#include "config/flash_image.h"
#include "protocol/console_log.h"

namespace {

bool send(USB_protocol& protocol, const FlashCommand& command) {
  switch (command.kind) {
    case FlashCommand::erase: return protocol.Erase_flash_page(command.page);
    case FlashCommand::buffer:
      return protocol.Buffor_flash_block(command.data.data(), command.page, command.block);
    case FlashCommand::write:
      return protocol.Write_flash_block(command.data.data(), command.page, command.block);
  }
  return false;
}

// An erase the module neither refused nor answered may have been carried
// out once its request was sent; a Ctrl+C stops the run before sending.
bool erase_may_have_run(const USB_protocol& protocol, const FlashCommand& command) {
  if (command.kind != FlashCommand::erase) return false;
  const CommandFailure failure = protocol.last_failure();
  return (failure == CommandFailure::no_answer || failure == CommandFailure::disconnected) &&
         protocol.last_request_sent();
}

}  // namespace

const char* upload_outcome_warning(UploadOutcome outcome) {
  switch (outcome) {
    case UploadOutcome::aborted_after_erase: return kUploadLeftNoConfiguration;
    case UploadOutcome::aborted_maybe_erased: return kUploadMayHaveLeftNoConfiguration;
    case UploadOutcome::written:
    case UploadOutcome::aborted: return nullptr;
  }
  return nullptr;
}

std::string upload_refusal(const ConfigMatrix& matrix) {
  const std::string fault = configuration_fault(matrix);
  if (fault.empty()) return {};
  return "konfiguracja nie jest poprawna: " + fault + "; do modułu nie wysłano nic";
}

UploadOutcome run_flash_upload(USB_protocol& protocol, const ConfigMatrix& matrix,
                               const OperationView& view) {
  console_log().append_banner("Rozpoczęto proces zapisywania konfiguracji do FLASH!");
  view.set_status(kUploadStatusConverting);
  const ModeMasks masks = convert_to_masks(matrix);
  view.set_progress(kUploadProgressAfterConversion);

  bool erased = false;
  for (const UploadStep& step : build_upload_plan(masks)) {
    if (step.status_before) view.set_status(step.status_before);
    if (stop_requested(view) || !send(protocol, step.command)) {
      console_log().append_banner("Przerwano proces zapisywania konfiguracji do FLASH!");
      view.set_status(kUploadStatusFailed);
      if (erased) return UploadOutcome::aborted_after_erase;
      return erase_may_have_run(protocol, step.command) ? UploadOutcome::aborted_maybe_erased
                                                        : UploadOutcome::aborted;
    }
    if (!erased && step.command.kind == FlashCommand::erase) {
      erased = true;
      if (view.module_erased) view.module_erased();
    }
    view.set_progress(step.progress_after);
  }

  console_log().append_banner("Zakończono proces zapisywania konfiguracji do FLASH!");
  view.set_status(kUploadStatusDone);
  return UploadOutcome::written;
}
