// SPDX-License-Identifier: MIT
#include "app/board_settings.h"

#include <QTabWidget>

#include "app/board_window.h"
#include "config/config_matrix.h"
#include "gui/user_settings.h"
#include "gui/walk_tab.h"

void restore_board_settings(BoardWindow& board, WalkTab& walk) {
  const UserSettings& settings = UserSettings::instance();
  const QByteArray geometry = settings.boardGeometry();
  if (!geometry.isEmpty()) board.restoreGeometry(geometry);
  const int tab = settings.boardTab();
  if (tab >= 0 && tab < board.tabs()->count()) board.tabs()->setCurrentIndex(tab);
  QObject::connect(board.tabs(), &QTabWidget::currentChanged, &board,
                   [](int index) { UserSettings::instance().setBoardTab(index); });
  if (const auto dwell = settings.walkDwellSeconds()) walk.setDwellSeconds(*dwell);
}

void remember_board_place(const BoardWindow& board) { UserSettings::instance().setBoardGeometry(board.saveGeometry()); }

void remember_walk(const WalkTab& walk) {
  UserSettings& settings = UserSettings::instance();
  settings.setWalkRange({walk.firstRow(), walk.lastRow()});
  settings.setWalkDwellSeconds(walk.dwellSeconds());
}

void set_walk_range_on_opening(WalkTab& walk, int selected_row) {
  const auto remembered = UserSettings::instance().walkRange();
  if (selected_row < ConfigMatrix::kFirstAddressRow && remembered) {
    walk.setRange(remembered->first, remembered->last);
  } else {
    walk.setDefaultRange(selected_row);
  }
}
