// SPDX-License-Identifier: MIT
#include "gui/record_lines_model.h"

RecordLinesModel::RecordLinesModel(QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), headers_(std::move(headers)) {}

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

int RecordLinesModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant RecordLinesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const RecordLine& line = record_->lines[static_cast<std::size_t>(index.row())];
  const auto text = [](const std::string& utf8) { return QString::fromStdString(utf8); };
  if (role == Qt::DisplayRole) {
    switch (index.column()) {
      case kEvent: return text(line.label);
      case kName: return text(line.name);
      case kExpected: return text(line.expected);
      default: break;
    }
  }
  const QVariant own = lineData(line, index.column(), role);
  if (own.isValid()) return own;
  if (role == Qt::ToolTipRole && index.column() == kExpected) return text(line.expected);  // often wider than its column
  return {};
}

QVariant RecordLinesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < headers_.size())
    return headers_[section];
  return QAbstractTableModel::headerData(section, orientation, role);
}
