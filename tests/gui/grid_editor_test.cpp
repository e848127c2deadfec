// SPDX-License-Identifier: MIT
// The grid editor driven with the mouse and keyboard on the real window:
// what the user sees (pixels of DrawGrid1), the matrix, the selections of
// the three grids and the state of TestButton.

#include <QAbstractItemModel>
#include <QAccessible>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableWidget>
#include <QToolTip>

#include "config/config_matrix.h"
#include "window_fixture.h"

namespace {

const QColor kWhite(255, 255, 255), kYellow(255, 255, 0), kBlue(0, 0, 255), kRed(255, 0, 0),
    kGrey(128, 128, 128), kBlack(0, 0, 0);

class GridEditorTest : public WindowTest {
 protected:
  QAbstractItemModel* model() { return ui().DrawGrid1->model(); }
  QWidget* matrixArea() { return ui().DrawGrid1->viewport(); }
  QWidget* labelArea() { return ui().StringGrid2->viewport(); }

  QPoint cellCentre(int row, int column) { return ui().DrawGrid1->visualRect(model()->index(row, column)).center(); }
  QPoint labelCentre(int row) {
    return ui().StringGrid2->visualRect(ui().StringGrid2->model()->index(row, 0)).center();
  }

  // The colour the cell is painted in on screen.
  QColor shown(int row, int column) {
    const QImage image = matrixArea()->grab().toImage();
    return image.pixelColor(cellCentre(row, column));
  }

  void click(Qt::MouseButton button, int row, int column) {
    QTest::mouseClick(matrixArea(), button, {}, cellCentre(row, column));
  }
  void clickLabel(Qt::MouseButton button, int row) { QTest::mouseClick(labelArea(), button, {}, labelCentre(row)); }

  int headerColumn() { return ui().StringGrid3->currentIndex().column(); }
};

TEST_F(GridEditorTest, StartsWhiteWithTheNoFunctionRowGrey) {
  EXPECT_EQ(config_matrix(), ConfigMatrix());
  for (int row = 0; row < ConfigMatrix::kRows; ++row) {
    for (int column = 0; column < ConfigMatrix::kColumns; ++column) {
      const QColor expected = row == 4 ? kGrey : kWhite;
      ASSERT_EQ(model()->index(row, column).data(Qt::BackgroundRole).value<QColor>(), expected) << row << "," << column;
    }
  }
  const QImage image = matrixArea()->grab().toImage();
  for (int row = 0; row < 18; ++row) {
    for (int column = 0; column < ConfigMatrix::kColumns; ++column) {
      ASSERT_EQ(image.pixelColor(cellCentre(row, column)), row == 4 ? kGrey : kWhite) << row << "," << column;
    }
  }
  ASSERT_EQ(ui().StringGrid3->columnCount(), 25);
  for (int column = 0; column < 25; ++column) {
    EXPECT_EQ(ui().StringGrid3->item(0, column)->text(), QString::number(column + 1));
  }
  EXPECT_EQ(model()->rowCount(), 305);
  EXPECT_EQ(ui().StringGrid2->rowCount(), 305);
  const std::pair<int, const char*> labels[] = {
      {0, "Brak zdarzeń"}, {1, "Strata łączności"}, {2, "Test wyjść"},    {3, "Po resecie"},
      {4, "(brak funckji)"}, {5, "adr 0. Alarm I"}, {27, "adr 7. Alarm II"}, {304, "adr 99. Awaria"},
  };
  for (const auto& [row, text] : labels) EXPECT_EQ(ui().StringGrid2->item(row, 0)->text(), QString::fromUtf8(text));
  EXPECT_TRUE(ui().TestButton->isEnabled());
  EXPECT_EQ(window().selectedMatrixRow(), 0);
  EXPECT_EQ(window().selectedLabelRow(), 0);
  EXPECT_EQ(headerColumn(), 0);
  EXPECT_EQ(ui().DrawGrid1->verticalScrollBar()->value(), 0);
}

TEST_F(GridEditorTest, CreatingTheWindowResetsTheMatrix) {
  config_matrix().set(10, 3, LED_STEADY);
  config_matrix().set(4, 0, LED_OFF);
  TForm_main another;
  EXPECT_EQ(config_matrix(), ConfigMatrix());
}

TEST_F(GridEditorTest, FourLeftClicksRunThroughTheModes) {
  const QColor expected[] = {kYellow, kBlue, kRed, kWhite};
  const std::uint8_t values[] = {1, 2, 3, 0};
  for (int i = 0; i < 4; ++i) {
    click(Qt::LeftButton, 5, 2);
    EXPECT_EQ(config_matrix().at(5, 2), values[i]);
    EXPECT_EQ(shown(5, 2), expected[i]) << "click " << i + 1;
  }
  EXPECT_TRUE(ui().TestButton->isEnabled());
  EXPECT_EQ(window().selectedLabelRow(), 5);
  EXPECT_EQ(window().selectedMatrixRow(), 5);
  EXPECT_EQ(headerColumn(), 2);
}

// Without its colour a cell still tells its mode: in the tool tip shown on
// hover and in the text a screen reader reads, both from the model.
TEST_F(GridEditorTest, EveryCellSaysItsModeOnHoverAndToAScreenReader) {
  struct Case {
    int row, column, clicks;
    const char* text;
  };
  const Case cases[] = {
      {5, 0, 0, "adr 0. Alarm I, wyjście 1: wyłączone"},
      {5, 2, 1, "adr 0. Alarm I, wyjście 3: wolne miganie"},
      {6, 2, 2, "adr 0. Alarm II, wyjście 3: szybkie miganie"},
      {0, 24, 3, "Brak zdarzeń, wyjście 25: ciągłe świecenie"},
      {4, 7, 1, "(brak funckji), wyjście 8: niedostępne"},
  };
  QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(ui().DrawGrid1);
  ASSERT_NE(grid, nullptr);
  ASSERT_NE(grid->tableInterface(), nullptr);
  for (const Case& c : cases) {
    for (int i = 0; i < c.clicks; ++i) click(Qt::LeftButton, c.row, c.column);
    const QString text = QString::fromUtf8(c.text);
    QAccessibleInterface* read = grid->tableInterface()->cellAt(c.row, c.column);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->text(QAccessible::Name), text);
    EXPECT_TRUE(showsToolTipOnHover(matrixArea(), cellCentre(c.row, c.column) + QPoint(1, 1), text))
        << c.text << ", shown: " << QToolTip::text().toStdString();
  }
}

