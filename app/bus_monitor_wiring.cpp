// SPDX-License-Identifier: MIT
#include "app/bus_monitor_wiring.h"

#include "app/board_window.h"
#include "app/bus_monitor_tab.h"
#include "app/main.h"
#include "gui/bus_monitor_view.h"

BusMonitorTab* make_bus_monitor_tab(TForm_main& window, std::function<void(bool running)> running_changed) {
  TForm_main* form = &window;
  auto* tab = new BusMonitorTab(form->longOperationLink());
  BusMonitorController* controller = tab->controller();
  QObject::connect(controller, &BusMonitorController::statusChanged, form, &TForm_main::setStatusText);
  QObject::connect(controller, &BusMonitorController::runningChanged, form, std::move(running_changed));
  // The events heard on the bus drive the lamp picture only, combined as the
  // board combines them: the engineer may be editing another row, and the
  // grid's current cell must stay where it is.
  QObject::connect(tab->view(), &BusMonitorView::shownRowsChanged, form, [form](const QList<int>& rows) {
    if (BoardWindow* board = form->boardWindow()) board->showEventRows(rows);
  });
  // The grid follows only the user's own choice of a line in the table.
  QObject::connect(tab->view(), &BusMonitorView::eventSelected, form, [form](int row) {
    if (row < 0) return;
    form->selectMatrixRow(row);
    form->selectLabelRow(row);
  });
  return tab;
}
