// SPDX-License-Identifier: MIT
#pragma once
// The window's history of changes to a ConfigMatrix: every change made in
// the window goes through it, one undo step per user action. Cell edits
// store only the cells they change; a change of the whole grid (a file
// loaded, a configuration read back) stores one copy of the other grid.
//
// The history also knows whether the grid differs from what was last saved
// or loaded (the stack's clean index).

#include <QObject>
#include <QUndoStack>
#include <optional>
#include <vector>

#include "config/cell_block.h"
#include "config/config_matrix.h"

class EditHistory : public QObject {
  Q_OBJECT

 public:
  explicit EditHistory(ConfigMatrix& matrix, QObject* parent = nullptr);

  QUndoStack& stack() { return stack_; }

  // Sets these cells as one step named `text`; cells that already hold
  // their value are left out, and nothing is recorded when none is left.
  // A step made on a block of more than one cell selects that block again
  // when it is undone or redone.
  void setCells(const std::vector<CellValue>& cells, const QString& text, std::optional<CellBlock> block = {});
  // Records as one step whatever the matrix was changed to behind the
  // history's back since its last step (a whole grid replaced).
  void recordReplacement(const QString& text);
  // Forgets every step: the matrix as it is now is the unmodified state.
  void restart();

  // The grid now equals what was saved or loaded.
  void markSaved() { stack_.setClean(); }
  bool isModified() const { return !stack_.isClean(); }

 signals:
  // Cells of these rows and columns changed (through a step, its undo or its redo).
  void cellsChanged(int first_row, int last_row, int first_column, int last_column);
  // Any number of cells changed.
  void matrixReplaced();
  // An undo or redo changed this cell first: the place to show the user.
  void undoneOrRedoneAt(int row, int column);
  // An undo or redo changed cells of this block: the block to select again.
  void undoneOrRedoneIn(int anchor_row, int anchor_column, int row, int column);
  void modifiedChanged(bool modified);

 private:
  friend class HistoryStep;
  friend class CellsCommand;
  friend class ReplacementCommand;
  // Puts the given values in place and gives back the ones they replaced.
  void exchangeCells(std::vector<CellValue>& cells);
  void exchangeBytes(ConfigMatrix::Bytes& bytes);

  ConfigMatrix& matrix_;
  ConfigMatrix::Bytes recorded_;  // the matrix as the history's last step left it
  QUndoStack stack_;
};
