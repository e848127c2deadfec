// SPDX-License-Identifier: MIT
// "Tablica...": the board window with the lamps of the selected row, and the
// walk test through the events. While a walk holds the connection, no other
// command may reach the module.

#include <QAction>
#include <QColor>
#include <QFont>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolButton>

#include "app/board_settings.h"
#include "app/board_window.h"
#include "app/bus_monitor_tab.h"
#include "app/bus_monitor_wiring.h"
#include "app/field_test_controller.h"
#include "app/file_dialogs.h"
#include "app/main.h"
#include "app/walk_controller.h"
#include "app/walk_record_keeper.h"
#include "commissioning/numbered_record.h"
#include "commissioning/walk_protocol_csv.h"
#include "config/config_csv.h"
#include "gui/bus_monitor_view.h"
#include "gui/field_test_tab.h"
#include "gui/matrix_model.h"
#include "gui/user_settings.h"
#include "gui/walk_protocol_pdf.h"
#include "gui/walk_record_chooser.h"
#include "gui/walk_tab.h"
#include "protocol/console_log.h"
#include "text/utf8_path.h"
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
  walk_->setNames([this] { return projectNames(); });

  monitorTab_ = make_bus_monitor_tab(*this, [this](bool running) {
    setDeviceOperationsEnabled(!running);
    walkTab_->setEnabled(!running);
    fieldTab_->setEnabled(!running);
  });
  board_->addTab(monitorTab_, QStringLiteral("Monitor magistrali"));
  connect(board_, &BoardWindow::closed, monitorTab_->controller(), &BusMonitorController::stop);
  createFieldTest();

  restore_board_settings(*board_, *walkTab_);
  connect(board_, &BoardWindow::closed, this, [this] { remember_board_place(*board_); });

  walkTab_->setEngineer(UserSettings::instance().engineerName());
  WalkRecordKeeper::Sources sources{
      [] () -> const ConfigMatrix& { return config_matrix(); },
      [this] { return projectNames(); },
      [this] { return configFileName_; },
      [this] { return walkTab_->engineer(); },
      [this](const QString& question) { return askYesNo(question); },
      [this](const QString& text) { showWarning(text); },
      [this](const QString& status) { setStatusText(status); }};
  walkRecord_ = new WalkRecordKeeper(walk_, std::move(sources), this);
  connect(walkTab_, &WalkTab::startRequested, this, [this] {
    remember_walk(*walkTab_);
    startWalk();
  });
  connect(walkTab_, &WalkTab::verdictGiven, this, [this](bool ok, const QString& comment) {
    walkRecord_->giveVerdict(ok ? Verdict::ok : Verdict::fault, comment);
  });
  connect(walkTab_, &WalkTab::protocolRequested, this, &TForm_main::WalkProtocolClick);
  connect(walkTab_, &WalkTab::repeatFaultsRequested, this, &TForm_main::RepeatFaultsClick);
  // A line of the record: the walk goes there to show the event again; without a walk the grid does.
  connect(walkTab_, &WalkTab::eventChosen, this, [this](int row) {
    if (walk_->running()) return walk_->goTo(row);
    showWalkedRow(row);
  });
  connect(walkRecord_, &WalkRecordKeeper::expectedChanged, walkTab_, &WalkTab::setExpected);
  connect(walkRecord_, &WalkRecordKeeper::byHandStepChanged, walkTab_, &WalkTab::setByHandStep);
  connect(walkRecord_, &WalkRecordKeeper::recordChanged, this, &TForm_main::showWalkRecord);
  connect(walkTab_, &WalkTab::pauseToggled, walk_, &WalkController::togglePause);
  connect(walkTab_, &WalkTab::backRequested, walk_, &WalkController::back);
  connect(walkTab_, &WalkTab::nextRequested, walk_, &WalkController::next);
  connect(walkTab_, &WalkTab::stopRequested, walk_, &WalkController::stop);
  connect(board_, &BoardWindow::closed, walk_, &WalkController::stop);

  connect(walk_, &WalkController::runningChanged, this, [this](bool running) {
    setDeviceOperationsEnabled(!running);
    setEditingEnabled(!running);
    walkTab_->setRunning(running);
    monitorTab_->view()->setStartAllowed(!running);
    fieldTab_->setEnabled(!running);
  });
  connect(walk_, &WalkController::pausedChanged, walkTab_, &WalkTab::setPaused);
  connect(walk_, &WalkController::rowShown, this, &TForm_main::showWalkedRow);
  connect(walk_, &WalkController::rowShown, walkTab_, &WalkTab::showCurrentEvent);
  connect(walk_, &WalkController::statusChanged, this, [this](const QString& text) {
    setStatusText(text);
    walkTab_->setStatus(text);
  });
  connect(walk_, &WalkController::failed, this,
          [](const QString& cause) { console_log().append_text(cause.toStdString()); });
  showWalkRecord();
}

bool TForm_main::longOperationRunning() const {
  return (walk_ && walk_->running()) || (monitorTab_ && monitorTab_->controller()->running()) ||
         (fieldTest_ && fieldTest_->running());
}

void TForm_main::startWalk(bool repeat_faults) {
  if (walk_->running() || !saveBeforeWalk()) return;
  UserSettings::instance().setEngineerName(walkTab_->engineer());
  walk_->setWaitForVerdict(walkTab_->waitForVerdict());
  const std::optional<WalkRecordKeeper::Walk> walk =
      repeat_faults ? walkRecord_->prepareRepeat()
                    : walkRecord_->prepare(WalkPlan(walkTab_->firstRow(), walkTab_->lastRow(), walkTab_->byHandRows()));
  if (walk) walk_->start(walk->plan, ui_->KVRnumberEdit->value(), walkTab_->dwell(), walk->from_row);
}

