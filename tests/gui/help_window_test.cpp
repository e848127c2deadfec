// SPDX-License-Identifier: MIT
// "Pomoc": the guide built into the program (its links, sections and
// pictures), F1 in each window opening it where it fits, its search, its PDF
// and print, and the guide's keys tables held to the keys the windows take.

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>
#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <tuple>

#include "app/board_window.h"
#include "app/file_dialogs.h"
#include "app/help_handlers.h"
#include "gui/grid_keys.h"
#include "gui/guide_document.h"
#include "gui/help_window.h"
#include "gui/names_dialog.h"
#include "window_fixture.h"

namespace {

TEST(Guide, EveryLinkLeadsToAHeadingAndEveryPictureIsBuiltIn) {
  const GuideDocument guide;
  std::set<QString> anchors;
  for (const GuideHeading& heading : guide.headings())
    EXPECT_TRUE(anchors.insert(heading.anchor).second) << "two headings make " << heading.anchor.toStdString();
  for (const QString& section : {kGuideStartSection, kGuideWalkSection, kGuideMonitorSection, kGuideFieldSection})
    EXPECT_TRUE(anchors.count(section)) << "F1 leads to " << section.toStdString() << ", which is no heading";
  int links = 0;
  for (QTextBlock block = guide.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QString link = it.fragment().charFormat().anchorHref();
      if (!link.startsWith(u'#')) continue;
      ++links;
      EXPECT_TRUE(anchors.count(link.mid(1))) << "the link " << link.toStdString() << " leads nowhere";
    }
  }
  EXPECT_GT(links, 5);
  EXPECT_EQ(guide.missingPictures(), QStringList());
}

class HelpTest : public WindowTest {
 protected:
  HelpWindow& help() { return help_window_for(window()); }
  // A key as the keyboard gives it to the window with the focus. The
  // program's windows share their activation (QWindow::isActive()), so the
  // focus itself is waited for.
  void press(QWidget* shown, Qt::Key key) {
    shown->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QGuiApplication::focusWindow() == shown->windowHandle(); }));
    QTest::keyClick(shown->windowHandle(), key);
  }
};

TEST_F(HelpTest, F1OpensTheGuideAtTheSectionOfTheWindow) {
  window().BoardButtonClick();
  BoardWindow* board = window().boardWindow();
  const std::tuple<const char*, std::function<void()>, QString> cases[] = {
      {"main window", [&] { press(&window(), Qt::Key_F1); }, kGuideStartSection},
      {"Pomoc", [&] { window().findChild<QPushButton*>(QStringLiteral("HelpButton"))->click(); }, kGuideStartSection},
      {"board, walk", [&] { board->tabs()->setCurrentIndex(0); press(board, Qt::Key_F1); }, kGuideWalkSection},
      {"board, monitor", [&] { board->tabs()->setCurrentIndex(1); press(board, Qt::Key_F1); }, kGuideMonitorSection},
      {"board, field test", [&] { board->tabs()->setCurrentIndex(2); press(board, Qt::Key_F1); }, kGuideFieldSection},
  };
  for (const auto& [where, pressed, section] : cases) {
    SCOPED_TRACE(where);
    // Read elsewhere first, so only the key can bring the section into view.
    if (auto* open = window().findChild<HelpWindow*>())
      open->browser()->verticalScrollBar()->setValue(open->browser()->verticalScrollBar()->maximum());
    pressed();
    ASSERT_EQ(window().findChildren<HelpWindow*>().size(), 1);  // one for the program
    EXPECT_TRUE(help().isVisible());
    EXPECT_EQ(help().windowTitle(), QString::fromUtf8("Pomoc – ZEL17"));
    EXPECT_EQ(help().sectionInView().toStdString(), section.toStdString());
    ASSERT_NE(help().contents()->currentItem(), nullptr);
    EXPECT_EQ(help().contents()->currentItem()->data(0, Qt::UserRole).toString(), section);
  }
}

TEST_F(HelpTest, SearchFindsPolishLettersTypedWithoutMarksGoesRoundAndSaysWhatItDidNotFind) {
  help().showSection(kGuideStartSection);
  const int places = help().guide().toPlainText().count(
      QRegularExpression(QStringLiteral("[lł][aą]czno[sś]ci"), QRegularExpression::CaseInsensitiveOption));
  ASSERT_GT(places, 1);
  QTest::keyClicks(help().searchField(), QStringLiteral("lacznosci"));
  QTest::keyClick(help().searchField(), Qt::Key_Return);
  EXPECT_EQ(help().browser()->textCursor().selectedText().toLower(), QString::fromUtf8("łączności"));
  const int first = help().browser()->textCursor().position();
  for (int i = 1; i < places; ++i) {
    press(&help(), Qt::Key_F3);
    EXPECT_GT(help().browser()->textCursor().position(), first);
  }
  EXPECT_TRUE(help().statusLabel()->text().isEmpty());
  press(&help(), Qt::Key_F3);  // past the last: round to the first
  EXPECT_EQ(help().browser()->textCursor().position(), first);
  EXPECT_EQ(help().statusLabel()->text(), QString::fromUtf8("Od początku."));

  help().searchField()->setText(QStringLiteral("qq.xyz"));
  EXPECT_FALSE(help().find());
  EXPECT_EQ(help().browser()->textCursor().position(), first);
  EXPECT_EQ(help().statusLabel()->text(), QString::fromUtf8("Nie znaleziono: „qq.xyz”."));
}

