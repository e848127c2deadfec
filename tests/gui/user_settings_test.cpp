// SPDX-License-Identifier: MIT
// What the window remembers from one session to the next: the dialogs'
// folders, the recent files beside "Otwórz...", the board window, the walk;
// and that a damaged store only costs the remembered values.

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <filesystem>

#include "app/board_settings.h"
#include "app/board_window.h"
#include "app/command_line.h"
#include "config/config_matrix.h"
#include "file_window_test.h"
#include "gui/user_settings.h"
#include "gui/walk_tab.h"

namespace {

class RememberedSessionTest : public FileWindowTest {
 protected:
  void restart() {
    destroyWindow();
    startWindow();
    answerPromptsOf(window());
  }
  // The files the arrow beside "Otwórz..." lists now.
  QStringList recentListed() {
    window().fillRecentFilesMenu();
    QStringList files;
    for (const QAction* action : ui().RecentFilesButton->menu()->actions()) {
      if (action->isEnabled()) files << action->data().toString();
    }
    return files;
  }
  // The start name of the next "Otwórz..." dialog (cancelled).
  QString openStartsWith() {
    load({});
    return asked.empty() ? QString() : asked.back().start_file;
  }
};

TEST_F(RememberedSessionTest, FoldersAndRecentFilesOutliveTheWindowAndADamagedStoreIsForgotten) {
  // The arrow sits right of "Otwórz...", which keeps its place and text
  // (main_window_test's kPlacements).
  EXPECT_GT(ui().RecentFilesButton->geometry().left(), ui().LoadConfigButton->geometry().right());
  EXPECT_LE(ui().RecentFilesButton->geometry().left(), ui().LoadConfigButton->geometry().right() + 2);
  EXPECT_LT(ui().RecentFilesButton->geometry().right(), ui().ReadConfigButton->geometry().left());
  EXPECT_TRUE(recentListed().isEmpty());

  config_matrix().set(7, 3, LED_STEADY);
  save(path("a.zel"));
  save(path("usuniety.zel"));
  restart();
  EXPECT_EQ(openStartsWith(), path("konfiguracja.zel"));
  EXPECT_EQ(recentListed(), QStringList({path("usuniety.zel"), path("a.zel")}));

  // A file deleted meanwhile is left out; one listed opens as "Otwórz..." opens it.
  ASSERT_TRUE(QFile::remove(path("usuniety.zel")));
  EXPECT_EQ(recentListed(), QStringList({path("a.zel")}));
  config_matrix().reset();
  window().repaintMatrix();
  ui().RecentFilesButton->menu()->actions().front()->trigger();
  EXPECT_EQ(config_matrix().at(7, 3), LED_STEADY);
  EXPECT_TRUE(warnings.isEmpty());

  // Garbage in the store, or a store that cannot be read: the window starts
  // with the defaults, and one line says why.
  const QString store = UserSettings::instance().storeName();
  const QByteArray garbage("\xff\xfe\x00\x01ostatnie_pliki=\x02\n[foldery\n=\x7f\n[tablica]\ngeometria=@ByteArray(", 60);
  for (const bool as_folder : {false, true}) {
    SCOPED_TRACE(as_folder ? "a folder in its place" : "garbage");
    destroyWindow();
    QFile::remove(store);
    if (as_folder) {
      ASSERT_TRUE(QDir().mkdir(store));
    } else {
      QFile file(store);
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write(garbage);
      file.close();
    }
    UserSettings::useFile(store);  // read again, as a new session would
    testing::internal::CaptureStderr();
    startWindow();
    answerPromptsOf(window());
    EXPECT_TRUE(recentListed().isEmpty());
    EXPECT_EQ(openStartsWith(), "konfiguracja.zel");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find(QDir::toNativeSeparators(store).toStdString()), std::string::npos) << said;
  }
  destroyWindow();
  ASSERT_TRUE(QDir().rmdir(store));
  UserSettings::useFile(store);
}

