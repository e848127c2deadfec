// SPDX-License-Identifier: MIT
#include "app/board_window.h"

#include <QAbstractItemModel>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "commissioning/combined_events.h"
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

  connect(selection, &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
    if (!showingEvents_) showRows({current.row()});
  });
  connect(model_, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& from, const QModelIndex& to) {
    if (std::any_of(rows_.begin(), rows_.end(), [&](int row) { return row >= from.row() && row <= to.row(); }))
      showRows(rows_);
  });
  connect(model_, &QAbstractItemModel::modelReset, this, [this] { showRows(rows_); });
  connect(model_, &QAbstractItemModel::headerDataChanged, this, [this] { showRows(rows_); });
  showCurrentRow();
}

void BoardWindow::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  emit closed();
}

void BoardWindow::addTab(QWidget* page, const QString& title) { tabs_->addTab(page, title); }

void BoardWindow::showEventRows(const QList<int>& rows) {
  showingEvents_ = !rows.isEmpty();
  if (showingEvents_) return showRows(rows);
  showCurrentRow();
}

void BoardWindow::showCurrentRow() {
  const QModelIndex current = selection_->currentIndex();
  showRows({current.isValid() ? current.row() : 0});
}

void BoardWindow::showRows(const QList<int>& rows) {
  QList<int> shown;
  for (const int row : rows) {
    if (row >= 0 && row < model_->rowCount()) shown << row;
  }
  if (shown.isEmpty()) return;
  rows_ = shown;
  std::vector<LampModes> events;
  QStringList headings;
  for (const int row : rows_) {
    LampModes modes{};
    for (int column = 0; column < LampBoard::kLamps && column < model_->columnCount(); ++column) {
      modes[static_cast<std::size_t>(column)] =
          static_cast<std::uint8_t>(model_->data(model_->index(row, column), modeRole_).toUInt());
    }
    events.push_back(modes);
    const QString address = model_->headerData(row, Qt::Vertical, ConfigMatrixModel::kNameRole).toString();
    headings << QString::fromStdString(with_name(row_label(row), address.toStdString()));
  }
  lamps_->setModes(combined_modes(events));
  LampBoard::Names names;
  for (int column = 0; column < LampBoard::kLamps; ++column)
    names[static_cast<std::size_t>(column)] = model_->headerData(column, Qt::Horizontal, ConfigMatrixModel::kNameRole).toString();
  lamps_->setNames(names);
  lamps_->setHeading(headings.join(QStringLiteral(" + ")));
}
