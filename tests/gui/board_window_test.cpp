// SPDX-License-Identifier: MIT
// The board window: the lamp picture of a row, its blinking on an injected
// clock, and the window that follows the main grid's selected row.

#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QToolTip>

#include "app/board_window.h"
#include "config/config_matrix.h"
#include "gui/lamp_board.h"
#include "window_fixture.h"

namespace {

const QColor kUnlit(64, 64, 64);
const QColor kYellow(255, 255, 0), kBlue(0, 0, 255), kRed(255, 0, 0);

// Lamps 1-4 off, slow, fast, steady; the rest off.
LampBoard::Modes one_of_each() {
  LampBoard::Modes modes{};
  modes[1] = LED_SLOW_BLINK;
  modes[2] = LED_FAST_BLINK;
  modes[3] = LED_STEADY;
  return modes;
}

QColor painted_centre(LampBoard& lamps, int lamp) {
  return lamps.grab().toImage().pixelColor(lamps.lampRect(lamp).center());
}

TEST(LampBoard, ColoursFollowEachModesRateInPhase) {
  LampBoard lamps;
  lamps.resize(lamps.minimumSizeHint());
  qint64 now = 0;
  lamps.setPhaseClock([&now] { return now; });
  LampBoard::Modes modes = one_of_each();
  modes[9] = LED_FAST_BLINK;  // a second lamp of one rate blinks with the first
  lamps.setModes(modes);
  struct Case {
    qint64 ms;
    QColor off, slow, fast, steady;
  };
  const Case cases[] = {
      {0, kUnlit, kYellow, kBlue, kRed},    {124, kUnlit, kYellow, kBlue, kRed},
      {125, kUnlit, kYellow, kUnlit, kRed}, {250, kUnlit, kYellow, kBlue, kRed},
      {499, kUnlit, kYellow, kUnlit, kRed}, {500, kUnlit, kUnlit, kBlue, kRed},
      {999, kUnlit, kUnlit, kUnlit, kRed},  {1000, kUnlit, kYellow, kBlue, kRed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ms);
    now = c.ms;
    EXPECT_EQ(lamps.lampColor(0), c.off);
    EXPECT_EQ(lamps.lampColor(1), c.slow);
    EXPECT_EQ(lamps.lampColor(2), c.fast);
    EXPECT_EQ(lamps.lampColor(3), c.steady);
    EXPECT_EQ(lamps.lampColor(9), lamps.lampColor(2));
    // What is painted is what the lamp shows.
    EXPECT_EQ(painted_centre(lamps, 2), c.fast);
    EXPECT_EQ(painted_centre(lamps, 3), c.steady);
  }
}

TEST(LampBoard, LampsInReadingOrderWithTipsAndTheirSize) {
  LampBoard lamps;
  lamps.resize(lamps.minimumSizeHint());
  lamps.setModes(one_of_each());
  EXPECT_GE(lamps.lampRect(0).width(), 32);
  // Reading order: 1-5 on the first row, 6 below 1.
  EXPECT_EQ(lamps.lampRect(4).top(), lamps.lampRect(0).top());
  EXPECT_GT(lamps.lampRect(4).left(), lamps.lampRect(3).left());
  EXPECT_EQ(lamps.lampRect(5).left(), lamps.lampRect(0).left());
  EXPECT_GT(lamps.lampRect(5).top(), lamps.lampRect(0).bottom());
  for (int lamp : {0, 6, 24}) EXPECT_EQ(lamps.lampAt(lamps.lampRect(lamp).center()), lamp);
  EXPECT_EQ(lamps.lampAt(QPoint(0, 0)), -1);

  EXPECT_EQ(lamps.lampToolTip(2), QString::fromUtf8("Wyjście 3: szybkie miganie"));
  EXPECT_EQ(lamps.lampToolTip(0), QString::fromUtf8("Wyjście 1: wyłączone"));
  lamps.show();
  QHelpEvent help(QEvent::ToolTip, lamps.lampRect(3).center(), lamps.mapToGlobal(lamps.lampRect(3).center()));
  QApplication::sendEvent(&lamps, &help);
  EXPECT_EQ(QToolTip::text(), QString::fromUtf8("Wyjście 4: ciągłe świecenie"));
  QToolTip::hideText();
}

// One timer for all lamps: running only while shown and something blinks.
TEST(LampBoard, TimerRunsOnlyWhileShownAndBlinking) {
  LampBoard lamps;
  lamps.setModes(one_of_each());
  EXPECT_FALSE(lamps.ticking());
  lamps.show();
  EXPECT_TRUE(lamps.ticking());
  lamps.hide();
  EXPECT_FALSE(lamps.ticking());
  lamps.show();
  LampBoard::Modes steady{};
  steady[0] = LED_STEADY;
  lamps.setModes(steady);
  EXPECT_FALSE(lamps.ticking());
}

// A name on up to two lines under its lamp, broken at a space, shortened only
// where two lines of the lamp's width do not hold it; more of it as the
// picture grows; whole in the tool tip.
TEST(LampBoard, NamesTakeTwoLinesOfTheLampsGrowingWidthAndWholeInTheTip) {
  const QFont font = QApplication::font();
  const QFontMetrics metrics(font);
  const QString name = QStringLiteral("Wejście główne od strony parkingu");
  const int whole = metrics.horizontalAdvance(name);
  struct Case {
    int width, lines;
    QStringList shown;  // "" where the line is shortened
  };
  const Case cases[] = {
      {whole + 1, 2, {name}},
      {metrics.horizontalAdvance(QStringLiteral("Wejście główne od")) + 1, 2, {"Wejście główne od", "strony parkingu"}},
      {metrics.horizontalAdvance(QStringLiteral("Wejście główne")) + 1, 2, {"Wejście główne", ""}},
      {metrics.horizontalAdvance(QStringLiteral("Wej")) + 1, 2, {"Wej", ""}},  // a word longer than the line breaks
      {whole + 1, 1, {name}},
      {metrics.horizontalAdvance(QStringLiteral("Wejście główne od")) + 1, 1, {""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    const QStringList lines = lamp_name_lines(name, font, c.width, c.lines);
    ASSERT_EQ(lines.size(), c.shown.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
      EXPECT_LE(metrics.horizontalAdvance(lines[i]), c.width);
      if (c.shown[i].isEmpty()) EXPECT_TRUE(lines[i].endsWith(QChar(0x2026))) << lines[i].toStdString();
      else EXPECT_EQ(lines[i], c.shown[i]);
    }
  }
  EXPECT_TRUE(lamp_name_lines({}, font, 100).isEmpty());

  LampBoard lamps;
  LampBoard::Names names;
  names[6] = name;
  lamps.setNames(names);
  lamps.resize(lamps.minimumSizeHint());  // too low for two lines
  EXPECT_EQ(lamps.shownName(6).size(), 1);
  EXPECT_NE(lamps.shownName(6).join(' '), name);
  lamps.resize(5 * (whole / 2 + 40), 600);
  EXPECT_EQ(lamps.shownName(6).join(' '), name);
  EXPECT_EQ(lamps.lampToolTip(6), QString::fromUtf8("Wyjście 7 (Wejście główne od strony parkingu): wyłączone"));
  // The lamp leaves room for its number, both lines and its letter.
  EXPECT_LE(lamps.lampRect(6).bottom() + 4 * lamps.fontMetrics().height(), lamps.lampRect(11).top());
}

class BoardWindowTest : public WindowTest {
 protected:
  BoardWindow& openBoard() {
    window().BoardButtonClick();
    BoardWindow* board = window().boardWindow();
    EXPECT_NE(board, nullptr);
    return *board;
  }
};

TEST_F(BoardWindowTest, TablicaOpensOneWindowWithTheLampsBesideTheTabs) {
  QPushButton* button = window().findChild<QPushButton*>(QStringLiteral("BoardButton"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->geometry(), QRect(736, 440, 75, 25));
  EXPECT_EQ(button->text(), QStringLiteral("Tablica..."));
  EXPECT_EQ(button->property("hint").toString(),
            QString::fromUtf8("Podgląd tablicy, test po kolei i monitor magistrali RS485"));
  button->click();
  BoardWindow* board = window().boardWindow();
  ASSERT_NE(board, nullptr);
  EXPECT_TRUE(board->isVisible());
  EXPECT_TRUE(board->isWindow());
  EXPECT_EQ(board->windowTitle(), QString::fromUtf8("Tablica synoptyczna – ZEL17"));
  EXPECT_EQ(board->minimumSize(), QSize(640, 440));
  EXPECT_EQ(board->tabs()->tabText(0), QStringLiteral("Test po kolei"));
  board->resize(board->minimumSize());
  QTest::qWait(1);
  EXPECT_GE(board->lamps()->lampRect(0).width(), 32);
  EXPECT_FALSE(board->lamps()->geometry().intersects(board->tabs()->geometry()));
  // The note under the lamps in smaller type than the window's pixel-sized font.
  auto* note = board->findChild<QLabel*>(QStringLiteral("BlinkNote"));
  ASSERT_NE(note, nullptr);
  EXPECT_GT(note->font().pixelSize(), 0);
  EXPECT_LT(note->font().pixelSize(), QApplication::font().pixelSize());

  // At 1270 pixels wide, the picture's half holds a name of two short lines whole.
  window().askNames = [](ProjectNames names) {
    names.lamps[6] = "Wejście główne od strony parkingu";
    return std::optional(names);
  };
  window().NamesButtonClick();
  board->resize(1270, 800);
  QTest::qWait(1);
  EXPECT_EQ(board->lamps()->shownName(6).join(' '), QString::fromUtf8("Wejście główne od strony parkingu"))
      << board->lamps()->width();
  EXPECT_GE(board->lamps()->width(), 1270 / 2 - 20);
  window().UndoClick();

  board->close();
  button->click();  // shown again, the same window
  EXPECT_EQ(window().boardWindow(), board);
  EXPECT_TRUE(board->isVisible());
  window().close();  // goes with the main window
  EXPECT_FALSE(board->isVisible());
}

// The lamps show the selected row and each change of it: a click, a key,
// undo, and a whole new grid.
TEST_F(BoardWindowTest, LampsFollowTheSelectedRowAndItsChanges) {
  BoardWindow& board = openBoard();
  EXPECT_EQ(board.lamps()->heading(), QString::fromUtf8("Brak zdarzeń"));
  window().selectMatrixRow(27);
  EXPECT_EQ(board.shownRow(), 27);
  EXPECT_EQ(board.lamps()->heading(), QStringLiteral("adr 7. Alarm II"));

  const QRect cell = ui().DrawGrid1->visualRect(ui().DrawGrid1->model()->index(27, 6));
  QTest::mouseClick(ui().DrawGrid1->viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(board.lamps()->modes()[6], LED_SLOW_BLINK);
  QTest::keyClick(ui().DrawGrid1, Qt::Key_3);
  EXPECT_EQ(board.lamps()->modes()[6], LED_STEADY);
  window().UndoClick();
  EXPECT_EQ(board.lamps()->modes()[6], LED_SLOW_BLINK);

  QTest::keyClick(ui().DrawGrid1, Qt::Key_Down);
  EXPECT_EQ(board.shownRow(), 28);
  EXPECT_EQ(board.lamps()->modes()[6], LED_OFF);

  config_matrix().set(28, 0, LED_FAST_BLINK);
  window().repaintMatrix();  // as after a load
  EXPECT_EQ(board.lamps()->modes()[0], LED_FAST_BLINK);
}

}  // namespace
