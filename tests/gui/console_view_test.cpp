// SPDX-License-Identifier: MIT
// The console view on a log store of its own: what it shows, when, and how.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QTest>
#include <memory>

#include "app/console_view.h"
#include "app/console_window.h"
#include "protocol/console_log.h"

namespace {

class ConsoleViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view_ = std::make_unique<ConsoleView>();
    view_->resize(761, 209);
    view_->attach(log_);
  }
  void TearDown() override { view_.reset(); }

  QString shown() {
    view_->flush();
    return view_->toPlainText();
  }

  ConsoleLog log_;
  std::unique_ptr<ConsoleView> view_;
};

TEST_F(ConsoleViewTest, ShowsEveryLineAsOneScreenLineIncludingEmptyOnes) {
  log_.append_not_connected_notice();  // an empty line first, then the banner
  log_.append_banner("Połączono z urządzeniem interfejsu HID!");
  EXPECT_EQ(shown(), QString::fromUtf8("\n\t\t\t*** Nie ma w  tej chwili połączenia z żadnym urządzeniem! ***\n"
                                       "\n\t\t\t*** Połączono z urządzeniem interfejsu HID! ***\n"));
  EXPECT_EQ(view_->document()->blockCount(), 5);
}

TEST_F(ConsoleViewTest, ShowsWhatWasLoggedBeforeItAttached) {
  ConsoleLog earlier;
  earlier.append_text("pierwsza");
  earlier.append_line({});
  earlier.append_text("trzecia");
  ConsoleView view;
  view.attach(earlier);
  EXPECT_EQ(view.toPlainText(), QString::fromUtf8("pierwsza\n\ntrzecia"));
  earlier.append_text("czwarta");
  view.flush();
  EXPECT_EQ(view.toPlainText(), QString::fromUtf8("pierwsza\n\ntrzecia\nczwarta"));
}

TEST_F(ConsoleViewTest, DisplayLineDecodesAndKeepsControlBytesVisible) {
  struct Case {
    std::string bytes;
    QString expected;
  };
  const Case cases[] = {
      {"Po\xB3\xB9" "czono", QString::fromUtf8("Połączono")},
      {"\t\t\tx", QString::fromUtf8("\t\t\tx")},
      {"a\rb", QString::fromUtf8("a\u240Db")},
      {"a\nb", QString::fromUtf8("a\u240Ab")},
      {"\r\n", QString::fromUtf8("\u240D\u240A")},
      {std::string("\x00\x1B\x7F", 3), QString::fromUtf8("\u2400\u241B\u2421")},
      {"", QString()},
  };
  for (const Case& c : cases) EXPECT_EQ(ConsoleView::displayLine(c.bytes), c.expected) << c.bytes;
}

TEST_F(ConsoleViewTest, ALineWithCrLfBytesStaysOneLine) {
  log_.append_line("RX: \r\nkoniec");
  log_.append_line("nast\xEApna");
  EXPECT_EQ(view_->document()->blockCount(), 1 + 0);  // queued, not shown yet
  EXPECT_EQ(shown(), QString::fromUtf8("RX: \u240D\u240Akoniec\nnastępna"));
  EXPECT_EQ(view_->document()->blockCount(), 2);
}

TEST_F(ConsoleViewTest, AppendsAreBatchedUntilTheEventLoopOrFlush) {
  log_.append_text("pierwsza");
  view_->flush();
  for (int i = 0; i < 1000; ++i) log_.append_text("linia " + std::to_string(i));
  EXPECT_EQ(view_->document()->blockCount(), 1);
  QApplication::processEvents();
  EXPECT_EQ(view_->document()->blockCount(), 1001);
  EXPECT_EQ(view_->document()->lastBlock().text(), QString::fromUtf8("linia 999"));
}

// The view shows what the bounded store holds: a count of repeats rewritten
// in place, queued or shown, and the note of dropped lines on its first line.
TEST_F(ConsoleViewTest, FollowsCountedRepeatsAndTheStoresBound) {
  ConsoleLog small(4);
  ConsoleView view;
  view.attach(small);
  small.append_text("ramka");
  small.count_repeat();
  small.count_repeat();  // still queued: the queued line is rewritten
  view.flush();
  EXPECT_EQ(view.toPlainText(), QString::fromUtf8("ramka\n(powtórzona 2 razy)"));
  small.count_repeat();  // shown: the shown line is rewritten
  view.flush();
  EXPECT_EQ(view.toPlainText(), QString::fromUtf8("ramka\n(powtórzona 3 razy)"));
  EXPECT_EQ(view.document()->blockCount(), 2);
  for (const char* line : {"a", "b", "c", "d"}) small.append_text(line);
  view.flush();
  EXPECT_EQ(view.toPlainText(), QString::fromUtf8("(pominięto najstarsze wiersze: 2)\na\nb\nc\nd"));
}

