#pragma once
// DrawGrid1's view of a ConfigMatrix: 305 event rows by 25 outputs. It holds
// a reference, so the matrix stays the one the rest of the program edits.

#include <QAbstractTableModel>
#include <QColor>

#include "config/config_matrix.h"

QColor to_qcolor(Rgb rgb);

class ConfigMatrixModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr int kValueRole = Qt::UserRole;  // the cell's LedMode byte

  explicit ConfigMatrixModel(ConfigMatrix& matrix, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // One left click on a cell: the next LedMode, and a repaint of that cell only.
  void advanceCell(int row, int column);
  // Every cell may have changed (matrix reset or loaded).
  void matrixReplaced();

 private:
  ConfigMatrix& matrix_;
};
