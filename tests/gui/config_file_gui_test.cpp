// SPDX-License-Identifier: MIT
// "Zapisz..." and "Otwórz..." of the configuration page: the dialogs they
// ask through, the file they write and read, and what the user is told when
// it fails. The dialogs are answered in the user's place, the real ones too.

#include <QAbstractItemModel>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>
#include <functional>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPrinter>
#include <QUrl>

#ifdef __linux__
#include "../immutable_folder.h"
#endif
#include "app/command_line.h"
#include "app/file_dialogs.h"
#include "config/address_fill.h"
#include "config/config_csv.h"
#include "config/config_matrix.h"
#include "config/name_text.h"
#include "config/project_file.h"
#include "file_bytes.h"
#include "file_window_test.h"
#include "flash_layout.h"
#include "gui/edit_history.h"
#include "gui/matrix_model.h"
#include "gui/report_rows_dialog.h"
#include "poppler_run.h"
#include "window_fixture.h"

namespace {

std::string matrix_bytes(const ConfigMatrix& m) { return {m.bytes().begin(), m.bytes().end()}; }

class ConfigFileTest : public FileWindowTest {
 protected:
  std::filesystem::path file_path(const char* name) { return utf8_path(path(name).toStdString()); }
  QColor shownColor(int row, int column) {
    return ui().DrawGrid1->model()->index(row, column).data(Qt::BackgroundRole).value<QColor>();
  }
};

TEST_F(ConfigFileTest, RoundTripKeepsEveryCellIncludingRowFour) {
  config_matrix() = random_matrix(11);
  config_matrix().set(5, 0, 2);
  const ConfigMatrix saved = config_matrix();
  save(path("układ.zel"));
  EXPECT_EQ(read_bytes(path("układ.zel")), matrix_bytes(saved));

  config_matrix().reset();
  window().repaintMatrix();
  load(path("układ.zel"));
  EXPECT_EQ(config_matrix(), saved);
  EXPECT_EQ(shownColor(5, 0), QColor(0, 0, 255));  // repainted: fast blinking
  EXPECT_TRUE(warnings.isEmpty());
  EXPECT_TRUE(window().statusText().isEmpty());  // success is silent

  // Each dialog starts with the name last chosen in it; one not used yet in
  // the folder last used for a configuration.
  save(path("druga.zel"));
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked[0].settings, &SaveDialog);
  EXPECT_EQ(asked[0].mode, FileDialogMode::save);
  EXPECT_EQ(asked[0].start_file, "konfiguracja.zel");
  EXPECT_EQ(asked[1].settings, &OpenDialog);
  EXPECT_EQ(asked[1].mode, FileDialogMode::open);
  EXPECT_EQ(asked[1].start_file, path("konfiguracja.zel"));
  EXPECT_EQ(asked[2].start_file, path("układ.zel"));
}

TEST_F(ConfigFileTest, SavingOverALongerFileLeavesExactlyTheMatrix) {
  write_bytes(path("stary.zel"), std::string(10000, 'x'));
  config_matrix().set(0, 0, 1);
  save(path("stary.zel"));
  EXPECT_EQ(read_bytes(path("stary.zel")), matrix_bytes(config_matrix()));
  EXPECT_TRUE(warnings.isEmpty());
}

#ifdef __linux__
// A folder that takes no new file (immutable, as root): the file is written
// in place, and the status says so.
TEST_F(ConfigFileTest, AnInPlaceSaveSaysSoInTheStatus) {
  QDir(folder.path()).mkdir(QStringLiteral("zamkniety"));
  const QString file = path("zamkniety/wspolna.zel");
  write_bytes(file, std::string(10000, 'x'));
  qputenv("XDG_CACHE_HOME", path("cache").toUtf8());
  const ImmutableFolder closed(file_path("zamkniety"));
  if (!closed.set()) GTEST_SKIP() << "only root may make a folder immutable";
  config_matrix() = random_matrix(5);
  save(file);
  qunsetenv("XDG_CACHE_HOME");
  EXPECT_TRUE(warnings.isEmpty()) << warnings.join(QStringLiteral("\n")).toStdString();
  EXPECT_EQ(window().statusText(),
            QString::fromUtf8("Zapisano: wspolna.zel. Zapisano w miejscu: folder nie pozwala na bezpieczną zamianę pliku."));
  EXPECT_EQ(read_bytes(file), matrix_bytes(config_matrix()));
}
#endif

