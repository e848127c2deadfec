// SPDX-License-Identifier: MIT
#pragma once
// The board window "Tablica synoptyczna – ZEL17": the lamp picture of one
// row of the matrix beside a set of tabs ("Test po kolei", ...) that share
// it. The picture follows the row current in a view of the matrix, or, while
// the bus monitor drives it, the events it hears, and every change of the
// rows' cells.

#include <QList>
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
  // The row the picture shows; the first of them when it combines several.
  int shownRow() const { return rows_.value(0, -1); }
  QList<int> shownRows() const { return rows_; }
  // Shows rows that are not the grid's current one (the events the bus
  // monitor hears) without touching the grid, each lamp at the strongest
  // mode any of them gives it, the heading naming them all ("adr 3. Alarm I +
  // adr 12. Awaria"). The grid's selection does not move the picture until
  // none are given: it then shows the grid's current row again.
  void showEventRows(const QList<int>& rows);

 signals:
  void closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void showRows(const QList<int>& rows);
  void showCurrentRow();

  QAbstractItemModel* model_;
  int modeRole_;
  QItemSelectionModel* selection_;
  LampBoard* lamps_;
  QTabWidget* tabs_;
  QList<int> rows_;
  bool showingEvents_ = false;
};
