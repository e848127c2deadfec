// SPDX-License-Identifier: MIT
// The grid editor of the main window: the matrix grid DrawGrid1, the row
// labels StringGrid2 and the output numbers StringGrid3, scrolled together.

#include <QAbstractButton>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <utility>

#include "app/main.h"
#include "app/walk_controller.h"
#include "config/cell_block.h"
#include "config/cell_description.h"
#include "config/config_matrix.h"
#include "gui/edit_history.h"
#include "gui/filled_shape.h"
#include "gui/grid_keys.h"
#include "gui/grid_text_delegate.h"
#include "gui/matrix_delegate.h"
#include "gui/matrix_model.h"
#include "ui_main_window.h"

namespace {

constexpr int kCellPitch = 24;         // a 23 px cell and a 1 px grid line
constexpr int kLabelColumnPitch = 121; // 120 px, wider than the grid: long labels are cut off

// What the three grids share, so that their rows and columns line up: the
// same frame, cell pitch, and grid lines on the right and bottom of a cell.
void setup_grid(QTableView* grid) {
  grid->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  grid->setLineWidth(2);
  for (QHeaderView* header : {grid->horizontalHeader(), grid->verticalHeader()}) {
    header->hide();
    header->setMinimumSectionSize(1);  // before the default size, which it would otherwise clamp
    header->setDefaultSectionSize(kCellPitch);
    header->setSectionResizeMode(QHeaderView::Fixed);
  }
  grid->setShowGrid(false);  // each cell draws its own lines (gui/cell_grid_lines.h)
  grid->setWordWrap(false);
  grid->setCornerButtonEnabled(false);
  grid->setTabKeyNavigation(false);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  grid->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
  grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  // The selected cell stays highlighted without the focus, and also in the
  // disabled number grid, whose text stays black.
  QPalette palette = grid->palette();
  for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText, QPalette::Text, QPalette::Base}) {
    const QColor color = palette.color(QPalette::Active, role);
    palette.setColor(QPalette::Inactive, role, color);
    palette.setColor(QPalette::Disabled, role, color);
  }
  grid->setPalette(palette);
}

void select_cell(QTableView* grid, int row, int column) {
  grid->setCurrentIndex(grid->model()->index(row, column));
}

QTableWidgetItem* text_cell(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

}  // namespace

void TForm_main::setupGrids() {
  for (QTableView* grid : {static_cast<QTableView*>(ui_->DrawGrid1), static_cast<QTableView*>(ui_->StringGrid2),
                           static_cast<QTableView*>(ui_->StringGrid3)}) {
    setup_grid(grid);
  }
  // Sized only now that their headers are hidden: a visible header measures
  // the text of every section, which took a good part of the start-up.
  ui_->StringGrid3->setRowCount(1);
  ui_->StringGrid3->setColumnCount(ConfigMatrix::kColumns);
  ui_->StringGrid2->setRowCount(ConfigMatrix::kRows);
  ui_->StringGrid2->setColumnCount(1);
  for (QTableView* grid : {static_cast<QTableView*>(ui_->StringGrid2), static_cast<QTableView*>(ui_->StringGrid3)})
    grid->setItemDelegate(new GridTextDelegate(grid));

  QTableView* matrix = ui_->DrawGrid1;
  matrixModel_ = new ConfigMatrixModel(config_matrix(), this);
  history_ = new EditHistory(config_matrix(), this);
  matrix->setModel(matrixModel_);
  matrix->setItemDelegate(new MatrixCellDelegate(
      [this](QPainter& painter, int column, int row, const QRect& rect) {
        DrawGrid1DrawCell(painter, column, row, rect);
      },
      differenceMarks_, block_, matrix));
  // Any move of the current cell other than a block's own ends the block.
  connect(matrix->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
    if (!current.isValid()) return;
    block_ = CellBlock::at(current.row(), current.column());
    ui_->DrawGrid1->viewport()->update();
  });
  matrix->setSelectionBehavior(QAbstractItemView::SelectRows);
  matrix->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  matrix->verticalScrollBar()->setTracking(true);  // the view follows a dragged thumb

  // The legend's squares say what their colour stands for, for a screen reader.
  const std::pair<FilledShape*, LedMode> legend[] = {
      {ui_->Shape1, LED_SLOW_BLINK}, {ui_->Shape2, LED_FAST_BLINK}, {ui_->Shape3, LED_STEADY}};
  for (const auto& [square, mode] : legend)
    square->setAccessibleName(QString::fromStdString(mode_letter_description(mode)));

  ui_->StringGrid2->horizontalHeader()->resizeSection(0, kLabelColumnPitch);
  ui_->StringGrid2->setSelectionBehavior(QAbstractItemView::SelectItems);
  ui_->StringGrid3->setSelectionBehavior(QAbstractItemView::SelectItems);
  ui_->StringGrid3->setFocusPolicy(Qt::NoFocus);

  // The mouse handlers see every press on the two live grids before the
  // grids do, and the key handler every key.
  for (QTableView* grid : {matrix, static_cast<QTableView*>(ui_->StringGrid2)}) {
    grid->viewport()->installEventFilter(this);
    grid->installEventFilter(this);
  }

  for (QTableView* grid : {matrix, static_cast<QTableView*>(ui_->StringGrid2)}) {
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this,
            [this, grid](const QPoint& pos) { openTestMenu(grid, pos); });
  }

  connect(matrix->verticalScrollBar(), &QScrollBar::valueChanged, this, &TForm_main::DrawGrid1TopLeftChanged);
  connect(matrix->horizontalScrollBar(), &QScrollBar::valueChanged, this, &TForm_main::DrawGrid1TopLeftChanged);
  connect(ui_->StringGrid2->verticalScrollBar(), &QScrollBar::valueChanged, this,
          &TForm_main::StringGrid2TopLeftChanged);
}

