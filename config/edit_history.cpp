#include "config/edit_history.h"

#include <algorithm>

namespace {

// A step's first redo comes from QUndoStack::push: the change it records is
// being made right then, where the user is working, so only undo and later
// redos show the user where the grid changed.
class HistoryStep : public QUndoCommand {
 public:
  using QUndoCommand::QUndoCommand;
  void undo() final { apply(false, true); }
  void redo() final {
    apply(true, pushed_);
    pushed_ = true;
  }

 protected:
  virtual void apply(bool forward, bool show) = 0;

 private:
  bool pushed_ = false;
};

}  // namespace

class CellsCommand : public HistoryStep {
 public:
  CellsCommand(EditHistory& history, std::vector<CellValue> before, std::vector<CellValue> after, const QString& text)
      : HistoryStep(text), history_(history), before_(std::move(before)), after_(std::move(after)) {}

 private:
  void apply(bool forward, bool show) override {
    const std::vector<CellValue>& cells = forward ? after_ : before_;
    history_.applyCells(cells);
    if (show) emit history_.undoneOrRedoneAt(cells.front().row, cells.front().column);
  }

  EditHistory& history_;
  const std::vector<CellValue> before_, after_;
};

class ReplacementCommand : public HistoryStep {
 public:
  ReplacementCommand(EditHistory& history, const ConfigMatrix::Bytes& before, const ConfigMatrix::Bytes& after,
                     const QString& text)
      : HistoryStep(text), history_(history), before_(before), after_(after) {}

 private:
  void apply(bool forward, bool show) override {
    history_.applyBytes(forward ? after_ : before_);
    if (!show) return;
    const std::vector<CellValue> changed = differing_cells(before_, after_);
    if (!changed.empty()) emit history_.undoneOrRedoneAt(changed.front().row, changed.front().column);
  }

  EditHistory& history_;
  const ConfigMatrix::Bytes before_, after_;
};

EditHistory::EditHistory(ConfigMatrix& matrix, QObject* parent)
    : QObject(parent), matrix_(matrix), recorded_(matrix.bytes()) {
  connect(&stack_, &QUndoStack::cleanChanged, this, [this](bool clean) { emit modifiedChanged(!clean); });
}

void EditHistory::setCells(const std::vector<CellValue>& cells, const QString& text) {
  std::vector<CellValue> before, after;
  for (const CellValue& cell : cells) {
    const std::uint8_t old = matrix_.at(cell.row, cell.column);
    if (old == cell.value) continue;
    before.push_back({cell.row, cell.column, old});
    after.push_back(cell);
  }
  if (after.empty()) return;
  stack_.push(new CellsCommand(*this, std::move(before), std::move(after), text));
}

void EditHistory::recordReplacement(const QString& text) {
  if (matrix_.bytes() == recorded_) return;
  const ConfigMatrix::Bytes before = recorded_;
  recorded_ = matrix_.bytes();
  stack_.push(new ReplacementCommand(*this, before, recorded_, text));
}

void EditHistory::restart() {
  stack_.clear();
  recorded_ = matrix_.bytes();
  emit modifiedChanged(false);
}

void EditHistory::applyCells(const std::vector<CellValue>& cells) {
  int first_row = ConfigMatrix::kRows, last_row = -1, first_column = ConfigMatrix::kColumns, last_column = -1;
  for (const CellValue& cell : cells) {
    matrix_.set(cell.row, cell.column, cell.value);
    recorded_[ConfigMatrix::index(cell.row, cell.column)] = cell.value;
    first_row = std::min(first_row, cell.row);
    last_row = std::max(last_row, cell.row);
    first_column = std::min(first_column, cell.column);
    last_column = std::max(last_column, cell.column);
  }
  emit cellsChanged(first_row, last_row, first_column, last_column);
}

void EditHistory::applyBytes(const ConfigMatrix::Bytes& bytes) {
  matrix_.bytes() = bytes;
  recorded_ = bytes;
  emit matrixReplaced();
}