TEST_F(GridEditorTest, AClickRepaintsOnlyItsCell) {
  QSignalSpy changed(model(), &QAbstractItemModel::dataChanged);
  click(Qt::LeftButton, 7, 11);
  ASSERT_EQ(changed.count(), 1);
  const QModelIndex from = changed.first().at(0).toModelIndex();
  const QModelIndex to = changed.first().at(1).toModelIndex();
  EXPECT_EQ(from, to);
  EXPECT_EQ(from.row(), 7);
  EXPECT_EQ(from.column(), 11);
}

TEST_F(GridEditorTest, ADoubleClickCountsAsTwoClicks) {
  // What a widget receives for a double click: press, release, double-click press, release.
  QTest::mouseClick(matrixArea(), Qt::LeftButton, {}, cellCentre(9, 4));
  QTest::mouseDClick(matrixArea(), Qt::LeftButton, {}, cellCentre(9, 4));
  QTest::mouseRelease(matrixArea(), Qt::LeftButton, {}, cellCentre(9, 4));
  EXPECT_EQ(config_matrix().at(9, 4), LED_FAST_BLINK);
  EXPECT_EQ(shown(9, 4), kBlue);
  EXPECT_EQ(window().pressedCell(), (GridCell{4, 9}));
}

TEST_F(GridEditorTest, ReleaseEditsTheCellWhereTheButtonWentDown) {
  QTest::mousePress(matrixArea(), Qt::LeftButton, {}, cellCentre(6, 2));
  QTest::mouseMove(matrixArea(), cellCentre(8, 5));
  QTest::mouseRelease(matrixArea(), Qt::LeftButton, {}, cellCentre(8, 5));
  ConfigMatrix expected;
  expected.set(6, 2, LED_SLOW_BLINK);
  EXPECT_EQ(config_matrix(), expected);
  EXPECT_EQ(shown(6, 2), kYellow);
  EXPECT_EQ(shown(8, 5), kWhite);
  EXPECT_EQ(window().selectedLabelRow(), 6);
  EXPECT_EQ(window().selectedMatrixRow(), 6);  // dragging does not carry the selection along
  EXPECT_EQ(headerColumn(), 2);
}

