// SPDX-License-Identifier: MIT
// Editing beside the mouse, through real key events on the shown window:
// undo and redo, keys that move and edit the current cell, rows through the
// clipboard, blocks spanned with Shift and edited, copied and pasted whole.
// The mouse's own editing is in grid_editor_test.cpp.

#include <QAbstractItemModel>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QScrollBar>
#include <QPushButton>
#include <QStatusBar>

#include <functional>
#include <optional>
#include <tuple>

#include "config/address_fill.h"
#include "config/cell_block.h"
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
  void click(int row, int column, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(ui().DrawGrid1->viewport(), Qt::LeftButton, modifiers, cellCentre(row, column));
  }
  // A block spanned from a clicked cell (which the click cycles) to another.
  void spanBlock(int row, int column, int to_row, int to_column) {
    click(row, column);
    click(to_row, to_column, Qt::ShiftModifier);
  }
  void expectCurrentCell(int row, int column) {
    EXPECT_EQ(window().selectedMatrixRow(), row);
    EXPECT_EQ(window().selectedLabelRow(), row);
    EXPECT_EQ(ui().StringGrid3->currentIndex().column(), column);
    EXPECT_EQ(ui().TestButton->isEnabled(), is_address_row(row));
  }
  int steps() { return window().editHistory().stack().count(); }
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

const QColor kWhite(255, 255, 255), kYellow(255, 255, 0), kBlue(0, 0, 255), kRed(255, 0, 0), kGrey(128, 128, 128),
    kBlack(0, 0, 0);

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

TEST_F(EditingTest, ShiftClickAndShiftKeysSpanABlockFromTheCurrentCell) {
  click(5, 2);
  const ConfigMatrix clicked = config_matrix();
  click(8, 4, Qt::ShiftModifier);  // cycles no cell, neither on press nor on release
  EXPECT_EQ(config_matrix(), clicked);
  EXPECT_EQ(window().selectedBlock(), (CellBlock{5, 2, 8, 4}));
  expectCurrentCell(8, 4);  // the last cell reached

  const struct {
    int key;
    CellBlock block;
  } keys[] = {{Qt::Key_Right, {5, 2, 8, 5}}, {Qt::Key_Up, {5, 2, 7, 5}},         {Qt::Key_Home, {5, 2, 7, 0}},
              {Qt::Key_End, {5, 2, 7, 24}},  {Qt::Key_PageDown, {5, 2, 25, 24}}, {Qt::Key_PageUp, {5, 2, 7, 24}}};
  for (const auto& k : keys) {
    key(matrix(), k.key, Qt::ShiftModifier);
    EXPECT_EQ(window().selectedBlock(), k.block) << k.key;
    expectCurrentCell(k.block.row, k.block.column);
  }
  click(12, 1, Qt::ShiftModifier);  // Shift+click moves the block's far corner, from the same anchor
  EXPECT_EQ(window().selectedBlock(), (CellBlock{5, 2, 12, 1}));
  EXPECT_EQ(config_matrix(), clicked);

  key(matrix(), Qt::Key_Left);  // a plain arrow ends the block and moves as before
  EXPECT_EQ(window().selectedBlock(), CellBlock::at(12, 0));
  key(matrix(), Qt::Key_Down, Qt::ShiftModifier);
  click(13, 0);  // so does a plain click, which cycles its cell as before
  EXPECT_EQ(window().selectedBlock(), CellBlock::at(13, 0));
  EXPECT_EQ(config_matrix().at(13, 0), LED_SLOW_BLINK);
}

TEST_F(EditingTest, ASelectedBlockIsFramedAndKeepsItsColours) {
  click(9, 3);  // yellow
  const QImage plain_inside = cellImage(10, 4), plain_outside = cellImage(10, 6);
  click(11, 5, Qt::ShiftModifier);
  ASSERT_EQ(window().selectedBlock(), (CellBlock{9, 3, 11, 5}));
  EXPECT_EQ(shown(9, 3), kYellow);  // every cell's centre keeps its mode colour
  EXPECT_EQ(shown(10, 4), kWhite);
  const QImage inside = cellImage(10, 4), corner = cellImage(9, 3);
  EXPECT_NE(inside, plain_inside);  // each cell has its inner border
  EXPECT_EQ(inside.pixelColor(2, 11), QColor(64, 64, 64));
  EXPECT_EQ(inside.pixelColor(0, 11), kWhite);  // no frame inside the block
  for (const QPoint edge : {QPoint(0, 11), QPoint(1, 11), QPoint(11, 0), QPoint(11, 1)})
    EXPECT_EQ(corner.pixelColor(edge), kBlack) << edge.x() << "," << edge.y();  // the frame, 2 px
  EXPECT_EQ(corner.pixelColor(2, 11), QColor(64, 64, 64));
  EXPECT_EQ(cellImage(10, 6), plain_outside);
  // The labels and numbers highlight the current cell's row and column.
  EXPECT_EQ(window().selectedLabelRow(), 11);
  EXPECT_EQ(ui().StringGrid3->currentIndex().column(), 5);
}