void TForm_main::FormCreate() {
  config_matrix().reset();  // every cell off, row 4 not available
  for (int column = 0; column < ConfigMatrix::kColumns; ++column) {
    ui_->StringGrid3->setItem(0, column, text_cell(QString::number(column + 1)));
  }
  for (int row = 0; row < ConfigMatrix::kRows; ++row) {
    ui_->StringGrid2->setItem(row, 0, text_cell(QString::fromStdString(row_label(row))));
  }
  matrixModel_->matrixReplaced();
  history_->restart();

  for (QTableView* grid : {static_cast<QTableView*>(ui_->DrawGrid1), static_cast<QTableView*>(ui_->StringGrid2),
                           static_cast<QTableView*>(ui_->StringGrid3)}) {
    select_cell(grid, 0, 0);
    grid->scrollToTop();
    grid->horizontalScrollBar()->setValue(0);
  }
  ui_->TestButton->setEnabled(true);
}

// The model's BackgroundRole is a cell's one colour: what is painted is what
// the model tells.
void TForm_main::DrawGrid1DrawCell(QPainter& painter, int column, int row, const QRect& rect) {
  painter.fillRect(rect, matrixModel_->index(row, column).data(Qt::BackgroundRole).value<QColor>());
}

GridCell TForm_main::matrixCellAt(int x, int y) const {
  const QModelIndex index = ui_->DrawGrid1->indexAt(QPoint(x, y));
  if (!index.isValid()) return GridCell::none();
  return {index.column(), index.row()};
}

// A walk holds the connection: "Test" waits until it ends.
void TForm_main::updateTestButton(int row) {
  ui_->TestButton->setEnabled(is_address_row(row) && !longOperationRunning());
}

// The number grid marks the column, but always shows from column 0.
void TForm_main::selectHeaderColumn(int column) {
  select_cell(ui_->StringGrid3, 0, column);
  ui_->StringGrid3->horizontalScrollBar()->setValue(0);
}

void TForm_main::DrawGrid1MouseDown(Qt::MouseButton button, int x, int y) {
  PressedCell = matrixCellAt(x, y);
  if (button != Qt::RightButton || !PressedCell.valid()) return;
  selectLabelRow(PressedCell.row);
  selectHeaderColumn(PressedCell.column);
  select_cell(ui_->DrawGrid1, PressedCell.row, PressedCell.column);
  updateTestButton(PressedCell.row);
  // TestMenu opens on the context-menu request that follows the press.
}

void TForm_main::DrawGrid1MouseUp(Qt::MouseButton button, int x, int y) {
  if (button != Qt::LeftButton) return;
  // Released outside every cell, or pressed outside every cell: nothing to edit.
  if (!matrixCellAt(x, y).valid() || !PressedCell.valid()) return;
  const GridCell cell = PressedCell;  // the cell where the button went down
  selectLabelRow(cell.row);
  selectHeaderColumn(cell.column);
  // Repaints this one cell.
  setCells({{cell.row, cell.column, next_led_mode(config_matrix().at(cell.row, cell.column))}},
           QStringLiteral("Kliknięcie"));
  updateTestButton(cell.row);
}

void TForm_main::StringGrid2MouseDown(Qt::MouseButton, int x, int y) {
  const QModelIndex index = ui_->StringGrid2->indexAt(QPoint(x, y));
  if (!index.isValid()) return;
  selectLabelRow(index.row());
  selectMatrixRow(index.row());
  updateTestButton(index.row());
}

void TForm_main::DrawGrid1TopLeftChanged() {
  // Setting the value a scroll bar already has emits nothing, which ends the coupling.
  ui_->StringGrid2->verticalScrollBar()->setValue(ui_->DrawGrid1->verticalScrollBar()->value());
  ui_->StringGrid3->horizontalScrollBar()->setValue(ui_->DrawGrid1->horizontalScrollBar()->value());
}

void TForm_main::StringGrid2TopLeftChanged() {
  ui_->DrawGrid1->verticalScrollBar()->setValue(ui_->StringGrid2->verticalScrollBar()->value());
}

void TForm_main::repaintMatrix() {
  history_->recordReplacement(QStringLiteral("Nowa konfiguracja"));
  matrixModel_->matrixReplaced();
}

