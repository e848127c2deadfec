// Editing beside the mouse, through real key events on the shown window:
// undo and redo, keys that move and edit the current cell, rows through the
// clipboard. The mouse's own editing is in grid_editor_test.cpp.

#include <QAbstractItemModel>
#include <QClipboard>
#include <QGuiApplication>
#include <QScrollBar>
#include <QStatusBar>

#include "config/config_matrix.h"
#include "gui/edit_history.h"
#include "window_fixture.h"

namespace {

class EditingTest : public WindowTest {
 protected:
  QWidget* matrix() { return ui().DrawGrid1; }
  QPoint cellCentre(int row, int column) {
    return ui().DrawGrid1->visualRect(ui().DrawGrid1->model()->index(row, column)).center();
  }
  void click(int row, int column) {
    QTest::mouseClick(ui().DrawGrid1->viewport(), Qt::LeftButton, {}, cellCentre(row, column));
  }
  QColor shown(int row, int column) { return cellImage(row, column).pixelColor(11, 11); }
  void key(QWidget* on, int key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(on, static_cast<Qt::Key>(key), modifiers);
  }
  std::vector<std::uint8_t> row(int r) {
    std::vector<std::uint8_t> values;
    for (int column = 0; column < 25; ++column) values.push_back(config_matrix().at(r, column));
    return values;
  }
};

const QColor kWhite(255, 255, 255), kYellow(255, 255, 0), kRed(255, 0, 0);

TEST_F(EditingTest, UndoRedoAndKeysEditTheCurrentCell) {
  click(5, 0);
  EXPECT_EQ(shown(5, 0), kYellow);
  key(matrix(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(shown(5, 0), kWhite);
  key(matrix(), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(shown(5, 0), kYellow);

  key(matrix(), Qt::Key_Right);
  key(matrix(), Qt::Key_3);
  EXPECT_EQ(config_matrix().at(5, 1), LED_STEADY);
  EXPECT_EQ(shown(5, 1), kRed);
  EXPECT_EQ(ui().StringGrid3->currentIndex().column(), 1);  // the highlighted number is the current column
  key(matrix(), Qt::Key_Down);
  key(matrix(), Qt::Key_Space);
  EXPECT_EQ(config_matrix().at(6, 1), LED_SLOW_BLINK);
  EXPECT_EQ(shown(6, 1), kYellow);
  key(matrix(), Qt::Key_Delete);
  EXPECT_EQ(config_matrix().at(6, 1), LED_OFF);

  // Grey cells never change, by any key.
  for (int i = 0; i < 2; ++i) key(matrix(), Qt::Key_Up);
  ASSERT_EQ(window().selectedMatrixRow(), 4);
  for (const int edit : {Qt::Key_Space, Qt::Key_2, Qt::Key_Delete}) key(matrix(), edit);
  EXPECT_EQ(config_matrix().at(4, 1), LED_NOT_AVAILABLE);
  key(matrix(), Qt::Key_End);
  key(matrix(), Qt::Key_End, Qt::ControlModifier);
  key(matrix(), Qt::Key_1);
  EXPECT_EQ(config_matrix().at(304, 24), LED_SLOW_BLINK);

  // Each action is one step; undo brings the grid to the row it changes.
  for (int i = 0; i < 3; ++i) key(matrix(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(config_matrix().at(304, 24), LED_OFF);
  EXPECT_EQ(config_matrix().at(6, 1), LED_OFF);  // Delete, then Space undone
  EXPECT_EQ(config_matrix().at(5, 1), LED_STEADY);
  EXPECT_EQ(window().selectedMatrixRow(), 6);
  EXPECT_EQ(window().selectedLabelRow(), 6);
  EXPECT_EQ(ui().DrawGrid1->verticalScrollBar()->value(), ui().StringGrid2->verticalScrollBar()->value());
  EXPECT_TRUE(ui().DrawGrid1->visualRect(ui().DrawGrid1->model()->index(6, 1)).intersects(ui().DrawGrid1->viewport()->rect()));
  key(matrix(), Qt::Key_Z, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_EQ(config_matrix().at(6, 1), LED_SLOW_BLINK);
}

TEST_F(EditingTest, TheCurrentCellIsFramedWhileTheGridHasTheFocus) {
  click(9, 3);  // yellow, and the grid has the focus
  click(9, 5);  // yellow, now the current cell
  ASSERT_TRUE(ui().DrawGrid1->hasFocus());
  EXPECT_NE(cellImage(9, 5), cellImage(9, 3));
  EXPECT_EQ(shown(9, 5), kYellow);  // the colour itself stays
  ui().StringGrid2->setFocus();
  EXPECT_EQ(cellImage(9, 5), cellImage(9, 3));
}

TEST_F(EditingTest, RowsGoThroughTheClipboard) {
  for (int i = 0; i < 3; ++i) click(5, 0);
  click(5, 7);
  key(matrix(), Qt::Key_C, Qt::ControlModifier);
  const QString copied = QGuiApplication::clipboard()->text();
  EXPECT_EQ(copied, QStringLiteral("3\t0\t0\t0\t0\t0\t0\t1\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0"));

  const QPoint label_8 = ui().StringGrid2->visualRect(ui().StringGrid2->model()->index(8, 0)).center();
  QTest::mouseClick(ui().StringGrid2->viewport(), Qt::LeftButton, {}, label_8);
  key(ui().StringGrid2, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(row(8), row(5));
  EXPECT_EQ(shown(8, 0), kRed);
  key(ui().StringGrid2, Qt::Key_Z, Qt::ControlModifier);  // the paste is one step
  EXPECT_EQ(row(8), std::vector<std::uint8_t>(25, LED_OFF));
  EXPECT_EQ(config_matrix().at(5, 0), LED_STEADY);

  const ConfigMatrix before = config_matrix();
  const int steps = window().editHistory().stack().count();
  QGuiApplication::clipboard()->setText(QStringLiteral("adr 0. Alarm I\t3"));
  key(matrix(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(config_matrix(), before);
  EXPECT_EQ(window().editHistory().stack().count(), steps);
  EXPECT_EQ(ui().Status->currentMessage(), QStringLiteral("Schowek nie zawiera wierszy konfiguracji."));
}

}  // namespace
