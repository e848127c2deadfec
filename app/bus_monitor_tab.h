// SPDX-License-Identifier: MIT
#pragma once
// The "Monitor magistrali" tab: its view and the controller that runs the
// monitor, wired together, and the saving of the list of changes. It knows
// no window: whoever places it gives it the connection and listens to the
// controller (running, status, cause of a failure) and to the view (the row
// to show on the lamp picture, the event the user selected).

#include <QWidget>

#include "app/bus_monitor_controller.h"
#include "app/file_dialogs.h"
#include "app/user_prompts.h"

class BusMonitorView;

// Saving the bus monitor's list of changes.
inline constexpr FileDialogSettings BusLogDialog{
    "Zapisz dziennik magistrali", "Tabela CSV (*.csv);;Wszystkie pliki (*.*)", "csv", "dziennik-magistrali.csv",
    FileKind::monitor_log};

class BusMonitorTab : public QWidget {
  Q_OBJECT

 public:
  explicit BusMonitorTab(BusMonitorController::Link link, QWidget* parent = nullptr);

  BusMonitorView* view() const { return view_; }
  BusMonitorController* controller() const { return controller_; }

  // How the tab asks the user; the real dialogs unless replaced.
  FileChooser chooseFile = [this](const FileDialogSettings& settings, FileDialogMode mode,
                                  const QString& start_file) {
    return run_file_dialog(this, settings, mode, start_file);
  };
  WarningBox showWarning = [this](const QString& text) { show_warning_box(this, text); };

  // "Zapisz dziennik...": asks for a file and writes the list as CSV.
  void saveLog();

 private:
  BusMonitorView* view_;
  BusMonitorController* controller_;
  QString lastLogName_;
};
