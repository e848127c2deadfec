// SPDX-License-Identifier: MIT
#include "gui/row_picker.h"

#include <QComboBox>

#include "config/config_matrix.h"

QComboBox* make_row_picker(const char* object_name, QWidget* parent) {
  auto* picker = new QComboBox(parent);
  picker->setObjectName(QString::fromLatin1(object_name));
  for (int row = 0; row < ConfigMatrix::kRows; ++row) picker->addItem(QString::fromStdString(row_label(row)));
  picker->setMaxVisibleItems(20);
  return picker;
}
