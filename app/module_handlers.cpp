// SPDX-License-Identifier: MIT
// The device operations of the configuration page: "Konfiguruj!" writes the
// grid into the module, "Odczytaj" reads the module's configuration into the
// grid and "Weryfikuj" compares the two. Each connects anew, shows its
// progress and ends disconnected, also when it failed.

#include <QProgressBar>
#include <iostream>
#include <string_view>
#include <vector>

#include "app/main.h"
#include "app/user_prompts.h"
#include "config/config_matrix.h"
#include "config/flash_image.h"
#include "config/readback_runner.h"
#include "config/upload_runner.h"
#include "protocol/console_log.h"
#include "protocol/device_session.h"
#include "protocol/failed_command.h"
#include "ui_main_window.h"

void TForm_main::reportNotConnected(const Device_session& session) {
  console_log().append_not_connected_notice();
  setStatusText(QString::fromUtf8(kConnectStatusFailed));
  showFailureCause(connect_failure_text(session.module_found()));
}

std::unique_ptr<Device_session> TForm_main::openDeviceSession() {
  // Connected as "Połącz" does, so the lamp and the buttons follow.
  return std::make_unique<Device_session>(connection_state(), std::cout, [this] { showConnectionState(); });
}

LongOperationLink TForm_main::longOperationLink() {
  return [this] {
    std::unique_ptr<Device_session> session = openDeviceSession();
    if (!session->connected()) reportNotConnected(*session);
    return session;
  };
}

void TForm_main::runDeviceOperation(int progress_max, const DeviceOperation& operation) {
  const std::unique_ptr<Device_session> session = openDeviceSession();
  ui_->ProgressBar->setMaximum(progress_max);
  setProgress(0);
  setProgressVisible(true);

  std::string cause;
  if (session->connected()) {
    // The run blocks the event loop: both bars repaint at every step.
    const OperationView view{
        [this](std::string_view utf8) {
          setStatusText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
        },
        [this](int position) { setProgress(position); }};
    operation(session->protocol(), view);
    cause = last_failure_text(session->protocol());
  } else {
    reportNotConnected(*session);
  }

  setProgressVisible(false);
  setProgress(0);
  // Beside the status the operation ended with.
  if (!cause.empty()) showFailureCause(cause);
}

// A run that stopped after an erase left the module without a valid
// configuration: the status alone would not say so.
void TForm_main::WriteConfigButtonClick() {
  // No file or edit brings such a grid in; should one get there, the module never sees it.
  if (const std::string refusal = upload_refusal(config_matrix()); !refusal.empty()) {
    setStatusText(QString::fromUtf8(kUploadStatusFailed));
    showWarning(sentence_text(refusal));
    return;
  }
  UploadOutcome outcome = UploadOutcome::aborted;
  runDeviceOperation(kUploadProgressMax, [&outcome](USB_protocol& protocol, const OperationView& view) {
    outcome = run_flash_upload(protocol, config_matrix(), view);
  });
  if (const char* warning = upload_outcome_warning(outcome)) showWarning(QString::fromUtf8(warning));
}

// The grid changes only when the whole configuration was read and is valid.
void TForm_main::ReadConfigButtonClick() {
  if (refuseEditWhileWalking()) return;
  runDeviceOperation(kReadbackCount, [this](USB_protocol& protocol, const OperationView& view) {
    if (read_configuration(protocol, config_matrix(), view) == ReadbackOutcome::read) repaintMatrix();
  });
}

// Every differing cell is listed in the console, which sits on the hidden
// page, and marked on the grid, which is brought to the first one.
void TForm_main::VerifyConfigButtonClick() {
  clearDifferences();
  runDeviceOperation(kReadbackCount, [this](USB_protocol& protocol, const OperationView& view) {
    std::vector<CellDifference> differences;
    verify_configuration(protocol, config_matrix(), view, differences);
    showDifferences(differences);
  });
}