TEST_F(HelpTest, ZapiszPdfAndDrukujGiveTheWholeGuideWithItsPictures) {
  const QTemporaryDir folder;
  QStringList warnings;
  window().showWarning = [&](const QString& text) { warnings << text; };
  QString chosen;
  window().chooseFile = [&](const FileDialogSettings&, FileDialogMode, const QString&) { return chosen; };
  window().setUpPrinter = [&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(chosen);
    return true;
  };
  for (const auto& [button, file, status] :
       {std::tuple{"HelpSavePdf", QStringLiteral("podrecznik.pdf"), QString::fromUtf8("Zapisano: podrecznik.pdf")},
        std::tuple{"HelpPrint", QStringLiteral("wydruk.pdf"), QString::fromUtf8("Wysłano do drukarki.")}}) {
    SCOPED_TRACE(button);
    chosen = folder.filePath(file);
    help().findChild<QPushButton*>(QString::fromLatin1(button))->click();
    EXPECT_EQ(help().statusLabel()->text(), status);
    QFile written(chosen);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray pdf = written.readAll();
    // Qt's writer names each page "/Type /Page" (their tree "/Type /Pages") and each picture "/Subtype /Image".
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_GE(pdf.count("/Type /Page") - pdf.count("/Type /Pages"), 10);
    EXPECT_EQ(pdf.count("/Subtype /Image"), guide_markdown().count(QStringLiteral("](podrecznik/")));
  }
  EXPECT_TRUE(warnings.isEmpty());

  chosen = folder.path();  // a folder: nothing is written, and the user is told
  help().savePdf();
  ASSERT_EQ(warnings.size(), 1);
  EXPECT_TRUE(warnings.front().startsWith(QString::fromUtf8("Nie udało się zapisać podręcznika do pliku\n")));
  EXPECT_EQ(help().statusLabel()->text(), QString::fromUtf8("Błąd zapisu podręcznika!"));
}

// --- The keys tables ---

// A key as Qt names it; Shift+Tab comes from the keyboard as Backtab, which the guide calls Tab.
QString key_name(Qt::KeyboardModifiers modifiers, int key) {
  if (key == Qt::Key_Backtab) key = Qt::Key_Tab;
  return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(key))).toString(QKeySequence::PortableText);
}

// The keys a table of the guide's section lists: each `…` in the first cell of its rows.
std::set<QString> documented_keys(const QString& anchor) {
  static const std::map<QString, QStringList> kQtNames = {
      {QString::fromUtf8("Spacja"), {"Space"}},  {QStringLiteral("Enter"), {"Return", "Enter"}},
      {QString::fromUtf8("←"), {"Left"}},        {QString::fromUtf8("→"), {"Right"}},
      {QString::fromUtf8("↑"), {"Up"}},          {QString::fromUtf8("↓"), {"Down"}},
      {QStringLiteral("PageUp"), {"PgUp"}},      {QStringLiteral("PageDown"), {"PgDown"}},
      {QStringLiteral("Insert"), {"Ins"}},       {QStringLiteral("Delete"), {"Del"}}};
  std::set<QString> keys;
  QString section;
  for (const QString& line : guide_markdown().split(u'\n')) {
    if (line.startsWith(u'#')) section = heading_anchor(QString(line).remove(u'#'));
    if (section != anchor || !line.startsWith(u'|')) continue;
    for (const QRegularExpressionMatch& key : QRegularExpression(QStringLiteral("`([^`]+)`")).globalMatch(line.section(u'|', 1, 1))) {
      QStringList parts = key.captured(1).split(u'+');
      const QString written = parts.takeLast();
      for (const QString& name : kQtNames.count(written) ? kQtNames.at(written) : QStringList{written})
        keys.insert(QKeySequence::fromString((parts + QStringList{name}).join(u'+')).toString(QKeySequence::PortableText));
    }
  }
  return keys;
}

