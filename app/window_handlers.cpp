// SPDX-License-Identifier: MIT
// The window beside its stored layout: it can grow, its controls anchored to
// the edges they belong to, and "Konsola" (F12) shows the console of the
// hidden service page in a window of its own.

#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>

#include "app/console_window.h"
#include "app/main.h"
#include "gui/anchored_layout.h"
#include "protocol/console_log.h"
#include "ui_main_window.h"

namespace {

constexpr QSize kDesignedSize(850, 614);

// A control not named here stays where the layout put it. A new control of
// the configuration page joins the list of the place it sits in.
const QStringList kGrowingBoth = {"Page", "DrawGrid1"};
const QStringList kGrowingDown = {"StringGrid2"};
// The status bar and the progress bar lying over it.
const QStringList kAlongTheBottom = {"Status", "ProgressBar"};
// The column on the right: the unit, the legend and "Konsola".
const QStringList kRightColumn = {"Label9", "KVRnumberEdit", "Label3", "Shape1", "Label4",
                                  "Shape2", "Label5",        "Shape3", "ConsoleButton"};
// The right column's buttons next to the bottom row, which go with both edges.
const QStringList kRightColumnBottom = {"LabelsButton", "NamesButton", "BoardButton", "FillButton", "TestButton"};
// The row of buttons below the grid.
const QStringList kBottomRow = {"SaveConfigButton", "LoadConfigButton", "ReadConfigButton", "VerifyConfigButton",
                                "CompareButton",    "ExportButton",     "PrintButton",      "WriteConfigButton",
                                "RecentFilesButton"};

}  // namespace

void TForm_main::setupResizing() {
  setMinimumSize(kDesignedSize);
  layout_ = new AnchoredLayout(this, kDesignedSize);
  using Edge = AnchoredLayout::Edge;
  layout_->anchor(kGrowingBoth, Edge::GrowsRight | Edge::GrowsDown);
  layout_->anchor(kGrowingDown, Edge::GrowsDown);
  layout_->anchor(kAlongTheBottom, Edge::MovesDown | Edge::GrowsRight);
  layout_->anchor(kRightColumn, Edge::MovesRight);
  layout_->anchor(kRightColumnBottom, Edge::MovesRight | Edge::MovesDown);
  layout_->anchor(kBottomRow, Edge::MovesDown);
  layout_->apply();
}

// Above the right column, where the page has room.
void TForm_main::setupConsoleWindow() {
  auto* button = new QPushButton(QStringLiteral("Konsola"), ui_->ConfigTabSheet);
  button->setObjectName(QStringLiteral("ConsoleButton"));
  button->setGeometry(736, 8, 75, 23);
  connect(button, &QPushButton::clicked, this, &TForm_main::ConsoleButtonClick);
  auto* key = new QShortcut(QKeySequence(Qt::Key_F12), this);
  key->setContext(Qt::WindowShortcut);
  connect(key, &QShortcut::activated, this, &TForm_main::ConsoleButtonClick);
}

void TForm_main::ConsoleButtonClick() {
  if (!consoleWindow_) {
    consoleWindow_ = new ConsoleWindow(console_log(), this);
    connect(consoleWindow_, &ConsoleWindow::saveRequested, this, &TForm_main::Button6Click);
    connect(consoleWindow_, &ConsoleWindow::clearRequested, this, &TForm_main::ClearConsoleButtonClick);
  }
  consoleWindow_->show();
  consoleWindow_->raise();
  consoleWindow_->activateWindow();
}
