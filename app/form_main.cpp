// SPDX-License-Identifier: MIT
// TForm_main itself: building the window, its own events (show, hide,
// close, the grids' event filter) and every button wired to its handler.
// The handlers live by area in app/*_handlers.cpp.

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHideEvent>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTabBar>

#include "app/application_icon.h"
#include "app/board_window.h"
#include "app/bus_monitor_tab.h"
#include "app/field_test_controller.h"
#include "app/console_window.h"
#include "app/help_handlers.h"
#include "app/main.h"
#include "app/walk_controller.h"
#include "gui/edit_history.h"
#include "gui/grid_keys.h"
#include "gui/labels_sized_on_show.h"
#include "protocol/console_log.h"
#include "ui_main_window.h"

TForm_main* Form_main = nullptr;

TForm_main::TForm_main(QWidget* parent) : QWidget(parent), ui_(std::make_unique<Ui::TForm_main>()) {
  ui_->setupUi(this);
  setupWindow();
  setupGrids();
  setupConsoleWindow();
  setupNewConfiguration();
  setupPageButtonKeys();
  connectHandlers();
  setupEditing();
  setupBlockEditing();
  setupNames();
  setupRecentFiles();
  setupResizing();
  add_help_to_main_window(*this);
  ui_->Console->attach(console_log());
  Form_main = this;
  FormCreate();
}

TForm_main::~TForm_main() {
  // A walk, a bus monitor or a field test still running ends now, while its session can
  // still show the connection on the window's controls.
  if (walk_) {
    walk_->blockSignals(true);
    walk_->stop();
  }
  if (monitorTab_) {
    monitorTab_->controller()->blockSignals(true);
    monitorTab_->controller()->stop();
  }
  if (fieldTest_) {  // its record's session ends too: it stays open for resuming
    fieldTest_->blockSignals(true);
    fieldTest_->stop();
  }
  // QWidget deletes the controls only after this part of the window is gone:
  // none of their signals or events may reach its handlers any more.
  for (QObject* child : findChildren<QObject*>()) {
    child->disconnect(this);
    child->removeEventFilter(this);
  }
  if (Form_main == this) Form_main = nullptr;
}

void TForm_main::setupWindow() {
  // A dialog frame: system menu, maximise and close buttons, no minimise.
  // The window starts at its designed size, also its smallest (setupResizing).
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
  resize(850, 614);

  // The service page's labels are sized only if that page is ever shown.
  size_labels_to_text(*ui_->ConfigTabSheet);
  size_labels_to_text_when_shown(*ui_->AdvancedTabSheet);

  // The service page stays out of the user's reach: no tab, and a disabled
  // tab entry so keyboard page switching passes over it too.
  const int advanced = ui_->Page->indexOf(ui_->AdvancedTabSheet);
  ui_->Page->setTabVisible(advanced, false);
  ui_->Page->tabBar()->setTabEnabled(advanced, false);
  ui_->Page->setCurrentWidget(ui_->ConfigTabSheet);

  // A plain bar of blocks: the window's own style draws animated, smoothed
  // stripes whose repaint costs more than a whole exchange with the module,
  // and the bar is repainted while an upload blocks the event loop.
  if (QStyle* plain = QStyleFactory::create(QStringLiteral("Windows"))) {
    plain->setParent(ui_->ProgressBar);
    ui_->ProgressBar->setStyle(plain);
  }

  // The status bar's second field: the cause of a failure, on its right.
  failureCause_ = new QLabel(ui_->Status);
  failureCause_->setObjectName(QStringLiteral("FailureCause"));
  failureCause_->setContentsMargins(0, 0, 6, 0);
  ui_->Status->addPermanentWidget(failureCause_);
  failureCause_->hide();
  ui_->Status->setSizeGripEnabled(false);

  set_application_icon_after_first_paint(*this);

  TestMenu_ = new QMenu(this);
  TestMenu_->setObjectName(QStringLiteral("TestMenu"));
  TestMenu_->addAction(ui_->Testuj1);
}

// Centred once, when first shown: only then is the frame's size known.
void TForm_main::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (centred_) return;
  centred_ = true;
  const QScreen* shown_on = screen() ? screen() : QGuiApplication::primaryScreen();
  if (!shown_on) return;
  QRect frame = frameGeometry();
  frame.moveCenter(shown_on->availableGeometry().center());
  move(frame.topLeft());
}

// The main window closed: the board and console windows go with it, a walk first ending.
void TForm_main::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (event->spontaneous()) return;
  if (board_) board_->close();
  if (consoleWindow_) consoleWindow_->close();
}

// Unsaved changes are asked about before the window closes.
void TForm_main::closeEvent(QCloseEvent* event) {
  if (!history_->isModified()) return event->accept();
  switch (askSaveChanges(QString::fromUtf8(kSaveBeforeClosing))) {
    case SaveChangesAnswer::save:
      // A failed or cancelled save keeps it open; a table saved alone was the user's choice.
      if (!SaveConfigButtonClick()) return event->ignore();
      return event->accept();
    case SaveChangesAnswer::discard: return event->accept();
    case SaveChangesAnswer::cancel: return event->ignore();
  }
}