// The keys a keyboard gives, with the modifiers that make them others;
// function keys without Ctrl, which makes them the system's (Ctrl+F4, Ctrl+F6).
std::vector<std::pair<Qt::KeyboardModifiers, int>> keyboard() {
  std::vector<int> keys{Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_Tab, Qt::Key_Backspace,
                        Qt::Key_Insert, Qt::Key_Delete, Qt::Key_Home, Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageDown,
                        Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down};
  for (int key = Qt::Key_0; key <= Qt::Key_9; ++key) keys.push_back(key);
  for (int key = Qt::Key_A; key <= Qt::Key_Z; ++key) keys.push_back(key);
  std::vector<std::pair<Qt::KeyboardModifiers, int>> all;
  for (const Qt::KeyboardModifiers modifiers : std::initializer_list<Qt::KeyboardModifiers>{
           Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::ControlModifier | Qt::ShiftModifier}) {
    for (int key : keys) all.emplace_back(modifiers, key == Qt::Key_Tab && modifiers.testFlag(Qt::ShiftModifier) ? Qt::Key_Backtab : key);
  }
  for (int key = Qt::Key_F1; key <= Qt::Key_F12; ++key) all.insert(all.end(), {{Qt::NoModifier, key}, {Qt::ShiftModifier, key}});
  return all;
}

// Shortcuts registered in `window` itself, not in the windows it owns.
std::set<QString> shortcuts_of(QWidget& window) {
  std::set<QString> keys;
  for (QShortcut* shortcut : window.findChildren<QShortcut*>()) {
    auto* owner = qobject_cast<QWidget*>(shortcut->parent());
    if (!owner || owner->window() != &window) continue;
    for (const QKeySequence& key : shortcut->keys()) keys.insert(key.toString(QKeySequence::PortableText));
  }
  return keys;
}

// The grid's keys: each key whose command its modifiers change (Ctrl+↑ moves as ↑ does).
std::set<QString> grid_keys() {
  const auto command = [](Qt::KeyboardModifiers modifiers, int key) { return grid_key_command(key, modifiers, 150, 12, 10); };
  std::set<QString> keys;
  for (const auto& [modifiers, key] : keyboard()) {
    const GridKeyCommand taken = command(modifiers, key);
    if (taken.kind == GridKeyCommand::ignore || taken.kind == GridKeyCommand::swallow) continue;
    bool own = true;
    for (const Qt::KeyboardModifiers fewer : {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier})
      own = own && !(fewer != modifiers && (modifiers & fewer) == fewer && command(fewer, key) == taken);
    if (own) keys.insert(key_name(modifiers, key));
  }
  return keys;
}

// The keys the names dialog's lists take for themselves, through its event filter.
struct NamesDialogKeys : NamesDialog {
  static std::set<QString> taken() {
    NamesDialog dialog{ProjectNames{}};
    auto* list = dialog.findChild<QTableWidget*>(QStringLiteral("LampNames"));
    std::set<QString> keys;
    for (const auto& [modifiers, key] : keyboard()) {
      QKeyEvent event(QEvent::KeyPress, key, modifiers);
      if ((dialog.*(&NamesDialogKeys::eventFilter))(list, &event)) keys.insert(key_name(modifiers, key));
    }
    return keys;
  }
};

std::string listed(const std::set<QString>& keys) {
  return QStringList(keys.begin(), keys.end()).join(QStringLiteral(", ")).toStdString();
}

TEST_F(HelpTest, EachWindowsKeysTableListsTheKeysTheWindowTakesAndNoOther) {
  window().BoardButtonClick();
  std::set<QString> main_window = shortcuts_of(window());
  main_window.merge(grid_keys());
  for (const auto& [section, taken] : {std::pair{"klawisze-okna-głównego", main_window},
                                       {"klawisze-okna-tablica-synoptyczna", shortcuts_of(*window().boardWindow())},
                                       {"klawisze-okna-nazwy", NamesDialogKeys::taken()},
                                       {"klawisze-okna-pomoc", shortcuts_of(help())}}) {
    SCOPED_TRACE(section);
    const std::set<QString> documented = documented_keys(QString::fromUtf8(section));
    std::set<QString> undocumented, untaken;
    std::set_difference(taken.begin(), taken.end(), documented.begin(), documented.end(),
                        std::inserter(undocumented, undocumented.end()));
    std::set_difference(documented.begin(), documented.end(), taken.begin(), taken.end(),
                        std::inserter(untaken, untaken.end()));
    EXPECT_TRUE(undocumented.empty()) << "taken, but not in the guide's table: " << listed(undocumented);
    EXPECT_TRUE(untaken.empty()) << "in the guide's table, but not taken: " << listed(untaken);
    EXPECT_FALSE(documented.empty());
  }
}

}  // namespace