void TForm_main::RepeatFaultsClick() { startWalk(true); }

void TForm_main::showWalkRecord() {
  const std::optional<WalkRecord> record = walkRecord_->record();
  walkTab_->showRecord(record);
  std::vector<const RecordLine*> faults(ConfigMatrix::kRows, nullptr);
  QStringList listed;
  if (record) {
    for (const RecordLine& line : record->lines) {
      if (line.verdict != Verdict::fault) continue;
      faults[static_cast<std::size_t>(line.row)] = &line;
      listed << QString::fromStdString(line.label + (line.comment.empty() ? "" : ": " + line.comment));
    }
  }
  walkTab_->setFaultsToRepeat(static_cast<int>(listed.size()), listed.join(QLatin1Char('\n')));
  // A fault's row label bold on a red ground, the verdict's comment in its tip.
  for (int row = 0; row < ConfigMatrix::kRows; ++row) {
    QTableWidgetItem* label = ui_->StringGrid2->item(row, 0);
    if (label == nullptr) continue;
    const RecordLine* fault = faults[static_cast<std::size_t>(row)];
    QFont font = label->font();
    font.setBold(fault != nullptr);
    label->setFont(font);
    label->setData(Qt::BackgroundRole, fault ? QVariant(QColor(255, 190, 190)) : QVariant());
    label->setToolTip(fault ? QString::fromUtf8("Test po kolei: Błąd") +
                                  (fault->comment.empty() ? QString() : QStringLiteral(" – ") + QString::fromStdString(fault->comment))
                            : QString());
  }
}

// The project file's records: the only one, or the one chosen; alone, or
// with the newest record of the other kind as the handover document.
void TForm_main::WalkProtocolClick() {
  const JournalReading reading = configFileName_.isEmpty()
                                     ? JournalReading{}
                                     : load_walk_journal(records_folder_for(utf8_path(configFileName_.toStdString())));
  if (!reading.ok) {
    showWarning(file_failure_text("Nie można odczytać protokołów pliku", configFileName_, reading.reason));
    return;
  }
  if (reading.records.empty()) {
    showWarning(QString::fromUtf8("Nie ma jeszcze protokołu: przeprowadź test po kolei."));
    return;
  }
  const std::optional<RecordRequest> chosen =
      reading.records.size() == 1 ? std::optional<RecordRequest>(RecordRequest{}) : askWalkRecord(record_choices(reading));
  if (!chosen) return;
  const StoredRecord& stored = reading.records[chosen->record];
  if (!stored.record) {
    showWarning(file_failure_text("Nie można odczytać protokołu", QString::fromStdString(path_utf8(stored.file)),
                                  stored.damage));
    return;
  }
  if (chosen->handover) {
    saveHandoverProtocol(*stored.record, handover_partner(reading, *stored.record));
    return;
  }
  const QString name = askFileName(WalkProtocolDialog, FileDialogMode::save);
  if (name.isEmpty()) return;
  const std::filesystem::path path = utf8_path(name.toStdString());
  std::string reason;
  if (has_csv_extension(path)) {
    const FileResult result = save_walk_protocol_csv(path, *stored.record);
    if (!result.ok) reason = result.reason;
  } else if (QString error; !export_walk_protocol_pdf(name, *stored.record, &error)) {
    reason = error.toStdString();
  }
  if (reason.empty()) {
    setStatusText(QString::fromUtf8("Protokół zapisany."));
    return;
  }
  showWarning(file_failure_text("Nie udało się zapisać protokołu do pliku", name, reason));
}

void TForm_main::saveHandoverProtocol(const WalkRecord& chosen, const StoredRecord* other) {
  if (other == nullptr) {
    showWarning(QString::fromUtf8(chosen.field() ? kNoWalkForHandover : kNoFieldTestForHandover));
    return;
  }
  const QString name = askFileName(HandoverProtocolDialog, FileDialogMode::save);
  if (name.isEmpty()) return;
  QString error;
  if (has_csv_extension(utf8_path(name.toStdString())))
    error = QString::fromUtf8("protokół odbioru zapisuje się tylko jako PDF");
  else if (export_handover_protocol_pdf(name, chosen, *other->record, &error)) {
    setStatusText(QString::fromUtf8("Protokół odbioru zapisany."));
    return;
  }
  showWarning(file_failure_text("Nie udało się zapisać protokołu do pliku", name, error.toStdString()));
}

void TForm_main::showWalkedRow(int row) {
  selectMatrixRow(row);
  selectLabelRow(row);
}

bool TForm_main::editingLocked() const {
  return (walk_ && walk_->running()) || (fieldTest_ && fieldTest_->running());
}

bool TForm_main::refuseEditWhileWalking() {
  if (!editingLocked()) return false;
  setStatusText(walk_->running()
                    ? QString::fromUtf8("Trwa test po kolei: konfiguracji i nazw nie można zmieniać do jego końca.")
                    : QString::fromUtf8("Trwa próba z obiektu: konfiguracji i nazw nie można zmieniać do jej końca."));
  return true;
}

void TForm_main::setEditingEnabled(bool enabled) {
  for (QWidget* control : std::initializer_list<QWidget*>{ui_->LoadConfigButton, ui_->RecentFilesButton, newButton_,
                                                          ui_->FillButton, ui_->NamesButton, ui_->LabelsButton})
    control->setEnabled(enabled);
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
