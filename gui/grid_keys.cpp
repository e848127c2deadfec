// SPDX-License-Identifier: MIT
#include "gui/grid_keys.h"

#include <algorithm>

#include "config/config_matrix.h"

namespace {

GridKeyCommand move_to(int row, int column) {
  return {GridKeyCommand::move, std::clamp(row, 0, ConfigMatrix::kRows - 1),
          std::clamp(column, 0, ConfigMatrix::kColumns - 1)};
}

GridKeyCommand unshifted_command(int key, Qt::KeyboardModifiers modifiers, int row, int column, int page_rows) {
  const bool control = modifiers & Qt::ControlModifier;
  const int page = std::max(1, page_rows);
  switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return {};
    case Qt::Key_Up: return move_to(row - 1, column);
    case Qt::Key_Down: return move_to(row + 1, column);
    case Qt::Key_PageUp: return move_to(row - page, column);
    case Qt::Key_PageDown: return move_to(row + page, column);
    default: break;
  }
  if (control && key == Qt::Key_Home) return move_to(0, column);
  if (control && key == Qt::Key_End) return move_to(ConfigMatrix::kRows - 1, column);

  if (!control) {
    switch (key) {
      case Qt::Key_Space: return {GridKeyCommand::step, row, column};
      case Qt::Key_Delete: return {GridKeyCommand::set, row, column, LED_OFF};
      case Qt::Key_0:
      case Qt::Key_1:
      case Qt::Key_2:
      case Qt::Key_3: return {GridKeyCommand::set, row, column, static_cast<std::uint8_t>(key - Qt::Key_0)};
      default: break;
    }
  }
  switch (key) {
    case Qt::Key_Left: return move_to(row, column - 1);
    case Qt::Key_Right: return move_to(row, column + 1);
    case Qt::Key_Home: return move_to(row, 0);
    case Qt::Key_End: return move_to(row, ConfigMatrix::kColumns - 1);
    default: return {GridKeyCommand::swallow};
  }
}

}  // namespace

GridKeyCommand grid_key_command(int key, Qt::KeyboardModifiers modifiers, int row, int column, int page_rows) {
  GridKeyCommand command = unshifted_command(key, modifiers, row, column, page_rows);
  if (modifiers & Qt::ShiftModifier && command.kind == GridKeyCommand::move) command.kind = GridKeyCommand::extend;
  return command;
}
