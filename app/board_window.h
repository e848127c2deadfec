// SPDX-License-Identifier: MIT
#pragma once
// The board window "Tablica synoptyczna – ZEL17": the lamp picture of one
// row of the matrix beside a set of tabs ("Test po kolei", ...) that share
// it. The picture follows the row current in a view of the matrix and every
// change of that row's cells.

#include <QWidget>

class LampBoard;
class QAbstractItemModel;
class QItemSelectionModel;
class QTabWidget;

class BoardWindow : public QWidget {
  Q_OBJECT

 public:
  // `model` has the matrix's rows and columns, each cell's mode under
  // `mode_role`; `selection` names the current row.
  BoardWindow(QAbstractItemModel* model, int mode_role, QItemSelectionModel* selection, QWidget* parent = nullptr);

  LampBoard* lamps() const { return lamps_; }
  QTabWidget* tabs() const { return tabs_; }
  void addTab(QWidget* page, const QString& title);
  // The row the picture shows.
  int shownRow() const { return row_; }
  // Shows a row that is not the grid's current one (an event the bus monitor
  // heard) without touching the grid; -1 goes back to the grid's current row.
  void showEventRow(int row);

 signals:
  void closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void showRow(int row);

  QAbstractItemModel* model_;
  int modeRole_;
  QItemSelectionModel* selection_;
  LampBoard* lamps_;
  QTabWidget* tabs_;
  int row_ = -1;
};