TEST_F(GridEditorTest, RightClickSelectsWithoutEditing) {
  click(Qt::RightButton, 3, 7);
  EXPECT_EQ(config_matrix(), ConfigMatrix());
  EXPECT_EQ(window().selectedLabelRow(), 3);
  EXPECT_EQ(window().selectedMatrixRow(), 3);
  EXPECT_EQ(headerColumn(), 7);
  EXPECT_EQ(ui().StringGrid3->horizontalScrollBar()->value(), 0);
  EXPECT_FALSE(ui().TestButton->isEnabled());

  click(Qt::RightButton, 10, 24);
  EXPECT_EQ(config_matrix(), ConfigMatrix());
  EXPECT_EQ(window().selectedMatrixRow(), 10);
  EXPECT_EQ(headerColumn(), 24);
  EXPECT_EQ(ui().StringGrid3->horizontalScrollBar()->value(), 0);  // column 1 stays the first shown
  EXPECT_TRUE(ui().TestButton->isEnabled());
  EXPECT_EQ(shown(10, 24), kWhite);
}

TEST_F(GridEditorTest, TheGreyRowCannotBeChangedAndCannotBeTested) {
  click(Qt::LeftButton, 4, 12);
  EXPECT_EQ(config_matrix().at(4, 12), LED_NOT_AVAILABLE);
  EXPECT_EQ(shown(4, 12), kGrey);
  EXPECT_EQ(window().selectedLabelRow(), 4);
  EXPECT_FALSE(ui().TestButton->isEnabled());
}