TEST_F(EditingTest, DigitsDeleteAndSpaceEditAWholeBlockAsOneStepEach) {
  spanBlock(3, 0, 5, 2);  // rows 3-5 with the grey row 4; the click made (3, 0) yellow
  const CellBlock block{3, 0, 5, 2};
  const auto block_holds = [&](std::uint8_t mode) {
    for (int r = 3; r <= 5; ++r)
      for (int c = 0; c <= 2; ++c)
        EXPECT_EQ(config_matrix().at(r, c), r == 4 ? std::uint8_t{LED_NOT_AVAILABLE} : mode) << r << "," << c;
    EXPECT_EQ(config_matrix().at(3, 3), LED_OFF);
    EXPECT_EQ(config_matrix().at(6, 0), LED_OFF);
  };
  const int before = steps();
  key(matrix(), Qt::Key_2);
  block_holds(LED_FAST_BLINK);
  EXPECT_EQ(shown(5, 2), kBlue);
  EXPECT_EQ(shown(4, 1), kGrey);
  key(matrix(), Qt::Key_Space);
  block_holds(LED_STEADY);
  key(matrix(), Qt::Key_Delete);
  block_holds(LED_OFF);
  EXPECT_EQ(steps(), before + 3);
  EXPECT_EQ(window().selectedBlock(), block);  // an edit keeps the block

  // Undo gives back the cells and the block, from wherever the user is.
  key(matrix(), Qt::Key_End, Qt::ControlModifier);
  key(matrix(), Qt::Key_Z, Qt::ControlModifier);
  block_holds(LED_STEADY);
  EXPECT_EQ(window().selectedBlock(), block);
  expectCurrentCell(5, 2);
  key(matrix(), Qt::Key_Z, Qt::ControlModifier);
  block_holds(LED_FAST_BLINK);
  key(matrix(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(config_matrix().at(3, 0), LED_SLOW_BLINK);  // back to the click alone
  EXPECT_EQ(config_matrix().at(5, 2), LED_OFF);
}

TEST_F(EditingTest, BlocksGoThroughTheClipboardAtAnOffsetAndAtTheEdge) {
  for (const auto& [r, c, times] : {std::tuple{10, 3, 1}, {10, 5, 3}, {11, 4, 2}})
    for (int i = 0; i < times; ++i) click(r, c);
  key(matrix(), Qt::Key_Up);
  key(matrix(), Qt::Key_Right);
  click(11, 3, Qt::ShiftModifier);  // 3 columns by 2 rows, spanned from the top right
  key(matrix(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("1\t0\t3\n0\t2\t0"));

  key(matrix(), Qt::Key_Down);
  for (int i = 0; i < 20; ++i) key(matrix(), Qt::Key_Down);
  for (int i = 0; i < 4; ++i) key(matrix(), Qt::Key_Right);  // (32, 7)
  const ConfigMatrix before = config_matrix();
  key(matrix(), Qt::Key_V, Qt::ControlModifier);
  ConfigMatrix expected = before;
  for (const CellValue& cell : std::vector<CellValue>{{32, 7, 1}, {32, 9, 3}, {33, 8, 2}})
    expected.set(cell.row, cell.column, cell.value);
  EXPECT_EQ(config_matrix(), expected);
  EXPECT_EQ(shown(32, 9), kRed);
  key(matrix(), Qt::Key_Z, Qt::ControlModifier);  // one step
  EXPECT_EQ(config_matrix(), before);

  key(matrix(), Qt::Key_End, Qt::ControlModifier);
  key(matrix(), Qt::Key_End);
  key(matrix(), Qt::Key_Left);  // (304, 23): one row and two columns are left
  key(matrix(), Qt::Key_V, Qt::ControlModifier);
  expected = before;
  expected.set(304, 23, 1);
  EXPECT_EQ(config_matrix(), expected);
}

TEST_F(EditingTest, FillButtonAppliesTheRuleOfItsDialogAsOneStep) {
  EXPECT_EQ(ui().FillButton->geometry(), QRect(736, 472, 75, 25));
  EXPECT_EQ(ui().FillButton->text(), QStringLiteral("Wypełnij..."));
  EXPECT_EQ(ui().FillButton->property("hint").toString(), QStringLiteral("Wypełnij adresy według reguły"));
  std::optional<AddressFill> answer = AddressFill{0, 24, 1, true, {LED_SLOW_BLINK, LED_STEADY, LED_FAST_BLINK}};
  window().askAddressFill = [&] { return answer; };
  const int before = steps();
  ui().FillButton->click();
  EXPECT_EQ(ui().Status->currentMessage(), QStringLiteral("Wypełniono: 75 komórek."));
  EXPECT_EQ(config_matrix().at(6 + 3 * 7, 7), LED_STEADY);  // address 7's Alarm II lights lamp 8
  EXPECT_EQ(steps(), before + 1);
  window().UndoClick();
  EXPECT_EQ(config_matrix(), ConfigMatrix());
  answer.reset();  // Anuluj
  ui().FillButton->click();
  EXPECT_EQ(config_matrix(), ConfigMatrix());
  EXPECT_EQ(steps(), before + 1);
}

// A status about an edit goes with the next change of the grid; one about
// something else (a file, the module) stays until another takes its place.
TEST_F(EditingTest, AStatusAboutAnEditGoesWithTheNextChangeOfTheGrid) {
  window().askAddressFill = [] {
    return std::optional<AddressFill>(AddressFill{0, 24, 1, true, {LED_SLOW_BLINK, LED_STEADY, LED_FAST_BLINK}});
  };
  const QString filled = QStringLiteral("Wypełniono: 75 komórek.");
  const QString no_rows = QStringLiteral("Schowek nie zawiera wierszy konfiguracji.");
  const auto fill = [&] { ui().FillButton->click(); };
  const auto bad_paste = [&] {
    QGuiApplication::clipboard()->setText(QStringLiteral("nie konfiguracja"));
    key(matrix(), Qt::Key_V, Qt::ControlModifier);
  };
  struct Case {
    const char* name;
    std::function<void()> earlier;  // the edit that set the status
    QString status;
    std::function<void()> change;
  };
  const Case cases[] = {
      {"fill, then a key", fill, filled, [&] { key(matrix(), Qt::Key_3); }},
      {"fill, then a click", fill, filled, [&] { click(200, 3); }},
      {"fill, then undo", fill, filled, [&] { key(matrix(), Qt::Key_Z, Qt::ControlModifier); }},
      {"fill, then a paste", fill, filled, [&] {
         QGuiApplication::clipboard()->setText(QStringLiteral("2\t2"));
         key(matrix(), Qt::Key_V, Qt::ControlModifier);
       }},
      {"a refused paste, then a key", bad_paste, no_rows, [&] { key(matrix(), Qt::Key_Delete); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    config_matrix().reset();
    window().repaintMatrix();
    click(250, 0);  // the current cell; left lit so Delete changes it
    c.earlier();
    ASSERT_EQ(ui().Status->currentMessage(), c.status);
    const ConfigMatrix before = config_matrix();
    c.change();
    ASSERT_NE(config_matrix(), before);
    EXPECT_EQ(ui().Status->currentMessage(), QString());
  }

  window().setStatusText(QStringLiteral("Konfiguracja zapisana!"));
  click(250, 1);
  EXPECT_EQ(ui().Status->currentMessage(), QStringLiteral("Konfiguracja zapisana!"));
}

// Every key of the grid does the same from the grid, from its row labels
// and from a button of the page that has the focus (reached by Tab, then
// clicked); only Space presses such a button instead.
TEST_F(EditingTest, KeysActTheSameFromTheGridTheLabelsAndAButtonOfThePage) {
  int fill_asked = 0;
  window().askAddressFill = [&] {
    ++fill_asked;
    return std::optional<AddressFill>();  // Anuluj
  };
  window().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
  const int page = ui().DrawGrid1->viewport()->height() / 24;

  enum class Place { grid, labels, button };
  // From the current cell (10, 5), which holds 2.
  struct Case {
    const char* name;
    int key;
    Qt::KeyboardModifiers modifiers;
    CellBlock block;    // its current cell is where the key leads
    std::uint8_t mode;  // of cell (10, 5) afterwards
  };
  const Case cases[] = {
      {"Up", Qt::Key_Up, {}, CellBlock::at(9, 5), 2},
      {"Down", Qt::Key_Down, {}, CellBlock::at(11, 5), 2},
      {"PageUp", Qt::Key_PageUp, {}, CellBlock::at(std::max(0, 10 - page), 5), 2},
      {"PageDown", Qt::Key_PageDown, {}, CellBlock::at(10 + page, 5), 2},
      {"Ctrl+Home", Qt::Key_Home, Qt::ControlModifier, CellBlock::at(0, 5), 2},
      {"Ctrl+End", Qt::Key_End, Qt::ControlModifier, CellBlock::at(304, 5), 2},
      {"Left", Qt::Key_Left, {}, CellBlock::at(10, 4), 2},
      {"Right", Qt::Key_Right, {}, CellBlock::at(10, 6), 2},
      {"Home", Qt::Key_Home, {}, CellBlock::at(10, 0), 2},
      {"End", Qt::Key_End, {}, CellBlock::at(10, 24), 2},
      {"Shift+Right", Qt::Key_Right, Qt::ShiftModifier, {10, 5, 10, 6}, 2},
      {"Shift+Down", Qt::Key_Down, Qt::ShiftModifier, {10, 5, 11, 5}, 2},
      {"Shift+End", Qt::Key_End, Qt::ShiftModifier, {10, 5, 10, 24}, 2},
      {"Shift+PageDown", Qt::Key_PageDown, Qt::ShiftModifier, {10, 5, 10 + page, 5}, 2},
      {"Space", Qt::Key_Space, {}, CellBlock::at(10, 5), 3},
      {"0", Qt::Key_0, {}, CellBlock::at(10, 5), 0},
      {"1", Qt::Key_1, {}, CellBlock::at(10, 5), 1},
      {"3", Qt::Key_3, {}, CellBlock::at(10, 5), 3},
      {"Delete", Qt::Key_Delete, {}, CellBlock::at(10, 5), 0},
      {"Ctrl+Z", Qt::Key_Z, Qt::ControlModifier, CellBlock::at(10, 5), 1},
  };
  const std::pair<Place, const char*> places[] = {
      {Place::grid, "the grid"}, {Place::labels, "the labels"}, {Place::button, "a button"}};
  for (const auto& [place, place_name] : places) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(place_name) + ", " + c.name);
      config_matrix().reset();
      window().repaintMatrix();
      ui().DrawGrid1->scrollToTop();  // the labels follow
      click(10, 5);
      click(10, 5);  // two steps: the cell holds 2
      QWidget* focused = ui().DrawGrid1;
      if (place == Place::labels) {
        const QRect label = ui().StringGrid2->visualRect(ui().StringGrid2->model()->index(10, 0));
        QTest::mouseClick(ui().StringGrid2->viewport(), Qt::LeftButton, {}, label.center());
        focused = ui().StringGrid2;
      } else if (place == Place::button) {
        ui().FillButton->setFocus(Qt::TabFocusReason);
        ui().FillButton->click();
        focused = ui().FillButton;
      }
      ASSERT_EQ(QApplication::focusWidget(), focused);
      const int asked = fill_asked;
      QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(c.key), c.modifiers);
      if (place == Place::button && c.key == Qt::Key_Space) {
        EXPECT_EQ(fill_asked, asked + 1);  // a button with the focus is pressed
        EXPECT_EQ(config_matrix().at(10, 5), 2);
        continue;
      }
      expectCurrentCell(c.block.row, c.block.column);
      EXPECT_EQ(window().selectedBlock(), c.block);
      EXPECT_EQ(config_matrix().at(10, 5), c.mode);
      EXPECT_EQ(fill_asked, asked);
    }
  }

  // A click on a button leaves the keyboard where it was; Tab still reaches the buttons.
  ui().DrawGrid1->setFocus();
  QTest::mouseClick(ui().FillButton, Qt::LeftButton);
  EXPECT_EQ(QApplication::focusWidget(), ui().DrawGrid1);
  bool reached = false;
  for (int i = 0; i < 40 && !reached; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    reached = QApplication::focusWidget() == ui().FillButton;
  }
  EXPECT_TRUE(reached);
}

}  // namespace
