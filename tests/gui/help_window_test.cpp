// SPDX-License-Identifier: MIT
// "Pomoc": the guide built into the program (its links, sections and
// pictures), F1 in each window opening it where it fits, its search, its PDF
// and print, and the guide's keys tables held to the keys the windows take.

#include <QFile>
#include <QKeySequence>
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
#include <iterator>
#include <set>

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
  EXPECT_EQ(heading_anchor(QString::fromUtf8("Klawisze okna „Nazwy”")), QStringLiteral("klawisze-okna-nazwy"));
  EXPECT_EQ(heading_anchor(QString::fromUtf8("Zapis do modułu i sprawdzenie")),
            QString::fromUtf8("zapis-do-modułu-i-sprawdzenie"));
  const GuideDocument guide;
  std::set<QString> anchors;
  for (const GuideHeading& heading : guide.headings())
    EXPECT_TRUE(anchors.insert(heading.anchor).second) << "two headings make " << heading.anchor.toStdString();
  for (const QString& section : {kGuideStartSection, kGuideWalkSection, kGuideMonitorSection})
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

TEST(Guide, SearchFindsPolishLettersTypedWithoutTheirMarks) {
  struct Case {
    const char* typed;
    const char* text;
    bool found;
  };
  const Case cases[] = {
      {"lacznosci", "Strata łączności", true}, {"ŁĄCZNOŚCI", "Strata łączności", true},
      {"otworz...", "„Otwórz...”", true},      {"strata lacznosci", "Strata\nłączności", true},
      {"otworz...", "Otwórz", false},          {"a.b", "axb", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    const QRegularExpression pattern = guide_search_pattern(QString::fromUtf8(c.typed));
    EXPECT_EQ(pattern.match(QString::fromUtf8(c.text)).hasMatch(), c.found);
  }
}

class HelpTest : public WindowTest {
 protected:
  HelpWindow& help() { return help_window_for(window()); }
  // A key of the window, as the keyboard gives it to the window that has the focus.
  void press(QWidget* shown, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    shown->activateWindow();
    // The program's windows share their activation (QWindow::isActive()): wait for the focus itself.
    ASSERT_TRUE(QTest::qWaitFor([&] { return QGuiApplication::focusWindow() == shown->windowHandle(); }));
    QTest::keyClick(shown->windowHandle(), key, modifiers);
  }
  void press_f1(QWidget* shown) { press(shown, Qt::Key_F1); }
};

TEST_F(HelpTest, F1OpensTheGuideAtTheSectionOfTheWindow) {
  window().BoardButtonClick();
  BoardWindow* board = window().boardWindow();
  struct Case {
    const char* where;
    std::function<void()> press;
    QString section;
  };
  const Case cases[] = {
      {"main window", [&] { press_f1(&window()); }, kGuideStartSection},
      {"Pomoc", [&] { window().findChild<QPushButton*>(QStringLiteral("HelpButton"))->click(); }, kGuideStartSection},
      {"board, Test po kolei",
       [&] { board->tabs()->setCurrentIndex(0); press_f1(board); }, kGuideWalkSection},
      {"board, Monitor magistrali",
       [&] { board->tabs()->setCurrentIndex(1); press_f1(board); },
       kGuideMonitorSection},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    // Read elsewhere first, so only the key can bring the section into view.
    if (window().findChild<HelpWindow*>()) help().browser()->verticalScrollBar()->setValue(help().browser()->verticalScrollBar()->maximum());
    c.press();
    ASSERT_EQ(window().findChildren<HelpWindow*>().size(), 1);  // one for the program
    EXPECT_TRUE(help().isVisible());
    EXPECT_EQ(help().windowTitle(), QString::fromUtf8("Pomoc – ZEL17"));
    EXPECT_EQ(help().sectionInView().toStdString(), c.section.toStdString());
    ASSERT_NE(help().contents()->currentItem(), nullptr);
    EXPECT_EQ(help().contents()->currentItem()->data(0, Qt::UserRole).toString(), c.section);
  }
}

TEST_F(HelpTest, SearchGoesRoundTheGuideAndSaysWhatItDidNotFind) {
  help().showSection(kGuideStartSection);
  const int places = help().guide().toPlainText().count(guide_search_pattern(QStringLiteral("lacznosci")));
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

  help().searchField()->setText(QStringLiteral("qqxyz"));
  EXPECT_FALSE(help().find());
  EXPECT_EQ(help().browser()->textCursor().position(), first);
  EXPECT_EQ(help().statusLabel()->text(), QString::fromUtf8("Nie znaleziono: „qqxyz”."));
}

// Objects of a PDF as Qt's writer names them: "/Type /Page" (and "/Type /Pages", their tree).
int pdf_count(const QByteArray& pdf, const char* object) { return static_cast<int>(pdf.count(QByteArray(object))); }

TEST_F(HelpTest, ZapiszPdfAndDrukujGiveTheWholeGuideWithItsPictures) {
  const QTemporaryDir folder;
  std::set<QString> pictures;
  for (QTextBlock block = help().guide().begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextImageFormat picture = it.fragment().charFormat().toImageFormat();
      if (picture.isValid()) pictures.insert(picture.name());
    }
  }
  QStringList warnings;
  window().showWarning = [&](const QString& text) { warnings << text; };
  QString chosen;
  window().chooseFile = [&](const FileDialogSettings&, FileDialogMode, const QString&) { return chosen; };
  window().setUpPrinter = [&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(chosen);
    return true;
  };
  struct Case {
    const char* button;
    QString file;
    QString status;
  };
  const Case cases[] = {
      {"HelpSavePdf", folder.filePath(QStringLiteral("podrecznik.pdf")), QString::fromUtf8("Zapisano: podrecznik.pdf")},
      {"HelpPrint", folder.filePath(QStringLiteral("wydruk.pdf")), QString::fromUtf8("Wysłano do drukarki.")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    chosen = c.file;
    help().findChild<QPushButton*>(QString::fromLatin1(c.button))->click();
    EXPECT_EQ(help().statusLabel()->text(), c.status);
    QFile written(c.file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray pdf = written.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_GE(pdf_count(pdf, "/Type /Page") - pdf_count(pdf, "/Type /Pages"), 10);
    EXPECT_GE(pdf_count(pdf, "/Subtype /Image"), static_cast<int>(pictures.size()));
  }
  EXPECT_TRUE(warnings.isEmpty());

  chosen = folder.path();  // a folder: nothing is written, and the user is told
  help().savePdf();
  ASSERT_EQ(warnings.size(), 1);
  EXPECT_TRUE(warnings.front().startsWith(QString::fromUtf8("Nie udało się zapisać podręcznika do pliku\n")));
  EXPECT_EQ(help().statusLabel()->text(), QString::fromUtf8("Błąd zapisu podręcznika!"));
}

// --- The keys tables ---

// How the guide writes a key, as Qt names it.
QString portable_key_name(const QString& written) {
  static const std::pair<const char*, const char*> kNames[] = {
      {"Spacja", "Space"}, {"Esc", "Esc"},      {"←", "Left"},       {"→", "Right"}, {"↑", "Up"},
      {"↓", "Down"},       {"Delete", "Del"},   {"PageUp", "PgUp"},  {"PageDown", "PgDown"}, {"Insert", "Ins"}};
  for (const auto& [guide, qt] : kNames) {
    if (written == QString::fromUtf8(guide)) return QString::fromLatin1(qt);
  }
  return written;
}

// The keys a table of the guide's section lists: each `…` in the first cell of its rows.
std::set<QString> documented_keys(const QString& anchor) {
  std::set<QString> keys;
  QString section;
  for (const QString& line : guide_markdown().split(u'\n')) {
    if (line.startsWith(u'#')) section = heading_anchor(QString(line).remove(QRegularExpression(QStringLiteral("^#+"))));
    if (section != anchor || !line.startsWith(u'|')) continue;
    const QString first_cell = line.section(u'|', 1, 1);
    for (const QRegularExpressionMatch& key : QRegularExpression(QStringLiteral("`([^`]+)`")).globalMatch(first_cell)) {
      QStringList parts = key.captured(1).split(u'+');
      const bool enter = parts.back() == QStringLiteral("Enter");  // either Enter key of the keyboard
      parts.back() = portable_key_name(parts.back());
      for (const QString& name : enter ? QStringList{QStringLiteral("Return"), QStringLiteral("Enter")} : QStringList{parts.back()}) {
        parts.back() = name;
        keys.insert(QKeySequence::fromString(parts.join(u'+'), QKeySequence::PortableText).toString(QKeySequence::PortableText));
      }
    }
  }
  return keys;
}

QString key_name(Qt::KeyboardModifiers modifiers, int key) {
  // Shift+Tab comes from the keyboard as Backtab; the guide calls it Tab.
  if (key == Qt::Key_Backtab) key = Qt::Key_Tab;
  return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(key))).toString(QKeySequence::PortableText);
}

