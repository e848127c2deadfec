// SPDX-License-Identifier: MIT
// The edit history on its own, without a window: steps, the modified state
// against the saved one, and what it tells the view.

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "gui/edit_history.h"

namespace {

TEST(EditHistory, StepsUndoRedoAndTheSavedState) {
  ConfigMatrix matrix;
  EditHistory history(matrix);
  QSignalSpy shown(&history, &EditHistory::undoneOrRedoneAt);
  QSignalSpy cells(&history, &EditHistory::cellsChanged);

  history.setCells({{7, 2, LED_STEADY}, {9, 4, LED_OFF}}, QStringLiteral("a"));  // (9,4) already off
  ASSERT_EQ(history.stack().count(), 1);
  EXPECT_EQ(matrix.at(7, 2), LED_STEADY);
  ASSERT_EQ(cells.count(), 1);
  EXPECT_EQ(cells.takeFirst(), (QList<QVariant>{7, 7, 2, 2}));  // only the changed cell is repainted
  history.setCells({{7, 2, LED_STEADY}}, QStringLiteral("no change"));
  EXPECT_EQ(history.stack().count(), 1);
  EXPECT_TRUE(history.isModified());
  EXPECT_EQ(shown.count(), 0);  // the user is where the change was made

  // A whole grid replaced behind the history's back is one step.
  matrix.set(300, 24, LED_FAST_BLINK);
  matrix.set(0, 0, LED_SLOW_BLINK);
  history.recordReplacement(QStringLiteral("load"));
  history.markSaved();
  EXPECT_FALSE(history.isModified());
  history.stack().undo();
  EXPECT_TRUE(history.isModified());
  EXPECT_EQ(matrix.at(300, 24), LED_OFF);
  EXPECT_EQ(matrix.at(7, 2), LED_STEADY);
  ASSERT_EQ(shown.count(), 1);
  EXPECT_EQ(shown.takeFirst(), (QList<QVariant>{0, 0}));  // the first changed cell, row by row
  history.stack().undo();
  EXPECT_EQ(matrix, ConfigMatrix());
  EXPECT_EQ(shown.takeFirst(), (QList<QVariant>{7, 2}));
  history.stack().redo();
  history.stack().redo();
  EXPECT_FALSE(history.isModified());
  EXPECT_EQ(matrix.at(300, 24), LED_FAST_BLINK);

  history.restart();
  EXPECT_EQ(history.stack().count(), 0);
  EXPECT_FALSE(history.isModified());
}

TEST(EditHistory, AStepOnABlockSelectsTheBlockAgainWhenUndoneOrRedone) {
  ConfigMatrix matrix;
  EditHistory history(matrix);
  QSignalSpy at_cell(&history, &EditHistory::undoneOrRedoneAt);
  QSignalSpy in_block(&history, &EditHistory::undoneOrRedoneIn);
  const CellBlock block{12, 6, 10, 5};  // spanned upwards and to the left
  history.setCells({{10, 5, LED_STEADY}, {11, 6, LED_STEADY}}, QStringLiteral("block"), block);
  history.setCells({{20, 1, LED_SLOW_BLINK}}, QStringLiteral("cell"), CellBlock::at(20, 1));
  history.stack().undo();
  history.stack().undo();
  EXPECT_EQ(matrix, ConfigMatrix());
  history.stack().redo();
  ASSERT_EQ(in_block.count(), 2);
  EXPECT_EQ(in_block.at(0), (QList<QVariant>{12, 6, 10, 5}));
  EXPECT_EQ(in_block.at(1), in_block.at(0));
  ASSERT_EQ(at_cell.count(), 1);  // a block of one cell is shown as that cell
  EXPECT_EQ(at_cell.takeFirst(), (QList<QVariant>{20, 1}));
  EXPECT_EQ(matrix.at(11, 6), LED_STEADY);
}

}  // namespace
