// SPDX-License-Identifier: MIT
// Editing more than one cell at a time: the selected block of DrawGrid1
// and the addresses filled by rule.

#include <QPushButton>

#include "app/main.h"
#include "config/address_fill.h"
#include "config/cell_description.h"
#include "config/config_matrix.h"
#include "gui/edit_history.h"
#include "ui_main_window.h"

void TForm_main::setupBlockEditing() {
  connect(ui_->FillButton, &QPushButton::clicked, this, &TForm_main::FillButtonClick);
  connect(history_, &EditHistory::undoneOrRedoneIn, this, [this](int anchor_row, int anchor_column, int row, int column) {
    selectBlock({anchor_row, anchor_column, row, column});
  });
}

void TForm_main::selectBlock(const CellBlock& block) {
  moveCurrentCell(block.row, block.column);  // which ends any block
  block_ = block;
  ui_->DrawGrid1->viewport()->update();
}

void TForm_main::FillButtonClick() {
  if (refuseEditWhileWalking()) return;
  const std::optional<AddressFill> fill = askAddressFill();
  if (!fill) return;
  const std::vector<CellValue> cells = address_fill_cells(config_matrix(), *fill);
  setCells(cells, QStringLiteral("Wypełnienie"));
  setEditStatusText(QStringLiteral("Wypełniono: %1.").arg(QString::fromStdString(cells_text(cells.size()))));
}