// The keys a user's keyboard gives, with the modifiers that make them others.
// Function keys with Ctrl are the system's own (Ctrl+F4, Ctrl+F6).
std::vector<std::pair<Qt::KeyboardModifiers, int>> keyboard() {
  std::vector<int> keys{Qt::Key_Space,  Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape,   Qt::Key_Tab,
                        Qt::Key_Backspace, Qt::Key_Insert, Qt::Key_Delete, Qt::Key_Home,  Qt::Key_End,
                        Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Left,  Qt::Key_Up,       Qt::Key_Right, Qt::Key_Down};
  for (int key = Qt::Key_A; key <= Qt::Key_Z; ++key) keys.push_back(key);
  for (int key = Qt::Key_0; key <= Qt::Key_9; ++key) keys.push_back(key);
  std::vector<std::pair<Qt::KeyboardModifiers, int>> all;
  for (const Qt::KeyboardModifiers modifiers : std::initializer_list<Qt::KeyboardModifiers>{
           Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::ControlModifier | Qt::ShiftModifier}) {
    for (int key : keys) all.emplace_back(modifiers, key == Qt::Key_Tab && (modifiers & Qt::ShiftModifier) ? Qt::Key_Backtab : key);
  }
  for (int key = Qt::Key_F1; key <= Qt::Key_F12; ++key) {
    all.emplace_back(Qt::NoModifier, key);
    all.emplace_back(Qt::ShiftModifier, key);
  }
  return all;
}

