// SPDX-License-Identifier: MIT
#include "gui/record_lines_model.h"

RecordLinesModel::RecordLinesModel(QObject* parent) : QAbstractTableModel(parent) {}

void RecordLinesModel::setRecord(const std::optional<WalkRecord>& record) {
  beginResetModel();
  record_ = record;
  endResetModel();
}

int RecordLinesModel::lineOf(int row) const {
  if (!record_) return -1;
  for (std::size_t line = 0; line < record_->lines.size(); ++line) {
    if (record_->lines[line].row == row) return static_cast<int>(line);
  }
  return -1;
}

int RecordLinesModel::rowAt(int line) const {
  if (!record_ || line < 0 || line >= rowCount()) return -1;
  return record_->lines[static_cast<std::size_t>(line)].row;
}

int RecordLinesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !record_ ? 0 : static_cast<int>(record_->lines.size());
}
