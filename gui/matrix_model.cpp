#include "gui/matrix_model.h"

QColor to_qcolor(Rgb rgb) { return QColor(rgb.r, rgb.g, rgb.b); }

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
    default: return {};
  }
}

Qt::ItemFlags ConfigMatrixModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void ConfigMatrixModel::cellsChanged(int first_row, int last_row, int first_column, int last_column) {
  emit dataChanged(index(first_row, first_column), index(last_row, last_column), {kValueRole, Qt::BackgroundRole});
}

void ConfigMatrixModel::matrixReplaced() {
  emit dataChanged(index(0, 0), index(ConfigMatrix::kRows - 1, ConfigMatrix::kColumns - 1),
                   {kValueRole, Qt::BackgroundRole});
}