TEST_F(ConfigFileTest, FailuresWarnNamingTheFileAndChangeNothing) {
  struct Case {
    const char* name;
    bool saving;
    const char* file;
    std::string existing;  // the file's bytes before; empty: none
    const char* reason;    // part of the warning
    const char* status;
  };
  const Case cases[] = {
      {"missing file", false, "brak.zel", "", "Plik nie istnieje", "Błąd odczytu pliku konfiguracji!"},
      {"100 values", false, "krótki.zel", std::string(100, '\x01'), "100", "Błąd odczytu pliku konfiguracji!"},
      {"byte 26 at 500", false, "koniec.zel",
       std::string(500, '\x02') + '\x1A' + std::string(8000, '\x02'), "500", "Błąd odczytu pliku konfiguracji!"},
      {"folder missing", true, "nie-ma/plik.zel", "", "", "Błąd zapisu pliku konfiguracji!"},
      {"folder named", true, "", "", "folder", "Błąd zapisu pliku konfiguracji!"},
  };
  config_matrix() = random_matrix(2);
  const ConfigMatrix before = config_matrix();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    warnings.clear();
    ui().Status->clearMessage();
    const QString file = c.file[0] ? path(c.file) : folder.path();
    if (!c.existing.empty()) write_bytes(file, c.existing);
    if (c.saving) save(file); else load(file);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains(QDir::toNativeSeparators(file))) << warnings[0].toStdString();
    EXPECT_TRUE(warnings[0].contains(QString::fromUtf8(c.reason))) << warnings[0].toStdString();
    EXPECT_EQ(window().statusText().toStdString(), c.status);
    EXPECT_EQ(config_matrix(), before);
    if (c.existing.empty()) {
      EXPECT_EQ(QFileInfo(file).isFile(), false);  // a failed load or save creates nothing
    } else {
      EXPECT_EQ(read_bytes(file), c.existing);
    }
  }
}

TEST_F(ConfigFileTest, FailedSaveLeavesTheOldFileAsItWas) {
  const QString file = path("chroniony.zel");
  write_bytes(file, std::string(300, '\x03'));
  QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadUser);
  save(file);
  ASSERT_EQ(warnings.size(), 1);
  EXPECT_EQ(window().statusText(), QString::fromUtf8("Błąd zapisu pliku konfiguracji!"));
  EXPECT_EQ(read_bytes(file), std::string(300, '\x03'));

  // A read-only file loads normally.
  write_bytes(path("wzór.zel"), matrix_bytes(random_matrix(4)));
  QFile::setPermissions(path("wzór.zel"), QFileDevice::ReadOwner | QFileDevice::ReadUser);
  warnings.clear();
  load(path("wzór.zel"));
  EXPECT_TRUE(warnings.isEmpty());
  EXPECT_EQ(config_matrix(), random_matrix(4));
}

TEST_F(ConfigFileTest, CancellingEitherDialogChangesNothing) {
  config_matrix().set(3, 3, 3);
  const ConfigMatrix before = config_matrix();
  window().setStatusText(QStringLiteral("bez zmian"));
  save(QString());
  load(QString());
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_TRUE(warnings.isEmpty());
  EXPECT_EQ(window().statusText(), QStringLiteral("bez zmian"));
  EXPECT_EQ(config_matrix(), before);
  EXPECT_TRUE(QDir(folder.path()).isEmpty());

  // A cancelled dialog keeps the name it started with for next time.
  save(QString());
  EXPECT_EQ(asked.back().start_file, "konfiguracja.zel");
}