TEST_F(RememberedSessionTest, TheBoardWindowAndTheWalkOpenAsLastLeft) {
  ui().BoardButton->click();
  BoardWindow* board = window().boardWindow();
  ASSERT_NE(board, nullptr);
  EXPECT_EQ(board->tabs()->currentIndex(), 0);
  board->resize(700, 520);
  board->tabs()->setCurrentIndex(1);
  auto* walk = static_cast<WalkTab*>(board->tabs()->widget(0));
  walk->setRange(10, 20);
  walk->setDwellSeconds(7.5);
  remember_walk(*walk);  // as "Start" does
  board->close();

  restart();
  window().selectMatrixRow(0);  // no event selected: the last walk's range
  ui().BoardButton->click();
  board = window().boardWindow();
  walk = static_cast<WalkTab*>(board->tabs()->widget(0));
  EXPECT_EQ(board->size(), QSize(700, 520));
  EXPECT_EQ(board->tabs()->currentIndex(), 1);
  EXPECT_DOUBLE_EQ(walk->dwellSeconds(), 7.5);
  EXPECT_EQ(walk->firstRow(), 10);
  EXPECT_EQ(walk->lastRow(), 20);
  board->close();

  // An event selected in the grid starts "Od", as before.
  window().selectMatrixRow(30);
  ui().BoardButton->click();
  EXPECT_EQ(walk->firstRow(), 30);
  EXPECT_EQ(walk->lastRow(), ConfigMatrix::kRows - 1);
}

// Each value read is checked: one out of its range counts as missing.
TEST(UserSettings, ValuesOutOfRangeReadAsMissingAndResetForgetsAll) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString file = folder.filePath(QStringLiteral("zel17.ini"));
  struct Case {
    const char* ini;
    std::optional<double> dwell;
    bool range;
    int tab;
  };
  const Case cases[] = {
      {"[test_po_kolei]\nczas=7.5\nod=5\ndo=304\n[tablica]\nzakladka=1\n", 7.5, true, 1},
      {"[test_po_kolei]\nczas=0.4\nod=5\ndo=305\n[tablica]\nzakladka=-1\n", std::nullopt, false, -1},
      {"[test_po_kolei]\nczas=61\nod=x\ndo=7\n[tablica]\nzakladka=y\n", std::nullopt, false, -1},
      {"[test_po_kolei]\nczas=nan\nod=-1\ndo=7\n", std::nullopt, false, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini);
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(c.ini);
    out.close();
    UserSettings settings(std::make_unique<QSettings>(file, QSettings::IniFormat));
    EXPECT_EQ(settings.walkDwellSeconds(), c.dwell);
    EXPECT_EQ(settings.walkRange().has_value(), c.range);
    EXPECT_EQ(settings.boardTab(), c.tab);
  }

  UserSettings settings(std::make_unique<QSettings>(file, QSettings::IniFormat));
  settings.setEngineerName(QString::fromUtf8("Jan Kowalski-Żak"));
  for (int i = 0; i < UserSettings::kRecentFolders + 2; ++i) {
    ASSERT_TRUE(QDir(folder.path()).mkdir(QString::number(i)));
    settings.rememberFolderOf(FileKind::report, folder.filePath(QStringLiteral("%1/r.pdf").arg(i)));
  }
  const QStringList folders = settings.recentFolders(FileKind::report);
  ASSERT_EQ(folders.size(), UserSettings::kRecentFolders);
  EXPECT_EQ(folders.front(), folder.filePath(QString::number(UserSettings::kRecentFolders + 1)));
  EXPECT_TRUE(settings.recentFolders(FileKind::configuration).isEmpty());  // each kind apart
  EXPECT_EQ(QSettings(file, QSettings::IniFormat).value(QStringLiteral("protokol/inzynier")).toString(),
            QString::fromUtf8("Jan Kowalski-Żak"));

  std::vector<std::filesystem::path> arguments{"--reset-settings", "plik.zel"};
  EXPECT_TRUE(take_reset_settings_option(arguments));
  EXPECT_EQ(arguments, std::vector<std::filesystem::path>{"plik.zel"});
  EXPECT_FALSE(take_reset_settings_option(arguments));
  settings.clear();
  EXPECT_TRUE(settings.engineerName().isEmpty());
  EXPECT_TRUE(settings.folder(FileKind::report).isEmpty());
}

}  // namespace
