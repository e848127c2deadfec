// "Tablica...": the board window with the lamps of the selected row, and the
// walk test through the events. While a walk holds the connection, no other
// command may reach the module.

#include <QAction>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

#include "app/board_settings.h"
#include "app/board_window.h"
#include "app/bus_monitor_tab.h"
#include "app/bus_monitor_wiring.h"
#include "app/main.h"
#include "app/walk_controller.h"
#include "gui/bus_monitor_view.h"
#include "gui/matrix_model.h"
#include "gui/walk_tab.h"
#include "protocol/console_log.h"
#include "ui_main_window.h"

void TForm_main::BoardButtonClick() {
  if (!board_) createBoard();
  if (!walk_->running()) set_walk_range_on_opening(*walkTab_, selectedMatrixRow());
  board_->show();
  board_->raise();
  board_->activateWindow();
}

void TForm_main::createBoard() {
  board_ = new BoardWindow(matrixModel_, ConfigMatrixModel::kValueRole, ui_->DrawGrid1->selectionModel(), this);
  walkTab_ = new WalkTab;
  board_->addTab(walkTab_, QStringLiteral("Test po kolei"));

  walk_ = new WalkController(longOperationLink(), this);

  monitorTab_ = make_bus_monitor_tab(*this, [this](bool running) {
    setDeviceOperationsEnabled(!running);
    walkTab_->setEnabled(!running);
  });
  board_->addTab(monitorTab_, QStringLiteral("Monitor magistrali"));
  connect(board_, &BoardWindow::closed, monitorTab_->controller(), &BusMonitorController::stop);

  restore_board_settings(*board_, *walkTab_);
  connect(board_, &BoardWindow::closed, this, [this] { remember_board_place(*board_); });

  connect(walkTab_, &WalkTab::startRequested, this, [this] {
    remember_walk(*walkTab_);
    walk_->start(walkTab_->firstRow(), walkTab_->lastRow(), ui_->KVRnumberEdit->value(), walkTab_->dwell());
  });
  connect(walkTab_, &WalkTab::pauseToggled, walk_, &WalkController::togglePause);
  connect(walkTab_, &WalkTab::backRequested, walk_, &WalkController::back);
  connect(walkTab_, &WalkTab::nextRequested, walk_, &WalkController::next);
  connect(walkTab_, &WalkTab::stopRequested, walk_, &WalkController::stop);
  connect(board_, &BoardWindow::closed, walk_, &WalkController::stop);

  connect(walk_, &WalkController::runningChanged, this, [this](bool running) {
    setDeviceOperationsEnabled(!running);
    walkTab_->setRunning(running);
    monitorTab_->view()->setStartAllowed(!running);
  });
  connect(walk_, &WalkController::pausedChanged, walkTab_, &WalkTab::setPaused);
  connect(walk_, &WalkController::rowShown, this, &TForm_main::showWalkedRow);
  connect(walk_, &WalkController::statusChanged, this, [this](const QString& text) {
    setStatusText(text);
    walkTab_->setStatus(text);
  });
  connect(walk_, &WalkController::failed, this,
          [](const QString& cause) { console_log().append_text(cause.toStdString()); });
}

bool TForm_main::longOperationRunning() const {
  return (walk_ && walk_->running()) || (monitorTab_ && monitorTab_->controller()->running());
}

void TForm_main::showWalkedRow(int row) {
  selectMatrixRow(row);
  selectLabelRow(row);
}

void TForm_main::setDeviceOperationsEnabled(bool enabled) {
  for (QPushButton* button : {ui_->WriteConfigButton, ui_->ReadConfigButton, ui_->VerifyConfigButton,
                              ui_->HelloButton, ui_->PingPongButton, ui_->DebugButton, ui_->InorretButton,
                              ui_->RS485FramePleaseButton, ui_->Button5, ui_->Button2, ui_->Button1, ui_->Button3,
                              ui_->Button4}) {
    button->setEnabled(enabled);
  }
  ui_->Testuj1->setEnabled(enabled);
  if (enabled) {
    updateTestButton(selectedMatrixRow());
    showConnectionState();
  } else {
    ui_->TestButton->setEnabled(false);
    ui_->ConnectButton->setEnabled(false);
    ui_->DisconnectButton->setEnabled(false);
  }
}
