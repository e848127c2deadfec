// "Zapisz..." and "Otwórz..." of the configuration page: the dialogs they
// ask through, the file they write and read, and what the user is told when
// it fails. The dialogs are answered in the user's place, the real ones too.

#include <QAbstractItemModel>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>

#include "answered_prompts.h"
#include "app/file_dialogs.h"
#include "config/config_matrix.h"
#include "file_bytes.h"
#include "flash_layout.h"
#include "window_fixture.h"

namespace {

void write_bytes(const QString& path, const std::string& bytes) {
  std::ofstream(path.toStdString(), std::ios::binary | std::ios::trunc) << bytes;
}

std::string matrix_bytes(const ConfigMatrix& m) { return {m.bytes().begin(), m.bytes().end()}; }

class ConfigFileTest : public WindowTest, public AnsweredPrompts {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    ASSERT_TRUE(folder.isValid());
    answerPromptsOf(window());
  }

  QString path(const char* name) { return folder.filePath(QString::fromUtf8(name)); }
  void save(const QString& name) {
    answer = name;
    ui().SaveConfigButton->click();
  }
  void load(const QString& name) {
    answer = name;
    ui().LoadConfigButton->click();
  }
  QColor shownColor(int row, int column) {
    return ui().DrawGrid1->model()->index(row, column).data(Qt::BackgroundRole).value<QColor>();
  }

  QTemporaryDir folder;
};

TEST_F(ConfigFileTest, RoundTripKeepsEveryCellIncludingRowFour) {
  config_matrix() = random_matrix(11);
  config_matrix().set(4, 0, 2);
  config_matrix().set(4, 24, 3);
  const ConfigMatrix saved = config_matrix();
  save(path("układ.zel"));
  EXPECT_EQ(read_bytes(path("układ.zel")), matrix_bytes(saved));

  config_matrix().reset();
  window().repaintMatrix();
  load(path("układ.zel"));
  EXPECT_EQ(config_matrix(), saved);
  EXPECT_EQ(shownColor(4, 0), QColor(0, 0, 255));  // repainted: fast blinking
  EXPECT_TRUE(warnings.isEmpty());
  EXPECT_TRUE(window().statusText().isEmpty());  // success is silent

  // Each dialog starts with the name last chosen in it.
  save(path("druga.zel"));
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked[0].settings, &SaveDialog);
  EXPECT_EQ(asked[0].mode, FileDialogMode::save);
  EXPECT_EQ(asked[0].start_file, "konfiguracja.zel");
  EXPECT_EQ(asked[1].settings, &OpenDialog);
  EXPECT_EQ(asked[1].mode, FileDialogMode::open);
  EXPECT_EQ(asked[1].start_file, "konfiguracja.zel");
  EXPECT_EQ(asked[2].start_file, path("układ.zel"));
}

TEST_F(ConfigFileTest, SavingOverALongerFileLeavesExactlyTheMatrix) {
  write_bytes(path("stary.zel"), std::string(10000, 'x'));
  config_matrix().set(0, 0, 1);
  save(path("stary.zel"));
  EXPECT_EQ(read_bytes(path("stary.zel")), matrix_bytes(config_matrix()));
  EXPECT_TRUE(warnings.isEmpty());
}

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

TEST_F(ConfigFileTest, OddByteShowsBlackAndOneClickMakesItWhite) {
  std::string bytes(7625, '\0');
  bytes[ConfigMatrix::index(1, 2)] = 7;
  write_bytes(path("siódemka.zel"), bytes);
  load(path("siódemka.zel"));
  EXPECT_EQ(config_matrix().at(1, 2), 7);
  const QAbstractItemModel* model = ui().DrawGrid1->model();
  const QPoint centre = ui().DrawGrid1->visualRect(model->index(1, 2)).center();
  EXPECT_EQ(ui().DrawGrid1->viewport()->grab().toImage().pixelColor(centre), QColor(0, 0, 0));
  QTest::mouseClick(ui().DrawGrid1->viewport(), Qt::LeftButton, {}, centre);
  EXPECT_EQ(config_matrix().at(1, 2), 0);
  EXPECT_EQ(ui().DrawGrid1->viewport()->grab().toImage().pixelColor(centre), QColor(255, 255, 255));
}

// The real dialogs, answered through the window system as a user would.
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

}  // namespace
