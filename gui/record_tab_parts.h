// SPDX-License-Identifier: MIT
#pragma once
// What the walk's and the field test's tabs are both made of: "Od" and
// "Do", buttons that leave the keys to the tab, and the list of the
// record's events.

#include <QString>
#include <initializer_list>
#include <utility>

class QComboBox;
class QPushButton;
class QTableView;
class QWidget;
class RecordLinesModel;

// "Od" and "Do": two lists of the matrix's rows by label, named
// prefix + "FirstRow" and prefix + "LastRow".
class RowRange {
 public:
  RowRange(const QString& prefix, QWidget* parent);

  QComboBox* first() const { return first_; }
  QComboBox* last() const { return last_; }
  // "Od": the selected row, or 5 when it is below 5; "Do": the last row.
  void setDefault(int selected_row);
  void set(int first_row, int last_row);
  int firstRow() const;
  int lastRow() const;

 private:
  QComboBox* first_;
  QComboBox* last_;
};

// A button that a click does not take the keys from: they stay with the tab.
QPushButton* make_tab_button(const char* object_name, const QString& text, QWidget* tab);

// The list of a record's events: whole lines, one selected at a time, read
// only, Tab leaving it; `widths` sets columns' widths, the last stretches.
QTableView* make_record_list(const char* object_name, RecordLinesModel* model,
                             std::initializer_list<std::pair<int, int>> widths, QWidget* parent);
// Makes the line of matrix row `row` the current one and scrolls to it;
// false when the list has no such line.
bool select_record_line(QTableView* list, const RecordLinesModel& model, int row);
