// SPDX-License-Identifier: MIT
#include "gui/record_tab_parts.h"

#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <algorithm>

#include "config/config_matrix.h"
#include "gui/record_lines_model.h"

namespace {

QComboBox* make_row_picker(const QString& object_name, QWidget* parent) {
  auto* picker = new QComboBox(parent);
  picker->setObjectName(object_name);
  for (int row = 0; row < ConfigMatrix::kRows; ++row) picker->addItem(QString::fromStdString(row_label(row)));
  picker->setMaxVisibleItems(20);
  return picker;
}

}  // namespace

RowRange::RowRange(const QString& prefix, QWidget* parent)
    : first_(make_row_picker(prefix + QStringLiteral("FirstRow"), parent)),
      last_(make_row_picker(prefix + QStringLiteral("LastRow"), parent)) {}

void RowRange::setDefault(int selected_row) {
  set(std::max(selected_row, ConfigMatrix::kFirstAddressRow), ConfigMatrix::kRows - 1);
}

void RowRange::set(int first_row, int last_row) {
  first_->setCurrentIndex(first_row);
  last_->setCurrentIndex(last_row);
}

int RowRange::firstRow() const { return first_->currentIndex(); }
int RowRange::lastRow() const { return last_->currentIndex(); }

QPushButton* make_tab_button(const char* object_name, const QString& text, QWidget* tab) {
  auto* button = new QPushButton(text, tab);
  button->setObjectName(QString::fromLatin1(object_name));
  button->setFocusPolicy(Qt::TabFocus);
  return button;
}

QTableView* make_record_list(const char* object_name, RecordLinesModel* model,
                             std::initializer_list<std::pair<int, int>> widths, QWidget* parent) {
  auto* list = new QTableView(parent);
  list->setObjectName(QString::fromLatin1(object_name));
  list->setModel(model);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setTabKeyNavigation(false);
  list->setWordWrap(false);
  list->verticalHeader()->hide();
  list->horizontalHeader()->setStretchLastSection(true);
  for (const auto& [column, width] : widths) list->setColumnWidth(column, width);
  return list;
}

bool select_record_line(QTableView* list, const RecordLinesModel& model, int row) {
  const int line = model.lineOf(row);
  if (line < 0) return false;
  const QModelIndex index = model.index(line, RecordLinesModel::kEvent);
  list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  list->scrollTo(index);
  return true;
}