TEST_F(ConsoleViewTest, ClearEmptiesTheViewAndDropsQueuedLines) {
  log_.append_text("pokazana");
  view_->flush();
  log_.append_text("w kolejce");
  log_.clear();
  EXPECT_TRUE(shown().isEmpty());
  log_.append_line({});
  log_.append_text("po czyszczeniu");
  EXPECT_EQ(shown(), QString::fromUtf8("\npo czyszczeniu"));
}

TEST_F(ConsoleViewTest, ReadOnlyFixedPitchUnwrappedWithBothScrollBars) {
  EXPECT_TRUE(view_->isReadOnly());
  EXPECT_TRUE(view_->textInteractionFlags() & Qt::TextSelectableByMouse);
  EXPECT_TRUE(view_->textInteractionFlags() & Qt::TextSelectableByKeyboard);
  EXPECT_EQ(view_->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_EQ(view_->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(view_->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  view_->show();  // the typewriter font comes with the first showing
  EXPECT_TRUE(QFontInfo(view_->font()).fixedPitch());
  EXPECT_DOUBLE_EQ(view_->tabStopDistance(), 8.0 * view_->fontMetrics().averageCharWidth());
}

TEST_F(ConsoleViewTest, ALongLineIsNotWrappedAndScrollsSideways) {
  view_->show();
  log_.append_text(std::string(500, 'x') + "|koniec");
  view_->flush();
  QApplication::processEvents();
  const QTextBlock block = view_->document()->firstBlock();
  ASSERT_NE(block.layout(), nullptr);
  EXPECT_EQ(block.layout()->lineCount(), 1);
  QScrollBar* bar = view_->horizontalScrollBar();
  EXPECT_GT(bar->maximum(), 0);
  bar->setValue(bar->maximum());
  EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(ConsoleViewTest, TheUserCanSelectAndCopyButNotEdit) {
  log_.append_text("zażółć");
  log_.append_text("gęślą");
  view_->flush();
  view_->selectAll();
  view_->copy();
  EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("zażółć\ngęślą"));
  view_->show();
  view_->setFocus();
  QTest::keyClicks(view_.get(), "abc");
  EXPECT_EQ(shown(), QString::fromUtf8("zażółć\ngęślą"));
}

TEST_F(ConsoleViewTest, AViewThatGoesLeavesTheOthersListening) {
  auto second = std::make_unique<ConsoleView>();
  second->attach(log_);
  view_.reset();  // the first view goes away; the second keeps listening
  log_.append_text("dla drugiego");
  second->flush();
  EXPECT_EQ(second->toPlainText(), QString::fromUtf8("dla drugiego"));

  ConsoleLog other_log;
  ConsoleView other_view;
  other_view.attach(other_log);  // another store: the second view keeps its own
  log_.append_text("znowu");
  other_log.append_text("inny");
  second->flush();
  other_view.flush();
  EXPECT_EQ(second->toPlainText(), QString::fromUtf8("dla drugiego\nznowu"));
  EXPECT_EQ(other_view.toPlainText(), QString::fromUtf8("inny"));
}

// The console window shows the store itself, beside the service page's view:
// counted repeats rewritten in place, the oldest lines dropped.
TEST_F(ConsoleViewTest, TheConsoleWindowShowsWhatTheStoreHoldsAfterRepeatsAndDrops) {
  ConsoleLog small(4);
  ConsoleView page;
  page.attach(small);
  ConsoleWindow window(small);
  small.append_text("ramka");
  small.count_repeat();
  window.view()->flush();
  small.count_repeat();
  window.view()->flush();
  EXPECT_EQ(window.view()->toPlainText(), QString::fromUtf8("ramka\n(powtórzona 2 razy)"));
  for (const char* line : {"a", "b", "c", "d"}) small.append_text(line);
  window.view()->flush();
  page.flush();
  EXPECT_EQ(window.view()->toPlainText(), QString::fromUtf8("(pominięto najstarsze wiersze: 2)\na\nb\nc\nd"));
  EXPECT_EQ(page.toPlainText(), window.view()->toPlainText());
}

}  // namespace
