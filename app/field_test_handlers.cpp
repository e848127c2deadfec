// SPDX-License-Identifier: MIT
// "Próba z obiektu" in the board window: the field test's tab and its
// controller wired to the window. While it listens it holds the connection
// and locks the table and the names, as a walk does; each event the bus
// reports is selected in the grids and lit on the board's picture.

#include "app/board_window.h"
#include "app/bus_monitor_tab.h"
#include "app/field_test_controller.h"
#include "app/main.h"
#include "app/walk_controller.h"
#include "gui/bus_monitor_view.h"
#include "gui/field_test_tab.h"
#include "gui/user_settings.h"
#include "gui/walk_tab.h"

void TForm_main::createFieldTest() {
  fieldTab_ = new FieldTestTab;
  board_->addTab(fieldTab_, QString::fromUtf8("Próba z obiektu"));
  RecordKeeper::Sources sources{
      []() -> const ConfigMatrix& { return config_matrix(); },
      [this] { return projectNames(); },
      [this] { return configFileName_; },
      [this] { return walkTab_->engineer(); },  // the walk tab's "Sprawdzający"
      [this](const QString& question) { return askYesNo(question); },
      [this](const QString& text) { showWarning(text); },
      [this](const QString& status) { setStatusText(status); }};
  fieldTest_ = new FieldTestController(longOperationLink(), std::move(sources), this);

  connect(fieldTab_, &FieldTestTab::startRequested, this, &TForm_main::startFieldTest);
  connect(fieldTab_, &FieldTestTab::stopRequested, fieldTest_, &FieldTestController::stop);
  connect(board_, &BoardWindow::closed, fieldTest_, &FieldTestController::stop);
  connect(fieldTab_, &FieldTestTab::verdictGiven, this, [this](int row, bool ok, const QString& comment) {
    fieldTest_->rate(row, ok ? Verdict::ok : Verdict::fault, comment);
  });
  // The board's picture follows the grid's row.
  connect(fieldTab_, &FieldTestTab::eventChosen, this, &TForm_main::showWalkedRow);

  connect(fieldTest_, &FieldTestController::runningChanged, this, [this](bool running) {
    setDeviceOperationsEnabled(!running);
    setEditingEnabled(!running);
    fieldTab_->setRunning(running);
    walkTab_->setEnabled(!running);
    monitorTab_->view()->setStartAllowed(!running);
  });
  connect(fieldTest_, &FieldTestController::statusChanged, this, [this](const QString& text) {
    setStatusText(text);
    fieldTab_->setStatus(text);
  });
  connect(fieldTest_, &FieldTestController::eventSeen, this, [this](int row, const QString& text) {
    showWalkedRow(row);
    fieldTab_->showSeenEvent(row, text);
  });
  connect(fieldTest_, &FieldTestController::recordChanged, this, &TForm_main::showFieldRecord);
  showFieldRecord();
}

void TForm_main::showFieldRecord() { fieldTab_->showRecord(fieldTest_->record()); }

void TForm_main::startFieldTest() {
  if (longOperationRunning() || !saveBeforeWalk()) return;
  UserSettings::instance().setEngineerName(walkTab_->engineer());
  fieldTest_->start(fieldTab_->firstRow(), fieldTab_->lastRow(), fieldTab_->unit());
}