int TForm_main::selectedMatrixRow() const { return ui_->DrawGrid1->currentIndex().row(); }

int TForm_main::selectedLabelRow() const { return ui_->StringGrid2->currentIndex().row(); }

void TForm_main::selectMatrixRow(int row) {
  if (row < 0 || row >= ConfigMatrix::kRows) return;
  select_cell(ui_->DrawGrid1, row, qMax(0, ui_->DrawGrid1->currentIndex().column()));
}

void TForm_main::selectLabelRow(int row) {
  if (row < 0 || row >= ConfigMatrix::kRows) return;
  select_cell(ui_->StringGrid2, row, 0);
}

void TForm_main::openTestMenu(QTableView* grid, const QPoint& viewportPos) {
  TestMenu_->popup(grid->viewport()->mapToGlobal(viewportPos));
}

// The current cell: the selected row and the column marked in the number grid.
void TForm_main::moveCurrentCell(int row, int column) {
  select_cell(ui_->DrawGrid1, row, column);
  selectLabelRow(row);
  selectHeaderColumn(column);
  updateTestButton(row);
}

bool TForm_main::gridKeyEvent(QEvent* event, bool fromButton) {
  if (event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  const int page_rows = ui_->DrawGrid1->viewport()->height() / kCellPitch;
  const GridKeyCommand command = grid_key_command(key->key(), key->modifiers(), selectedMatrixRow(),
                                                  ui_->StringGrid3->currentIndex().column(), page_rows);
  // An edit acts on the whole selected block, or on the key's own cell.
  const CellBlock edited = block_.single() ? CellBlock::at(command.row, command.column) : block_;
  switch (command.kind) {
    case GridKeyCommand::ignore: return false;
    case GridKeyCommand::swallow:
      if (fromButton) return false;  // a key the grid does not know stays with the button
      break;
    case GridKeyCommand::move: selectBlock(CellBlock::at(command.row, command.column)); break;
    case GridKeyCommand::extend: selectBlock(block_.extendedTo(command.row, command.column)); break;
    case GridKeyCommand::step:
      setCells(edited_block(config_matrix(), edited, next_led_mode), QStringLiteral("Klawisz"), edited);
      break;
    case GridKeyCommand::set:
      setCells(edited_block(config_matrix(), edited,
                            [&command](std::uint8_t value) { return chosen_led_mode(value, command.mode); }),
               QStringLiteral("Klawisz"), edited);
      break;
  }
  return true;
}

void TForm_main::setupPageButtonKeys() {
  for (QAbstractButton* button : ui_->ConfigTabSheet->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly)) {
    button->setFocusPolicy(Qt::TabFocus);  // Tab still reaches it
    button->installEventFilter(this);
  }
}

// Space and Return press a button that has the focus; the other keys of
// the grid edit it, as from the grid.
bool TForm_main::pageButtonKeyEvent(QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select: return false;
    default: return gridKeyEvent(event, true);
  }
}

// Presses, releases and drags on DrawGrid1 go to the handlers only; the
// grid's own handling would move the selection while the button is held.
bool TForm_main::matrixPointerEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {  // the second press of a double click
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const QPoint at = mouse->position().toPoint();
      ui_->DrawGrid1->setFocus(Qt::MouseFocusReason);
      // The cell under the pointer is taken before the selection below can
      // scroll a partly shown row into view and move another row under it.
      DrawGrid1MouseDown(mouse->button(), at.x(), at.y());
      // Shift and the left button span a block from the current cell; the release edits nothing.
      blockPress_ = mouse->button() == Qt::LeftButton && (mouse->modifiers() & Qt::ShiftModifier);
      if (blockPress_) {
        if (PressedCell.valid()) selectBlock(block_.extendedTo(PressedCell.row, PressedCell.column));
        return true;
      }
      // The grid's own click handling: a left press selects the row under the pointer.
      if (mouse->button() == Qt::LeftButton && PressedCell.valid())
        select_cell(ui_->DrawGrid1, PressedCell.row, PressedCell.column);
      if (PressedCell.valid()) {  // a plain press ends the block, also on its current cell
        block_ = CellBlock::at(PressedCell.row, PressedCell.column);
        ui_->DrawGrid1->viewport()->update();
      }
      return true;
    }
    case QEvent::MouseButtonRelease: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const QPoint at = mouse->position().toPoint();
      if (mouse->button() == Qt::LeftButton && std::exchange(blockPress_, false)) return true;
      DrawGrid1MouseUp(mouse->button(), at.x(), at.y());
      return true;
    }
    case QEvent::MouseMove:
      return static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton;
    default:
      return false;
  }
}

bool TForm_main::labelPointerEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const QPoint at = mouse->position().toPoint();
      ui_->StringGrid2->setFocus(Qt::MouseFocusReason);
      StringGrid2MouseDown(mouse->button(), at.x(), at.y());
      return true;
    }
    case QEvent::MouseButtonRelease:
      return true;
    case QEvent::MouseMove:
      return static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton;
    default:
      return false;
  }
}