// Shortcuts registered in `window` itself, not in windows it owns.
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
    for (const Qt::KeyboardModifiers fewer : {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier}) {
      if (fewer != modifiers && (modifiers & fewer) == fewer && command(fewer, key) == taken) own = false;
    }
    if (own) keys.insert(key_name(modifiers, key));
  }
  return keys;
}

// The keys the names dialog's lists take for themselves.
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
  std::string text;
  for (const QString& key : keys) text += (text.empty() ? "" : ", ") + key.toStdString();
  return text;
}

TEST_F(HelpTest, EachWindowsKeysTableListsTheKeysTheWindowTakesAndNoOther) {
  window().BoardButtonClick();
  struct Case {
    const char* section;
    std::set<QString> taken;
  };
  std::set<QString> main_window = shortcuts_of(window());
  main_window.merge(grid_keys());
  const Case cases[] = {
      {"klawisze-okna-głównego", main_window},
      {"klawisze-okna-tablica-synoptyczna", shortcuts_of(*window().boardWindow())},
      {"klawisze-okna-nazwy", NamesDialogKeys::taken()},
      {"klawisze-okna-pomoc", shortcuts_of(help())},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.section);
    const std::set<QString> documented = documented_keys(QString::fromUtf8(c.section));
    std::set<QString> undocumented, untaken;
    std::set_difference(c.taken.begin(), c.taken.end(), documented.begin(), documented.end(),
                        std::inserter(undocumented, undocumented.end()));
    std::set_difference(documented.begin(), documented.end(), c.taken.begin(), c.taken.end(),
                        std::inserter(untaken, untaken.end()));
    EXPECT_TRUE(undocumented.empty()) << "taken, but not in the guide's table: " << listed(undocumented);
    EXPECT_TRUE(untaken.empty()) << "in the guide's table, but not taken: " << listed(untaken);
    EXPECT_FALSE(documented.empty());
  }
}

}  // namespace
