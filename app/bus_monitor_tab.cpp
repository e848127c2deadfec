// SPDX-License-Identifier: MIT
#include "app/bus_monitor_tab.h"

#include <QVBoxLayout>

#include "gui/bus_monitor_view.h"
#include "text/utf8_path.h"

BusMonitorTab::BusMonitorTab(BusMonitorController::Link link, QWidget* parent)
    : QWidget(parent), view_(new BusMonitorView(this)), controller_(new BusMonitorController(std::move(link), this)) {
  setObjectName(QStringLiteral("BusMonitorTab"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);

  connect(view_, &BusMonitorView::startRequested, controller_, &BusMonitorController::start);
  connect(view_, &BusMonitorView::stopRequested, controller_, &BusMonitorController::stop);
  connect(view_, &BusMonitorView::saveRequested, this, &BusMonitorTab::saveLog);
  connect(controller_, &BusMonitorController::runningChanged, view_, &BusMonitorView::setRunning);
  connect(controller_, &BusMonitorController::statusChanged, view_, &BusMonitorView::setStatus);
  connect(controller_, &BusMonitorController::entriesAdded, view_, &BusMonitorView::appendEntries);
  connect(controller_, &BusMonitorController::droppedChanged, view_, &BusMonitorView::setDroppedTotal);
  connect(controller_, &BusMonitorController::activeChanged, this, [this] {
    const BusTracker& tracker = controller_->monitor().tracker();
    view_->showActive(tracker.active());
  });
}

void BusMonitorTab::saveLog() {
  const QString name = chooseFile(BusLogDialog, FileDialogMode::save, start_file_name(BusLogDialog, lastLogName_));
  if (name.isEmpty()) return;
  lastLogName_ = name;
  remember_chosen_file(BusLogDialog, name);
  const FileResult result = controller_->saveLog(utf8_path(name.toStdString()));
  if (result.ok) {
    view_->setStatus(QString::fromUtf8("Dziennik zapisany."));
    return;
  }
  view_->setStatus(QString::fromUtf8("Błąd zapisu dziennika!"));
  showWarning(file_failure_text("Nie udało się zapisać dziennika do pliku", name, result.reason));
}
