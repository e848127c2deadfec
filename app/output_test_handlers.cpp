// SPDX-License-Identifier: MIT
// The output test: the module is handed the bus frame of one event row, as
// if a control unit had reported that event. "Test" then moves on to the
// next row, "Testuj" of the pop-up menu does not.

#include <QSpinBox>
#include <QTableWidget>
#include <algorithm>

#include "app/main.h"
#include "config/config_matrix.h"
#include "config/test_payload.h"
#include "protocol/device_session.h"
#include "protocol/failed_command.h"
#include "ui_main_window.h"

// "Testowanie..." while the module holds the connection; once it is closed,
// the status names the event handed over, or the cause stands beside "Błąd testowania!".
void TForm_main::TestEventRow(int row) {
  const TestPayload payload = build_test_payload(row, ui_->KVRnumberEdit->value());
  bool accepted = false;
  std::string cause;
  {
    const std::unique_ptr<Device_session> session = openDeviceSession();
    if (!session->connected()) return reportNotConnected(*session);
    accepted = session->protocol().RS485_gift_frame(payload.data(), kTestPayloadSize);
    setStatusText(QString::fromUtf8(accepted ? kTestStatusRunning : kTestStatusFailed));
    cause = last_failure_text(session->protocol());
  }
  if (accepted) setStatusText(QString::fromStdString(test_sent_text(row)));
  if (!cause.empty()) showFailureCause(cause);
}

void TForm_main::TestButtonClick() {
  const int row = selectedMatrixRow();
  if (row < 0) return;
  TestEventRow(row);
  constexpr int kLastRow = ConfigMatrix::kRows - 1;
  if (row >= kLastRow) return;
  selectMatrixRow(row + 1);
  selectLabelRow(std::min(selectedLabelRow() + 1, kLastRow));
  ui_->StringGrid2->viewport()->update();
}

void TForm_main::Testuj1Click() {
  const int row = selectedMatrixRow();
  if (row >= 0) TestEventRow(row);
}
