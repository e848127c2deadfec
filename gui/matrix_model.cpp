// SPDX-License-Identifier: MIT
#include "gui/matrix_model.h"

#include "config/cell_description.h"
#include "config/name_text.h"

QColor to_qcolor(Rgb rgb) { return QColor(rgb.r, rgb.g, rgb.b); }

namespace {
// Every role that follows a cell's value.
const QList<int> kCellRoles = {ConfigMatrixModel::kValueRole, Qt::BackgroundRole, Qt::ToolTipRole,
                               Qt::AccessibleTextRole};
}  // namespace

ConfigMatrixModel::ConfigMatrixModel(ConfigMatrix& matrix, QObject* parent)
    : QAbstractTableModel(parent), matrix_(matrix) {}

int ConfigMatrixModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ConfigMatrix::kRows;
}

int ConfigMatrixModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ConfigMatrix::kColumns;
}

QVariant ConfigMatrixModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  const std::uint8_t value = matrix_.at(index.row(), index.column());
  switch (role) {
    case kValueRole: return int{value};
    case Qt::BackgroundRole: return to_qcolor(led_mode_color(value));
    // The mode in words: shown on hover and read by a screen reader.
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole:
      return QString::fromStdString(names_ ? named_cell_description(*names_, index.row(), index.column(), value)
                                           : cell_description(index.row(), index.column(), value));
    default: return {};
  }
}

Qt::ItemFlags ConfigMatrixModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void ConfigMatrixModel::cellsChanged(int first_row, int last_row, int first_column, int last_column) {
  emit dataChanged(index(first_row, first_column), index(last_row, last_column), kCellRoles);
}

void ConfigMatrixModel::matrixReplaced() {
  emit dataChanged(index(0, 0), index(ConfigMatrix::kRows - 1, ConfigMatrix::kColumns - 1),
                   kCellRoles);
}

QVariant ConfigMatrixModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != kNameRole) return QAbstractTableModel::headerData(section, orientation, role);
  if (!names_) return QString();
  const std::string& name =
      orientation == Qt::Horizontal ? lamp_name(*names_, section) : address_name_of_row(*names_, section);
  return QString::fromStdString(name);
}

void ConfigMatrixModel::setNames(const ProjectNames* names) {
  names_ = names;
  namesChanged();
}

void ConfigMatrixModel::namesChanged() {
  emit headerDataChanged(Qt::Horizontal, 0, ConfigMatrix::kColumns - 1);
  emit headerDataChanged(Qt::Vertical, 0, ConfigMatrix::kRows - 1);
  emit dataChanged(index(0, 0), index(ConfigMatrix::kRows - 1, ConfigMatrix::kColumns - 1),
                   {Qt::ToolTipRole, Qt::AccessibleTextRole});
}
