// SPDX-License-Identifier: MIT
#include "app/board_window.h"

#include <QAbstractItemModel>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "config/config_matrix.h"
#include "config/name_text.h"
#include "gui/lamp_board.h"
#include "gui/matrix_model.h"

BoardWindow::BoardWindow(QAbstractItemModel* model, int mode_role, QItemSelectionModel* selection, QWidget* parent)
    : QWidget(parent, Qt::Window), model_(model), modeRole_(mode_role), selection_(selection) {
  setObjectName(QStringLiteral("BoardWindow"));
  setWindowTitle(QString::fromUtf8("Tablica synoptyczna – ZEL17"));
  setMinimumSize(640, 440);

  lamps_ = new LampBoard(this);
  lamps_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  auto* note = new QLabel(QString::fromUtf8("Podgląd – rytm migania przybliżony."), this);
  note->setObjectName(QStringLiteral("BlinkNote"));
  note->setFont(scaled_font(note->font(), 0.85));
  note->setAlignment(Qt::AlignCenter);

  auto* picture = new QVBoxLayout;
  picture->addWidget(lamps_, 1);
  picture->addWidget(note);

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("BoardTabs"));
  // The arrows and Space steer a walk; a focused tab bar would take them.
  // Ctrl+Tab still changes tabs.
  tabs_->tabBar()->setFocusPolicy(Qt::NoFocus);

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(picture, 1);
  layout->addWidget(tabs_, 1);

  connect(selection, &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { showRow(current.row()); });
  connect(model_, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& from, const QModelIndex& to) {
    if (row_ >= from.row() && row_ <= to.row()) showRow(row_);
  });
  connect(model_, &QAbstractItemModel::modelReset, this, [this] { showRow(row_); });
  connect(model_, &QAbstractItemModel::headerDataChanged, this, [this] { showRow(row_); });
  showRow(selection->currentIndex().isValid() ? selection->currentIndex().row() : 0);
}

void BoardWindow::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  emit closed();
}

void BoardWindow::addTab(QWidget* page, const QString& title) { tabs_->addTab(page, title); }

void BoardWindow::showEventRow(int row) {
  if (row >= 0) return showRow(row);
  const QModelIndex current = selection_->currentIndex();
  showRow(current.isValid() ? current.row() : 0);
}

void BoardWindow::showRow(int row) {
  if (row < 0 || row >= model_->rowCount()) return;
  row_ = row;
  LampBoard::Modes modes{};
  for (int column = 0; column < LampBoard::kLamps && column < model_->columnCount(); ++column) {
    modes[static_cast<std::size_t>(column)] =
        static_cast<std::uint8_t>(model_->data(model_->index(row, column), modeRole_).toUInt());
  }
  lamps_->setModes(modes);
  LampBoard::Names names;
  for (int column = 0; column < LampBoard::kLamps; ++column)
    names[static_cast<std::size_t>(column)] = model_->headerData(column, Qt::Horizontal, ConfigMatrixModel::kNameRole).toString();
  lamps_->setNames(names);
  const QString address = model_->headerData(row, Qt::Vertical, ConfigMatrixModel::kNameRole).toString();
  lamps_->setHeading(QString::fromStdString(with_name(row_label(row), address.toStdString())));
}
