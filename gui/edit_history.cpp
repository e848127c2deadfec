// SPDX-License-Identifier: MIT
#include "gui/edit_history.h"

#include <algorithm>

// Each step holds the one state of its cells that the matrix does not hold
// now, and undo and redo exchange the two: a step keeps a single copy of
// what it changed, and undo and redo always meet the matrix in the state
// the step left it in.
class HistoryStep : public QUndoCommand {
 public:
  HistoryStep(EditHistory& history, const QString& text) : QUndoCommand(text), history_(history) {}

  void undo() final {
    exchange();
    showChange();
  }
  // The first redo comes from QUndoStack::push, while the user is making
  // the change: only undo and later redos show the user where it was.
  void redo() final {
    if (!pushed_) {
      pushed_ = true;
      return firstRedo();
    }
    exchange();
    showChange();
  }

 protected:
  virtual void exchange() = 0;
  virtual void firstRedo() { exchange(); }
  virtual void showChange() = 0;

  EditHistory& history_;

 private:
  bool pushed_ = false;
};

// Cells set by a click, a key or a paste, or on a block.
class CellsCommand : public HistoryStep {
 public:
  CellsCommand(EditHistory& history, std::vector<CellValue> cells, const QString& text,
               std::optional<CellBlock> block)
      : HistoryStep(history, text), cells_(std::move(cells)), block_(block) {}

 private:
  void exchange() override { history_.exchangeCells(cells_); }
  void showChange() override {
    if (block_ && !block_->single())
      emit history_.undoneOrRedoneIn(block_->anchor_row, block_->anchor_column, block_->row, block_->column);
    else
      emit history_.undoneOrRedoneAt(cells_.front().row, cells_.front().column);
  }

  std::vector<CellValue> cells_;
  std::optional<CellBlock> block_;
};

// A whole grid put in place before the step is recorded (a file loaded, a
// configuration read back): its first redo has no cell left to set, but
// still tells that the grid changed.
class ReplacementCommand : public HistoryStep {
 public:
  ReplacementCommand(EditHistory& history, const ConfigMatrix::Bytes& before, const QString& text)
      : HistoryStep(history, text), other_(before) {}

 private:
  void exchange() override { history_.exchangeBytes(other_); }
  void firstRedo() override { emit history_.matrixReplaced(); }
  void showChange() override {
    const std::vector<CellDifference> changed = differing_cells(history_.matrix_.bytes(), other_);
    if (!changed.empty()) emit history_.undoneOrRedoneAt(changed.front().row, changed.front().column);
  }

  ConfigMatrix::Bytes other_;
};

EditHistory::EditHistory(ConfigMatrix& matrix, QObject* parent)
    : QObject(parent), matrix_(matrix), recorded_(matrix.bytes()) {
  connect(&stack_, &QUndoStack::cleanChanged, this, [this](bool clean) { emit modifiedChanged(!clean); });
}

void EditHistory::setCells(const std::vector<CellValue>& cells, const QString& text, std::optional<CellBlock> block) {
  std::vector<CellValue> changing;
  for (const CellValue& cell : cells)
    if (matrix_.at(cell.row, cell.column) != cell.value) changing.push_back(cell);
  if (changing.empty()) return;
  stack_.push(new CellsCommand(*this, std::move(changing), text, block));
}

void EditHistory::recordReplacement(const QString& text) {
  if (matrix_.bytes() == recorded_) return;
  const ConfigMatrix::Bytes before = recorded_;
  recorded_ = matrix_.bytes();
  stack_.push(new ReplacementCommand(*this, before, text));
}

void EditHistory::restart() {
  stack_.clear();
  recorded_ = matrix_.bytes();
  emit modifiedChanged(false);
}

void EditHistory::exchangeCells(std::vector<CellValue>& cells) {
  int first_row = ConfigMatrix::kRows, last_row = -1, first_column = ConfigMatrix::kColumns, last_column = -1;
  for (CellValue& cell : cells) {
    const std::uint8_t held = matrix_.at(cell.row, cell.column);
    matrix_.set(cell.row, cell.column, cell.value);
    recorded_[ConfigMatrix::index(cell.row, cell.column)] = cell.value;
    cell.value = held;
    first_row = std::min(first_row, cell.row);
    last_row = std::max(last_row, cell.row);
    first_column = std::min(first_column, cell.column);
    last_column = std::max(last_column, cell.column);
  }
  emit cellsChanged(first_row, last_row, first_column, last_column);
}

void EditHistory::exchangeBytes(ConfigMatrix::Bytes& bytes) {
  std::swap(matrix_.bytes(), bytes);
  recorded_ = matrix_.bytes();
  emit matrixReplaced();
}
