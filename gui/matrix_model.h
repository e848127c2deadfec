// SPDX-License-Identifier: MIT
#pragma once
// DrawGrid1's view of a ConfigMatrix: 305 event rows by 25 outputs. It holds
// a reference, so the matrix stays the one the rest of the program edits.

#include <QAbstractTableModel>
#include <QColor>

#include "config/config_matrix.h"
#include "config/project_names.h"

QColor to_qcolor(Rgb rgb);

class ConfigMatrixModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr int kValueRole = Qt::UserRole;  // the cell's LedMode byte
  // Of a header: an output's lamp name (across) or a row's address name (down), "" for none.
  static constexpr int kNameRole = Qt::UserRole + 1;

  explicit ConfigMatrixModel(ConfigMatrix& matrix, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  // The names the texts give beside the labels; none until set. The names
  // must outlive the model.
  void setNames(const ProjectNames* names);
  // The names changed: the texts that carry them follow.
  void namesChanged();

  // The cells of these rows and columns changed: a repaint of those only.
  void cellsChanged(int first_row, int last_row, int first_column, int last_column);
  // Every cell may have changed (matrix reset or loaded).
  void matrixReplaced();

 private:
  ConfigMatrix& matrix_;
  const ProjectNames* names_ = nullptr;
};