// The grids' pointer and key events go to the handlers of their area.
bool TForm_main::eventFilter(QObject* watched, QEvent* event) {
  if (ui_ && watched == ui_->DrawGrid1->viewport()) return matrixPointerEvent(event);
  if (ui_ && watched == ui_->StringGrid2->viewport()) return labelPointerEvent(event);
  if (ui_ && (watched == ui_->DrawGrid1 || watched == ui_->StringGrid2)) return gridKeyEvent(event);
  if (const auto* button = qobject_cast<QAbstractButton*>(watched);
      ui_ && button && button->parentWidget() == ui_->ConfigTabSheet)
    return pageButtonKeyEvent(event);
  return QWidget::eventFilter(watched, event);
}

void TForm_main::connectHandlers() {
  const auto on_click = [this](QPushButton* button, void (TForm_main::*handler)()) {
    connect(button, &QPushButton::clicked, this, handler);
  };
  on_click(ui_->ClearConsoleButton, &TForm_main::ClearConsoleButtonClick);
  on_click(ui_->Button6, &TForm_main::Button6Click);
  on_click(ui_->ConnectButton, &TForm_main::ConnectButtonClick);
  on_click(ui_->DisconnectButton, &TForm_main::DisconnectButtonClick);
  on_click(ui_->HelloButton, &TForm_main::HelloButtonClick);
  on_click(ui_->PingPongButton, &TForm_main::PingPongButtonClick);
  on_click(ui_->DebugButton, &TForm_main::DebugButtonClick);
  on_click(ui_->InorretButton, &TForm_main::InorretButtonClick);
  on_click(ui_->RS485FramePleaseButton, &TForm_main::RS485FramePleaseButtonClick);
  on_click(ui_->Button5, &TForm_main::Button5Click);
  on_click(ui_->Button2, &TForm_main::Button2Click);
  on_click(ui_->Button1, &TForm_main::Button1Click);
  on_click(ui_->Button3, &TForm_main::Button3Click);
  on_click(ui_->Button4, &TForm_main::Button4Click);
  connect(ui_->SaveConfigButton, &QPushButton::clicked, this, [this] { SaveConfigButtonClick(); });
  on_click(ui_->LoadConfigButton, &TForm_main::LoadConfigButtonClick);
  on_click(ui_->CompareButton, &TForm_main::CompareButtonClick);
  on_click(ui_->ExportButton, &TForm_main::ExportButtonClick);
  on_click(ui_->PrintButton, &TForm_main::PrintButtonClick);
  on_click(ui_->WriteConfigButton, &TForm_main::WriteConfigButtonClick);
  on_click(ui_->ReadConfigButton, &TForm_main::ReadConfigButtonClick);
  on_click(ui_->VerifyConfigButton, &TForm_main::VerifyConfigButtonClick);
  on_click(ui_->TestButton, &TForm_main::TestButtonClick);
  on_click(ui_->BoardButton, &TForm_main::BoardButtonClick);
  connect(ui_->Testuj1, &QAction::triggered, this, &TForm_main::Testuj1Click);
}

void TForm_main::setStatusText(const QString& text) {
  // The cause goes with the status it explained; an upload sets a status at
  // every step, so the label is touched only when it holds one.
  if (!failureCause_->text().isEmpty()) {
    failureCause_->hide();
    failureCause_->clear();
  }
  ui_->Status->showMessage(text);
  ui_->Status->repaint();
  if (ui_->ProgressBar->isVisible()) ui_->ProgressBar->repaint();
}

QString TForm_main::statusText() const { return ui_->Status->currentMessage(); }

void TForm_main::showFailureCause(const std::string& utf8) {
  failureCause_->setText(QString::fromStdString(utf8));
  failureCause_->setVisible(!utf8.empty());
  ui_->Status->repaint();
}

QString TForm_main::failureCause() const { return failureCause_->text(); }

void TForm_main::setProgressVisible(bool visible) {
  ui_->ProgressBar->setVisible(visible);
  ui_->Status->repaint();
  if (visible) ui_->ProgressBar->repaint();
}

void TForm_main::setProgress(int position) {
  ui_->ProgressBar->setValue(position);
  // A step takes far less than a frame against a fast module, and painting
  // the bar costs more than the exchange: repaint at most once a frame, and
  // always at the ends so the last state is never left unshown.
  constexpr qint64 kFrameMs = 15;
  const bool at_end = position <= ui_->ProgressBar->minimum() || position >= ui_->ProgressBar->maximum();
  if (!at_end && progressPainted_.isValid() && progressPainted_.elapsed() < kFrameMs) return;
  ui_->ProgressBar->repaint();
  progressPainted_.start();
}

void TForm_main::ClearConsoleButtonClick() { console_log().clear(); }