TEST_F(GridEditorTest, LabelClicksSelectTheRowAndSetTestButton) {
  struct Case {
    Qt::MouseButton button;
    int row;
    bool testable;
  };
  const Case cases[] = {
      {Qt::LeftButton, 3, false}, {Qt::LeftButton, 5, true},  {Qt::RightButton, 0, false},
      {Qt::RightButton, 17, true}, {Qt::LeftButton, 4, false}, {Qt::LeftButton, 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    clickLabel(c.button, c.row);
    EXPECT_EQ(window().selectedLabelRow(), c.row);
    EXPECT_EQ(window().selectedMatrixRow(), c.row);
    EXPECT_EQ(ui().TestButton->isEnabled(), c.testable);
  }
  EXPECT_EQ(config_matrix(), ConfigMatrix());
}

TEST_F(GridEditorTest, ACellLoadedWithAnUnknownValueIsBlackUntilClicked) {
  config_matrix().set(8, 3, 7);
  window().repaintMatrix();
  EXPECT_EQ(shown(8, 3), kBlack);
  click(Qt::LeftButton, 8, 3);
  EXPECT_EQ(config_matrix().at(8, 3), LED_OFF);
  EXPECT_EQ(shown(8, 3), kWhite);
}

TEST_F(GridEditorTest, ReplacedMatrixIsRepaintedWhole) {
  config_matrix().bytes().fill(LED_FAST_BLINK);
  window().repaintMatrix();
  EXPECT_EQ(shown(0, 0), kBlue);
  EXPECT_EQ(shown(4, 12), kBlue);
  EXPECT_EQ(shown(17, 24), kBlue);
}

TEST_F(GridEditorTest, PressesOutsideEveryCellChangeNothing) {
  QScrollBar* bar = ui().DrawGrid1->verticalScrollBar();
  bar->setValue(bar->maximum());
  const QRect last = ui().DrawGrid1->visualRect(model()->index(304, 0));
  ASSERT_GE(last.bottom() + 1, matrixArea()->height() - 1) << "the last row ends the visible area";
  const QPoint on_frame(last.center().x(), matrixArea()->height() + 1);  // just below the last row
  const QPoint past_last_row(last.center().x(), last.bottom() + 30);

  click(Qt::RightButton, 300, 3);  // a known selection and button state
  click(Qt::LeftButton, 300, 3);   // and a previous press on a cell
  const ConfigMatrix before = config_matrix();
  ASSERT_TRUE(ui().TestButton->isEnabled());
  const auto unchanged = [&] {
    EXPECT_EQ(config_matrix(), before);
    EXPECT_EQ(window().selectedMatrixRow(), 300);
    EXPECT_EQ(window().selectedLabelRow(), 300);
    EXPECT_EQ(headerColumn(), 3);
    EXPECT_TRUE(ui().TestButton->isEnabled());
  };

  QTest::mouseClick(matrixArea(), Qt::LeftButton, {}, on_frame);
  QTest::mouseClick(matrixArea(), Qt::RightButton, {}, on_frame);
  unchanged();

  window().DrawGrid1MouseDown(Qt::LeftButton, past_last_row.x(), past_last_row.y());
  EXPECT_FALSE(window().pressedCell().valid());
  window().DrawGrid1MouseUp(Qt::LeftButton, past_last_row.x(), past_last_row.y());
  unchanged();
  // A release on a cell after a press outside edits nothing, not even the cell pressed before.
  window().DrawGrid1MouseUp(Qt::LeftButton, cellCentre(300, 3).x(), cellCentre(300, 3).y());
  unchanged();
  window().DrawGrid1MouseDown(Qt::RightButton, past_last_row.x(), past_last_row.y());
  unchanged();

  // Pressed on a cell but released below the last row: no edit either.
  window().DrawGrid1MouseDown(Qt::LeftButton, cellCentre(301, 1).x(), cellCentre(301, 1).y());
  window().DrawGrid1MouseUp(Qt::LeftButton, past_last_row.x(), past_last_row.y());
  unchanged();

  window().StringGrid2MouseDown(Qt::LeftButton, 10, past_last_row.y());
  QTest::mouseClick(labelArea(), Qt::LeftButton, {}, QPoint(10, labelArea()->height() + 1));
  unchanged();
}

TEST_F(GridEditorTest, RowsOfLabelsAndMatrixLineUp) {
  for (int row = 0; row < 18; ++row) {
    const QRect label = ui().StringGrid2->visualRect(ui().StringGrid2->model()->index(row, 0));
    const QRect cell = ui().DrawGrid1->visualRect(model()->index(row, 0));
    EXPECT_EQ(labelArea()->mapTo(&window(), label.topLeft()).y(), matrixArea()->mapTo(&window(), cell.topLeft()).y());
    EXPECT_EQ(label.height(), cell.height());
  }
  for (int column = 0; column < 25; ++column) {
    const QRect number = ui().StringGrid3->visualRect(ui().StringGrid3->model()->index(0, column));
    const QRect cell = ui().DrawGrid1->visualRect(model()->index(0, column));
    EXPECT_EQ(ui().StringGrid3->viewport()->mapTo(&window(), number.topLeft()).x(),
              matrixArea()->mapTo(&window(), cell.topLeft()).x());
  }
  EXPECT_EQ(ui().DrawGrid1->rowHeight(0), 24);
  EXPECT_EQ(ui().DrawGrid1->columnWidth(0), 24);
  EXPECT_EQ(ui().StringGrid2->rowHeight(0), 24);
  EXPECT_EQ(ui().StringGrid3->columnWidth(0), 24);
}

TEST_F(GridEditorTest, ScrollingEitherGridScrollsTheOther) {
  QScrollBar* matrix = ui().DrawGrid1->verticalScrollBar();
  QScrollBar* labels = ui().StringGrid2->verticalScrollBar();
  EXPECT_EQ(matrix->maximum(), labels->maximum());
  EXPECT_EQ(matrix->maximum(), 305 - 18);

  for (const int top : {1, 100, matrix->maximum(), 0}) {
    matrix->setValue(top);
    EXPECT_EQ(labels->value(), top);
    EXPECT_EQ(ui().StringGrid2->rowAt(0), ui().DrawGrid1->rowAt(0));
  }
  labels->setValue(57);
  EXPECT_EQ(matrix->value(), 57);

  QTest::mouseClick(matrixArea(), Qt::LeftButton, {}, cellCentre(60, 0));  // scrolled into view above
  matrix->setValue(0);
  ASSERT_EQ(labels->value(), 0);
  EXPECT_TRUE(matrix->hasTracking());
}

TEST_F(GridEditorTest, APressOnThePartlyShownBottomRowActsOnThatRow) {
  // Rows 0-17 are shown whole and 2 px of row 18: a press on that strip
  // scrolls row 18 into view, and must still act on row 18.
  const QRect partial = ui().DrawGrid1->visualRect(model()->index(18, 6));
  ASSERT_LT(partial.top(), matrixArea()->height());
  ASSERT_GT(partial.bottom(), matrixArea()->height());
  const int strip_y = matrixArea()->height() - 1;
  const auto strip = [&](int column) { return QPoint(cellCentre(18, column).x(), strip_y); };

  QTest::mouseClick(matrixArea(), Qt::LeftButton, {}, strip(6));
  ConfigMatrix expected;
  expected.set(18, 6, LED_SLOW_BLINK);
  EXPECT_EQ(config_matrix(), expected);
  EXPECT_EQ(window().selectedMatrixRow(), 18);
  EXPECT_EQ(window().selectedLabelRow(), 18);
  EXPECT_GT(ui().DrawGrid1->verticalScrollBar()->value(), 0);  // the row was scrolled into view

  for (QScrollBar* bar : {ui().DrawGrid1->verticalScrollBar(), ui().StringGrid2->verticalScrollBar()}) bar->setValue(0);
  QTest::mouseClick(matrixArea(), Qt::RightButton, {}, strip(9));
  EXPECT_EQ(window().pressedCell(), (GridCell{9, 18}));
  EXPECT_EQ(window().selectedMatrixRow(), 18);

  for (QScrollBar* bar : {ui().DrawGrid1->verticalScrollBar(), ui().StringGrid2->verticalScrollBar()}) bar->setValue(0);
  QTest::mouseClick(labelArea(), Qt::LeftButton, {}, QPoint(10, strip_y));
  EXPECT_EQ(window().selectedLabelRow(), 18);
  EXPECT_EQ(window().selectedMatrixRow(), 18);
  EXPECT_EQ(config_matrix(), expected);
}

TEST_F(GridEditorTest, KeysMoveTheRowOfBothGridsAndSetTestButton) {
  click(Qt::RightButton, 2, 0);  // row 2: TestButton off
  ASSERT_FALSE(ui().TestButton->isEnabled());
  const auto expect_row = [&](int row) {
    EXPECT_EQ(window().selectedMatrixRow(), row);
    EXPECT_EQ(window().selectedLabelRow(), row);
    EXPECT_EQ(ui().TestButton->isEnabled(), is_address_row(row));
    EXPECT_EQ(ui().StringGrid2->verticalScrollBar()->value(), ui().DrawGrid1->verticalScrollBar()->value());
    const QRect shown_row = ui().DrawGrid1->visualRect(model()->index(row, 0));
    EXPECT_TRUE(matrixArea()->rect().contains(shown_row)) << "row " << row << " is scrolled into view";
  };

  ui().DrawGrid1->setFocus();
  for (int i = 0; i < 30; ++i) QTest::keyClick(ui().DrawGrid1, Qt::Key_Down);
  expect_row(32);
  QTest::keyClick(ui().DrawGrid1, Qt::Key_PageDown);
  expect_row(50);
  QTest::keyClick(ui().DrawGrid1, Qt::Key_End, Qt::ControlModifier);
  expect_row(304);

  ui().StringGrid2->setFocus();
  QTest::keyClick(ui().StringGrid2, Qt::Key_Home, Qt::ControlModifier);
  expect_row(0);
  for (int i = 0; i < 3; ++i) QTest::keyClick(ui().StringGrid2, Qt::Key_Down);
  expect_row(3);
  QTest::keyClicks(ui().StringGrid2, "adr");  // no type-to-search
  expect_row(3);
  QTest::keyClick(ui().StringGrid2, Qt::Key_PageDown);
  expect_row(21);
  QTest::keyClick(ui().StringGrid2, Qt::Key_Up);
  expect_row(20);
  EXPECT_EQ(config_matrix(), ConfigMatrix());
}

TEST_F(GridEditorTest, SelectedRowsCanBeReadAndMoved) {
  window().selectMatrixRow(150);
  window().selectLabelRow(151);
  EXPECT_EQ(window().selectedMatrixRow(), 150);
  EXPECT_EQ(window().selectedLabelRow(), 151);
  window().selectMatrixRow(305);  // past the last row: stays
  EXPECT_EQ(window().selectedMatrixRow(), 150);
  EXPECT_EQ(ui().StringGrid2->verticalScrollBar()->value(), ui().DrawGrid1->verticalScrollBar()->value());
  EXPECT_TRUE(ui().TestButton->isEnabled());
}

}  // namespace
