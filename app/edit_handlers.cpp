// SPDX-License-Identifier: MIT
// Editing beside the mouse: the undo history's shortcuts and the window's
// modified mark, rows through the clipboard and the difference marks. The
// question before unsaved changes are closed away is the window's close
// event (form_main.cpp).

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeySequence>
#include <QShortcut>

#include "app/main.h"
#include "config/row_clipboard.h"
#include "gui/edit_history.h"
#include "gui/matrix_model.h"
#include "ui_main_window.h"

void TForm_main::setupEditing() {
  // On the configuration page and everything on it: the service page's
  // text fields keep their own copy, paste and undo.
  const auto shortcut = [this](const QKeySequence& keys, void (TForm_main::*handler)()) {
    auto* on_page = new QShortcut(keys, ui_->ConfigTabSheet);
    on_page->setContext(Qt::WidgetWithChildrenShortcut);
    connect(on_page, &QShortcut::activated, this, handler);
  };
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), &TForm_main::UndoClick);
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_Y), &TForm_main::RedoClick);
  shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &TForm_main::RedoClick);
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_C), &TForm_main::CopyRowClick);
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_V), &TForm_main::PasteRowsClick);
  setAcceptDrops(true);  // a .zel or .csv file dropped on the window is opened

  caption_ = windowTitle();
  connect(history_, &EditHistory::modifiedChanged, this, &TForm_main::updateCaption);
  connect(history_, &EditHistory::cellsChanged, this, [this](int first_row, int last_row, int first_column,
                                                             int last_column) {
    gridChanged();
    matrixModel_->cellsChanged(first_row, last_row, first_column, last_column);
  });
  connect(history_, &EditHistory::matrixReplaced, this, [this] {
    gridChanged();
    matrixModel_->matrixReplaced();
  });
  connect(history_, &EditHistory::undoneOrRedoneAt, this,
          [this](int row, int column) { selectBlock(CellBlock::at(row, column)); });
}

// "obiekt.zel – " and the program's caption once the grid has a file, and
// " *" while it differs from what was last saved or loaded.
void TForm_main::updateCaption() {
  QString caption = caption_;
  if (!configFileName_.isEmpty()) caption.prepend(QFileInfo(configFileName_).fileName() + QStringLiteral(" – "));
  if (history_->isModified()) caption += QStringLiteral(" *");
  setWindowTitle(caption);
}

void TForm_main::setConfigFileName(const QString& name) {
  configFileName_ = name;
  updateCaption();
  if (walkRecord_) showWalkRecord();  // the records are the file's
  if (fieldTest_) showFieldRecord();
}

// Every edit of cells (mouse, keys, paste, fill) comes here.
void TForm_main::setCells(const std::vector<CellValue>& cells, const QString& step, std::optional<CellBlock> block) {
  if (refuseEditWhileWalking()) return;
  history_->setCells(cells, step, block);
}

void TForm_main::UndoClick() {
  if (!refuseEditWhileWalking()) history_->stack().undo();
}

void TForm_main::RedoClick() {
  if (!refuseEditWhileWalking()) history_->stack().redo();
}

// A selected block, or else the whole selected row.
void TForm_main::CopyRowClick() {
  const std::string text = block_.single() ? row_clipboard_text(config_matrix(), selectedMatrixRow())
                                           : block_clipboard_text(config_matrix(), block_);
  QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

// From the current cell; whole rows from the first column of the selected row.
void TForm_main::PasteRowsClick() {
  const auto lines = parse_clipboard_modes(QGuiApplication::clipboard()->text().toStdString());
  const auto cells = lines ? pasted_cells(config_matrix(), selectedMatrixRow(),
                                          ui_->StringGrid3->currentIndex().column(), *lines)
                           : std::nullopt;
  if (!cells) {
    setEditStatusText(QStringLiteral("Schowek nie zawiera wierszy konfiguracji."));
    return;
  }
  setCells(*cells, QStringLiteral("Wklejenie"));
}

void TForm_main::showDifferences(const std::vector<CellDifference>& cells) {
  clearDifferences();
  for (const CellDifference& cell : cells) differenceMarks_.mark(cell.row, cell.column);
  if (!cells.empty()) moveCurrentCell(cells.front().row, cells.front().column);
}

// The marks and a status about an earlier edit no longer tell the truth.
void TForm_main::gridChanged() {
  clearDifferences();
  if (!editStatus_.isEmpty() && statusText() == editStatus_) setStatusText({});
  editStatus_.clear();
}

void TForm_main::setEditStatusText(const QString& text) {
  setStatusText(text);
  editStatus_ = text;
}

void TForm_main::clearDifferences() {
  differenceMarks_.clear();
  ui_->DrawGrid1->viewport()->update();
}