// Only a configuration reaches the grid: a file whose values are not all
// modes (255 in row 4) is refused whichever way it comes, naming the first
// bad cell, and the grid, its history and its caption stay as they were.
TEST_F(ConfigFileTest, AFileThatIsNoConfigurationIsRefusedFromEverySource) {
  std::string with_a_4 = matrix_bytes(random_matrix(5));
  with_a_4[ConfigMatrix::index(11, 1)] = 4;
  std::string mode_in_row_4 = matrix_bytes(ConfigMatrix());
  mode_in_row_4[ConfigMatrix::index(4, 0)] = 0;
  Project breaking;
  breaking.matrix.bytes() = random_matrix(5).bytes();
  breaking.matrix.set(11, 1, 4);
  breaking.names.lamps[0] = "Hala A";
  Project named;
  named.names.addresses[3] = "Kotłownia";
  std::string damaged_project = project_text(named);
  const std::string first_row = "\"0000000000000000000000000\"";
  damaged_project.replace(damaged_project.find(first_row), first_row.size(), "\"1000000000000000000000000\"");
  std::string newer_project = project_text(named);
  newer_project.replace(newer_project.find("\"wersja\": 1"), 11, "\"wersja\": 2");
  std::string text_file;  // long enough, and no white space to skip
  while (text_file.size() < 9000) text_file += "#ZEL17-konfigurator-tablicy-synoptycznej.";
  struct Case {
    const char* name;
    const char* file;
    std::string bytes;
    const char* reason;
  };
  const Case cases[] = {
      {"a 4 in one cell", "czwórka.zel", with_a_4, "Plik nie jest konfiguracją: wiersz „adr 2. Alarm I”, wyjście 2, wartość 4."},
      {"a mode in row 4", "wiersz4.zel", mode_in_row_4, "Plik nie jest konfiguracją: wiersz „(brak funckji)”, wyjście 1, wartość 0."},
      {"a text file", "README.md", text_file, "Plik nie jest konfiguracją: wiersz „Brak zdarzeń”, wyjście 1, wartość 35."},
      {"a CSV table under a .zel name", "tabela.zel", config_csv_text(random_matrix(6)),
       "Plik nie jest konfiguracją: wiersz „Brak zdarzeń”, wyjście 1, wartość 239."},
      // Projects: their names must not arrive either.
      {"a damaged project", "uszkodzony.zelp", damaged_project,
       "Plik projektu jest uszkodzony: tabela nie zgadza się z sumą „sha256”."},
      {"a newer project", "nowszy.zelp", newer_project,
       "Plik projektu ma wersję 2, nowszą niż ta wersja programu (1); otwórz go nowszą wersją programu."},
      {"a project breaking the rule", "zly.zelp", project_text(breaking),
       "Plik nie jest konfiguracją: wiersz „adr 2. Alarm I”, wyjście 2, wartość 4."},
      {"a .zel file under a project's name", "tabela.zelp", matrix_bytes(random_matrix(3)),
       "To nie jest plik projektu: niepoprawny JSON."},
  };
  config_matrix() = random_matrix(7);
  window().repaintMatrix();
  window().editHistory().markSaved();
  const ConfigMatrix before = config_matrix();
  const int steps = window().editHistory().stack().count();
  const QString caption = window().windowTitle();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    write_bytes(path(c.file), c.bytes);
    const std::filesystem::path file = utf8_path(path(c.file).toStdString());
    const std::function<void()> sources[] = {
        [&] { load(path(c.file)); },
        [&] { open_command_line_file(window(), {file}); },
        [&] {
          QMimeData data;
          data.setUrls({QUrl::fromLocalFile(path(c.file))});
          QDragEnterEvent enter(QPoint(400, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
          QApplication::sendEvent(&window(), &enter);
          QDropEvent drop(QPointF(400, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
          QApplication::sendEvent(&window(), &drop);
        },
        [&] {
          answer = path(c.file);
          ui().CompareButton->click();
        },
    };
    const bool droppable = !QString::fromUtf8(c.file).endsWith(QStringLiteral(".md"));  // a drop takes .zel and .csv
    for (std::size_t source = 0; source < std::size(sources); ++source) {
      if (source == 2 && !droppable) continue;
      SCOPED_TRACE(source);
      warnings.clear();
      ui().Status->clearMessage();
      sources[source]();
      ASSERT_EQ(warnings.size(), 1);
      EXPECT_TRUE(warnings[0].endsWith(QStringLiteral("\n\n") + QString::fromUtf8(c.reason)))
          << warnings[0].toStdString();
      EXPECT_EQ(window().statusText(), QStringLiteral("Błąd odczytu pliku konfiguracji!"));
      EXPECT_EQ(config_matrix(), before);
      EXPECT_EQ(project_names(), ProjectNames{});
      EXPECT_EQ(window().editHistory().stack().count(), steps);
      EXPECT_EQ(window().windowTitle(), caption);
      EXPECT_FALSE(window().isDifferenceMarked(0, 0));
    }
  }
}

// "Zapisz..." under a name ending in .csv writes the table "Eksportuj..."
// writes; any other name the configuration file's bytes.
TEST_F(ConfigFileTest, SavingUnderACsvNameWritesTheTable) {
  config_matrix() = random_matrix(12);
  for (const char* name : {"tabela.csv", "TABELA.Csv"}) {
    save(path(name));
    EXPECT_EQ(read_bytes(path(name)), config_csv_text(config_matrix())) << name;
  }
  answer = path("eksport.csv");
  ui().ExportButton->click();
  EXPECT_EQ(read_bytes(path("eksport.csv")), read_bytes(path("tabela.csv")));
  for (const char* name : {"tabela.csv.zel", "bez rozszerzenia"}) {
    save(path(name));
    EXPECT_EQ(read_bytes(path(name)), matrix_bytes(config_matrix())) << name;
  }
  config_matrix().reset();
  load(path("TABELA.Csv"));
  EXPECT_EQ(config_matrix(), random_matrix(12));
  EXPECT_TRUE(warnings.isEmpty());
}

// The real dialogs, answered through the window system as a user would.
TEST_F(ConfigFileTest, UnsavedChangesAreMarkedAndAskedAboutOnClose) {
  const QString caption = window().windowTitle();
  const auto marked = [&] { return window().windowTitle() == caption + QStringLiteral(" *"); };
  const QPoint cell = ui().DrawGrid1->visualRect(ui().DrawGrid1->model()->index(5, 0)).center();
  EXPECT_FALSE(marked());
  QTest::mouseClick(ui().DrawGrid1->viewport(), Qt::LeftButton, {}, cell);
  EXPECT_TRUE(marked());
  QTest::keyClick(ui().DrawGrid1, Qt::Key_Z, Qt::ControlModifier);  // back to the fresh grid
  EXPECT_FALSE(marked());
  QTest::keyClick(ui().DrawGrid1, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_TRUE(marked());
  save(path("zapisany.zel"));
  EXPECT_FALSE(marked());
  // From the save on, the caption names the file, and the status says it was saved.
  const QString named = QStringLiteral("zapisany.zel – ") + caption;
  EXPECT_EQ(window().windowTitle(), named);
  EXPECT_EQ(ui().Status->currentMessage(), QStringLiteral("Zapisano: zapisany.zel"));
  QTest::mouseClick(ui().DrawGrid1->viewport(), Qt::LeftButton, {}, cell);
  EXPECT_EQ(window().windowTitle(), named + QStringLiteral(" *"));
  EXPECT_EQ(ui().Status->currentMessage(), QStringLiteral("Zapisano: zapisany.zel"));  // not about an edit
  load(path("zapisany.zel"));  // a load is a step of its own, and equals the file
  EXPECT_FALSE(marked());
  EXPECT_EQ(window().windowTitle(), named);
  EXPECT_EQ(ui().Status->currentMessage(), QString());  // a load is silent, and takes the save's status away

  int asked = 0;
  SaveChangesAnswer reply = SaveChangesAnswer::cancel;
  window().askSaveChanges = [&](const QString& question) {
    EXPECT_EQ(question, QString::fromUtf8(kSaveBeforeClosing));
    ++asked;
    return reply;
  };
  EXPECT_TRUE(window().close());  // unmodified: no question
  EXPECT_EQ(asked, 0);
  window().show();

  QTest::mouseClick(ui().DrawGrid1->viewport(), Qt::LeftButton, {}, cell);
  EXPECT_FALSE(window().close());  // Anuluj
  EXPECT_TRUE(window().isVisible());
  reply = SaveChangesAnswer::save;
  answer.clear();  // the save dialog cancelled: the window stays
  EXPECT_FALSE(window().close());
  answer = path("przy zamknięciu.zel");
  EXPECT_TRUE(window().close());  // Zapisz
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(read_bytes(answer), matrix_bytes(config_matrix()));
  EXPECT_EQ(window().windowTitle(), QStringLiteral("przy zamknięciu.zel – ") + caption);

  window().show();
  QTest::mouseClick(ui().DrawGrid1->viewport(), Qt::LeftButton, {}, cell);
  reply = SaveChangesAnswer::discard;
  EXPECT_TRUE(window().close());  // Nie zapisuj
  EXPECT_FALSE(window().isVisible());
  EXPECT_TRUE(warnings.isEmpty());
}

// A table opened while the window holds names asks whether they stay with
// it; either answer is one undo step.
TEST_F(ConfigFileTest, OpeningATableAsksWhetherTheNamesBelongToIt) {
  write_bytes(path("inny.zel"), matrix_bytes(random_matrix(21)));
  Project site;
  site.names.site.name = "Zakład Północ";
  ASSERT_TRUE(save_project(file_path("zaklad.zelp"), site).ok);
  load(path("zaklad.zelp"));
  load(path("inny.zel"));  // Tak
  ASSERT_EQ(questions, QStringList{QString::fromUtf8("Zachować nazwy obiektu „Zakład Północ” dla tej tabeli?")});
  EXPECT_EQ(project_names(), site.names);
  EXPECT_TRUE(window().windowTitle().endsWith(QStringLiteral(" *")));  // no file holds the two together
  yes = false;
  load(path("inny.zel"));  // Nie
  EXPECT_EQ(project_names(), ProjectNames{});
  window().editHistory().stack().undo();
  EXPECT_EQ(project_names(), site.names);
  EXPECT_EQ(config_matrix(), random_matrix(21));
}

// What a project holds beside its table makes "Zapisz..." propose a project,
// and a save of the table alone ask first, naming what it will not keep.
TEST_F(ConfigFileTest, ASaveThatWouldLeaveOutNamesOrLabelsProposesAProjectAndAsksFirst) {
  save(path("tabela.zel"));  // the table alone: nothing to ask
  Project labelled;
  labelled.labels.pitch_down_mm = 24;
  ASSERT_TRUE(save_project(file_path("wkladka.zelp"), labelled).ok);
  load(path("wkladka.zelp"));
  yes = false;
  save(path("tabela.csv"));
  EXPECT_EQ(asked.back().start_file, path("tabela.zelp"));
  EXPECT_EQ(questions, QStringList{QString::fromUtf8(
                           "Plik „tabela.csv” zachowa tylko tabelę. Nie zostaną w nim zapisane: wymiary wkładki z "
                           "nazwami lamp.\n\nZachowa je projekt (plik .zelp). Zapisać samą tabelę?")});
  EXPECT_FALSE(QFileInfo::exists(path("tabela.csv")));
  yes = true;
  save(path("tabela.csv"));
  EXPECT_EQ(window().statusText(), QStringLiteral("Zapisano: tabela.csv"));
  // Still marked as changed, the labels being left out; "Nowy" asks, and a
  // second save of the table alone, agreed to, lets it go on.
  window().askSaveChanges = [](const QString&) { return SaveChangesAnswer::save; };
  answer = path("tabela.csv");
  window().findChild<QPushButton*>(QStringLiteral("NewConfigButton"))->click();
  EXPECT_EQ(window().currentProject(), Project{});
}

// "Nowy" (also Ctrl+N): an empty project without a file, as one undo step,
// after asking about unsaved changes.
TEST_F(ConfigFileTest, NowyGivesAnEmptyProjectAsOneStepAfterAskingAboutChanges) {
  Project site;
  site.matrix = random_matrix(3);
  site.names.lamps[6] = "Hala A";
  site.labels.pitch_down_mm = 24;
  ASSERT_TRUE(save_project(file_path("zaklad.zelp"), site).ok);
  load(path("zaklad.zelp"));
  QStringList asked_to_save;
  window().askSaveChanges = [&](const QString& question) {
    asked_to_save << question;
    return asked_to_save.size() == 1 ? SaveChangesAnswer::cancel : SaveChangesAnswer::discard;
  };
  window().findChild<QPushButton*>(QStringLiteral("NewConfigButton"))->click();  // nothing unsaved
  EXPECT_EQ(window().currentProject(), Project{});
  EXPECT_FALSE(window().windowTitle().contains(QStringLiteral("zaklad")));
  window().editHistory().stack().undo();
  EXPECT_EQ(window().currentProject(), site);
  window().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
  QTest::keyClick(ui().DrawGrid1, Qt::Key_N, Qt::ControlModifier);  // Anuluj
  EXPECT_EQ(window().currentProject(), site);
  QTest::keyClick(ui().DrawGrid1, Qt::Key_N, Qt::ControlModifier);  // Nie zapisuj
  EXPECT_EQ(window().currentProject(), Project{});
  EXPECT_EQ(asked_to_save, QStringList(2, QString::fromUtf8(kSaveBeforeNew)));
}

TEST_F(ConfigFileTest, CompareMarksTheCellsInWhichAFileDiffers) {
  ConfigMatrix file = random_matrix(3);
  config_matrix() = file;
  window().repaintMatrix();
  const std::vector<std::pair<int, int>> changed = {{0, 0}, {17, 24}, {300, 12}};
  for (const auto& [row, column] : changed) file.set(row, column, next_led_mode(file.at(row, column)));
  write_bytes(path("inny.zel"), matrix_bytes(file));
  const ConfigMatrix grid = config_matrix();
  const int steps = window().editHistory().stack().count();

  answer = path("inny.zel");
  ui().CompareButton->click();
  EXPECT_EQ(ui().Status->currentMessage(), QStringLiteral("Plik różni się od edytowanej konfiguracji w 3 komórkach."));
  for (int row = 0; row < 305; ++row)
    for (int column = 0; column < 25; ++column) {
      const bool expected = std::find(changed.begin(), changed.end(), std::pair{row, column}) != changed.end();
      ASSERT_EQ(window().isDifferenceMarked(row, column), expected) << row << "," << column;
    }
  EXPECT_EQ(config_matrix(), grid);  // comparing changes no cell
  EXPECT_EQ(window().editHistory().stack().count(), steps);

  write_bytes(path("ten sam.zel"), matrix_bytes(grid));
  answer = path("ten sam.zel");
  ui().CompareButton->click();
  EXPECT_EQ(ui().Status->currentMessage(), QStringLiteral("Plik zgodny z edytowaną konfiguracją."));
  EXPECT_FALSE(window().isDifferenceMarked(0, 0));
  EXPECT_TRUE(warnings.isEmpty());
}

// The marks belong to the comparison that made them: every other change of
// the grid takes them all away.
TEST_F(ConfigFileTest, DifferenceMarksGoWithEveryOtherChangeOfTheGrid) {
  write_bytes(path("inny.zel"), matrix_bytes(random_matrix(5)));
  const auto any_marked = [this] {
    for (int row = 0; row < 305; ++row)
      for (int column = 0; column < 25; ++column)
        if (window().isDifferenceMarked(row, column)) return true;
    return false;
  };
  window().askAddressFill = [] {
    return std::optional<AddressFill>(AddressFill{0, 24, 1, true, {LED_SLOW_BLINK, LED_STEADY, LED_FAST_BLINK}});
  };
  const std::pair<const char*, std::function<void()>> changes[] = {
      {"Otwórz...", [&] { load(path("inny.zel")); }},
      {"a file from the command line", [&] { window().openConfigFile(path("inny.zel")); }},
      {"paste", [&] {
         QGuiApplication::clipboard()->setText(QStringLiteral("3\t3"));
         window().PasteRowsClick();
       }},
      {"Wypełnij...", [&] { ui().FillButton->click(); }},
      {"undo", [&] { window().UndoClick(); }},
      {"redo", [&] { window().RedoClick(); }},
  };
  const QPoint cell = ui().DrawGrid1->visualRect(ui().DrawGrid1->model()->index(5, 0)).center();
  for (const auto& [change, make] : changes) {
    SCOPED_TRACE(change);
    config_matrix().reset();
    window().repaintMatrix();
    // A step to undo and one to redo.
    for (int i = 0; i < 2; ++i) QTest::mouseClick(ui().DrawGrid1->viewport(), Qt::LeftButton, {}, cell);
    window().UndoClick();
    answer = path("inny.zel");
    ui().CompareButton->click();
    ASSERT_TRUE(any_marked());
    const ConfigMatrix before = config_matrix();
    make();
    ASSERT_NE(config_matrix(), before);
    EXPECT_FALSE(any_marked());
  }
  EXPECT_TRUE(warnings.isEmpty());
}

TEST_F(ConfigFileTest, ExportWritesAPdfOrACsvTableThatOpensBackAsOneStep) {
  EXPECT_EQ(ui().ExportButton->geometry(), QRect(472, 520, 75, 25));
  EXPECT_EQ(ui().PrintButton->geometry(), QRect(560, 520, 75, 25));
  EXPECT_EQ(ui().CompareButton->geometry(), QRect(384, 520, 75, 25));
  // A table holds modes only: 0-3, and 255 on row 4.
  for (int row = 0; row < 305; ++row)
    for (int column = 0; column < 25; ++column)
      if (row != 4) config_matrix().set(row, column, random_matrix(21).at(row, column) % 4);
  window().repaintMatrix();
  const ConfigMatrix exported = config_matrix();

  answer = path("raport.pdf");
  ui().ExportButton->click();
  EXPECT_EQ(asked.back().settings, &ExportDialog);
  EXPECT_EQ(read_bytes(answer).substr(0, 5), "%PDF-");
  answer = path("tabela.CSV");
  ui().ExportButton->click();
  EXPECT_EQ(read_bytes(answer).substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(ui().Status->currentMessage(), QStringLiteral("Konfiguracja wyeksportowana."));

  config_matrix().reset();
  window().repaintMatrix();
  load(path("tabela.CSV"));
  EXPECT_EQ(config_matrix(), exported);
  ui().DrawGrid1->setFocus();
  QTest::keyClick(ui().DrawGrid1, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(config_matrix(), ConfigMatrix());

  // A table that is not whole names the place and changes nothing.
  std::string broken = read_bytes(path("tabela.CSV"));
  broken.replace(broken.find("\r\n", broken.find("adr 2. Alarm I")) - 1, 1, "7");
  write_bytes(path("zepsuta.csv"), broken);
  load(path("zepsuta.csv"));
  EXPECT_EQ(config_matrix(), ConfigMatrix());
  ASSERT_EQ(warnings.size(), 1);
  EXPECT_TRUE(warnings[0].contains(QStringLiteral("wiersz 13, kolumna 26"))) << warnings[0].toStdString();

  // An export that cannot be written warns like a failed save.
  answer = folder.filePath("brak/raport.pdf");
  ui().ExportButton->click();
  EXPECT_EQ(ui().Status->currentMessage(), QStringLiteral("Błąd eksportu konfiguracji!"));
  EXPECT_EQ(warnings.size(), 2);
}

TEST_F(ConfigFileTest, PrintingGoesWhereThePrintDialogSaysAndCancellingPrintsNothing) {
  bool accept = false;
  window().setUpPrinter = [&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path("wydruk.pdf"));
    return accept;
  };
  ui().PrintButton->click();
  EXPECT_FALSE(QFileInfo::exists(path("wydruk.pdf")));
  accept = true;
  ui().PrintButton->click();
  EXPECT_EQ(read_bytes(path("wydruk.pdf")).substr(0, 5), "%PDF-");
  EXPECT_TRUE(warnings.isEmpty());
}

// "Eksportuj..." (for a report) and "Drukuj..." ask which events the report
// lists before anything is written; the dialog offers the whole table first.
TEST_F(ConfigFileTest, ExportAndPrintOfferOnlyTheEventsThatLightALamp) {
  config_matrix().set(41, 6, LED_STEADY);
  window().repaintMatrix();
  QStringList titles;
  std::optional<ReportRows> choice;  // none: Anuluj
  window().askReportRows = [&](const QString& title) {
    titles << title;
    return choice;
  };
  const QString lit_only = QString::fromUtf8("Tylko zdarzenia, które zapalają lampy: 1 z 304.");
  answer = path("raport.pdf");
  ui().ExportButton->click();
  EXPECT_FALSE(QFileInfo::exists(answer));
  choice = ReportRows::lighting;
  ui().ExportButton->click();
  QString text = pdf_layout_text(answer);
  EXPECT_TRUE(text.contains(lit_only)) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("adr 12. Alarm I")));
  EXPECT_FALSE(text.contains(QStringLiteral("adr 12. Alarm II")));
  EXPECT_TRUE(text.contains(QStringLiteral("Strona 1 z 1")));
  answer = path("tabela.csv");  // the CSV table is always whole: not asked
  ui().ExportButton->click();
  EXPECT_NE(read_bytes(answer).find("adr 99. Awaria"), std::string::npos);

  window().setUpPrinter = [&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path("wydruk.pdf"));
    return true;
  };
  ui().PrintButton->click();
  text = pdf_layout_text(path("wydruk.pdf"));
  EXPECT_TRUE(text.contains(lit_only)) << text.toStdString();
  EXPECT_EQ(titles, (QStringList{"Eksportuj konfigurację", "Eksportuj konfigurację", "Drukuj konfigurację"}));
  EXPECT_TRUE(warnings.isEmpty());

  ReportRowsDialog dialog(QStringLiteral("Drukuj konfigurację"), config_matrix());
  EXPECT_EQ(dialog.rows(), ReportRows::all);
  auto* all = dialog.findChild<QRadioButton*>(QStringLiteral("AllRowsButton"));
  auto* lighting = dialog.findChild<QRadioButton*>(QStringLiteral("LightingRowsButton"));
  ASSERT_TRUE(all && lighting);
  EXPECT_EQ(all->text(), QString::fromUtf8("cała tabela (304)"));
  EXPECT_EQ(lighting->text(), QString::fromUtf8("tylko zdarzenia, które zapalają lampy (1)"));
  lighting->click();
  EXPECT_EQ(dialog.rows(), ReportRows::lighting);
}

TEST_F(ConfigFileTest, AFileFromTheCommandLineOrADropOpensAsOpenDoes) {
  const ConfigMatrix file = random_matrix(8);
  write_bytes(path("z wiersza poleceń.zel"), matrix_bytes(file));
  open_command_line_file(window(), {file_path("z wiersza poleceń.zel")});
  EXPECT_EQ(config_matrix(), file);
  EXPECT_EQ(ui().DrawGrid1->model()->index(0, 0).data(Qt::BackgroundRole).value<QColor>(),
            to_qcolor(led_mode_color(file.at(0, 0))));
  EXPECT_FALSE(window().editHistory().isModified());

  // Usage errors open nothing; a missing file warns and leaves the grid.
  open_command_line_file(window(), {file_path("a.zel"), file_path("b.zel")});
  open_command_line_file(window(), {"-reverse"});
  EXPECT_TRUE(warnings.isEmpty());
  open_command_line_file(window(), {file_path("nie ma.zel")});
  EXPECT_EQ(warnings.size(), 1);
  EXPECT_EQ(config_matrix(), file);

  config_matrix() = random_matrix(9);
  write_bytes(path("upuszczony.zel"), matrix_bytes(config_matrix()));
  const ConfigMatrix dropped = config_matrix();
  config_matrix() = file;
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(path("upuszczony.zel"))});
  QDragEnterEvent enter(QPoint(400, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(&window(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(400, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(&window(), &drop);
  EXPECT_EQ(config_matrix(), dropped);

  data.setUrls({QUrl::fromLocalFile(path("obraz.png"))});  // not a configuration: not taken
  QDragEnterEvent other(QPoint(400, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(&window(), &other);
  EXPECT_FALSE(other.isAccepted());
}

class RealDialogTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    ASSERT_TRUE(folder.isValid());
    window().showWarning = [this](const QString& text) { warnings.push_back(text); };
  }

  // Runs `answer` on the next file dialog to open, once it is showing.
  void answerNextDialog(std::function<void(QFileDialog&)> answer) {
    auto* poll = new QTimer(&window());
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog || !dialog->isVisible()) return;
      poll->stop();
      poll->deleteLater();
      answer(*dialog);
      if (dialog->isVisible()) {  // never leave the test waiting for a user
        ADD_FAILURE() << "the dialog stayed open";
        dialog->reject();
      }
    });
    poll->start(10);
  }

  QTemporaryDir folder;
  QStringList warnings;
};

TEST_F(RealDialogTest, DialogsCarryTheirSettingsAndRememberTheChosenName) {
  QString title, start, typed_in = folder.filePath("plik");
  QFileDialog::AcceptMode mode{};
  bool confirms_overwrite = true;
  answerNextDialog([&](QFileDialog& dialog) {
    title = dialog.windowTitle();
    start = dialog.selectedFiles().value(0);
    mode = dialog.acceptMode();
    confirms_overwrite = !dialog.testOption(QFileDialog::DontConfirmOverwrite);
    // The name typed without the extension, then "Zapisz" (the completer's
    // pop-up, which typing key by key may open, would take the Return key).
    auto* name_field = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name_field, nullptr);
    name_field->setText(typed_in);
    static_cast<QDialog&>(dialog).accept();
  });
  ui().SaveConfigButton->click();
  EXPECT_EQ(title, QString::fromUtf8("Zapisz konfigurację modułu ZEL"));
  EXPECT_TRUE(start.endsWith("/konfiguracja.zel")) << start.toStdString();
  EXPECT_EQ(mode, QFileDialog::AcceptSave);
  EXPECT_FALSE(confirms_overwrite);
  EXPECT_EQ(QFileInfo(folder.filePath("plik.zel")).size(), 7625);
  EXPECT_TRUE(warnings.isEmpty());

  // The open dialog keeps its own name; cancelling loads nothing.
  answerNextDialog([&](QFileDialog& dialog) {
    title = dialog.windowTitle();
    start = dialog.selectedFiles().value(0);
    mode = dialog.acceptMode();
    dialog.reject();
  });
  config_matrix().set(0, 0, 3);
  ui().LoadConfigButton->click();
  EXPECT_EQ(title, QString::fromUtf8("Zapisz konfigurację modułu ZEL"));
  EXPECT_TRUE(start.endsWith("/konfiguracja.zel")) << start.toStdString();
  EXPECT_EQ(mode, QFileDialog::AcceptOpen);
  EXPECT_EQ(config_matrix().at(0, 0), 3);

  // The save dialog starts with the file saved last.
  answerNextDialog([&](QFileDialog& dialog) {
    start = dialog.selectedFiles().value(0);
    dialog.reject();
  });
  ui().SaveConfigButton->click();
  EXPECT_EQ(start, folder.filePath("plik.zel"));
  EXPECT_TRUE(warnings.isEmpty());
}

// The save dialog's name and chosen filter agree, a project's while the
// window holds names, and a name typed without an extension takes the filter's.
TEST_F(RealDialogTest, TheSaveDialogsNameAndFilterAgreeWithWhatTheWindowHolds) {
  project_names().site.name = "Szkoła Podstawowa nr 3";
  window().askYesNo = [](const QString&) { return false; };  // a table alone would ask
  QString filter, start;
  answerNextDialog([&](QFileDialog& dialog) {
    filter = dialog.selectedNameFilter();
    start = dialog.selectedFiles().value(0);
    dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(folder.filePath("szkola-sp3"));
    static_cast<QDialog&>(dialog).accept();
  });
  ui().SaveConfigButton->click();
  EXPECT_EQ(filter, QStringLiteral("Projekt ZEL z nazwami (*.zelp)"));
  EXPECT_TRUE(start.endsWith(QStringLiteral("/konfiguracja.zelp"))) << start.toStdString();
  EXPECT_TRUE(QFileInfo::exists(folder.filePath("szkola-sp3.zelp")));
}

TEST_F(RealDialogTest, ExportFollowsTheChosenFilterWhenNoExtensionIsTyped) {
  QStringList filters;
  answerNextDialog([&](QFileDialog& dialog) {
    filters = dialog.nameFilters();
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    types->setCurrentIndex(1);  // "Tabela CSV (*.csv)", as the user picks it
    emit types->activated(1);
    emit types->textActivated(types->itemText(1));
    dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(folder.filePath("tabela"));
    static_cast<QDialog&>(dialog).accept();
  });
  ui().ExportButton->click();
  EXPECT_EQ(filters, QStringList({QStringLiteral("Raport PDF (*.pdf)"), QStringLiteral("Tabela CSV (*.csv)")}));
  EXPECT_TRUE(QFileInfo::exists(folder.filePath("tabela.csv")));
  EXPECT_TRUE(warnings.isEmpty());
}

}  // namespace
