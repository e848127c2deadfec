// SPDX-License-Identifier: MIT
// The walk test of the board window against the emulated module: one
// connection, the rows in order, the frame without events at the end, the
// grids following, steering keys, Stop, and an unplug in the middle.

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <filesystem>
#include <functional>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTableWidget>

#include "app/board_window.h"
#include "app/file_dialogs.h"
#include "app/protocol_command.h"
#include "app/walk_controller.h"
#include "app/walk_record_keeper.h"
#include "commissioning/walk_journal.h"
#include "commissioning/walk_protocol_csv.h"
#include "config/config_file.h"
#include "config/config_readback.h"
#include "config/name_text.h"
#include "config/sha256.h"
#include "config/test_payload.h"
#include "file_bytes.h"
#include "gui/walk_protocol_pdf.h"
#include "gui/walk_tab.h"
#include "module_window_fixture.h"
#include "poppler_run.h"

namespace {

using namespace std::chrono_literals;
using Frames = std::vector<std::vector<std::uint8_t>>;
namespace fs = std::filesystem;

std::string pdf_text(const fs::path& pdf, int page = 0) {
  return pdf_layout_text(QString::fromStdString(pdf.string()), page).toStdString();
}

std::size_t count_of(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

Frames row_frames(std::initializer_list<int> rows) {
  Frames frames;
  for (int row : rows) {
    const TestPayload payload = build_test_payload(row, 0);
    frames.emplace_back(payload.begin(), payload.end());
  }
  return frames;
}

// Every walk reads the module's table back first and keeps a record; a
// record of a grid without a file goes to the user's data folder, here in a
// home of the test's own. Questions are answered "Tak" unless a test says.
class WalkTest : public ModuleWindowTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.isValid());
    real_home_ = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home_.path()));
    ModuleWindowTest::SetUp();
    window().BoardButtonClick();
    tab_ = window().boardWindow()->findChild<WalkTab*>();
    ASSERT_NE(tab_, nullptr);
    window().askYesNo = [this](const QString& question) {
      questions_.push_back(question.toStdString());
      return answer_(questions_.back());
    };
  }
  void TearDown() override {
    ModuleWindowTest::TearDown();
    qputenv("HOME", real_home_);
  }
  // The journal of a grid without a file.
  std::filesystem::path dataFolderJournal() { return window().walkRecord()->journalPath(); }
  static bool isResumeQuestion(const std::string& question) {
    return question.rfind("Niedokończony protokół", 0) == 0;
  }
  WalkController& walk() { return *window().walk(); }
  template <typename Widget>
  Widget* control(const char* name) {
    return tab_->findChild<Widget*>(QString::fromLatin1(name));
  }
  void pickRange(int first, int last) {
    control<QComboBox>("WalkFirstRow")->setCurrentIndex(first);
    control<QComboBox>("WalkLastRow")->setCurrentIndex(last);
  }
  bool waitForEnd(std::chrono::milliseconds patience = 20s) {
    return QTest::qWaitFor([this] { return !walk().running(); }, static_cast<int>(patience.count()));
  }
  int hellos() {
    int count = 0;
    for (const UsbFrame& request : module().requests()) count += request[0] == HELLO_USB_FRAME;
    return count;
  }
  // Every device command the window offers, enabled or not as a whole.
  std::vector<bool> deviceControlsEnabled() {
    std::vector<bool> enabled;
    for (QPushButton* button : {ui().WriteConfigButton, ui().ReadConfigButton, ui().VerifyConfigButton,
                                ui().TestButton, ui().HelloButton, ui().RS485FramePleaseButton, ui().Button2})
      enabled.push_back(button->isEnabled());
    enabled.push_back(ui().Testuj1->isEnabled());
    return enabled;
  }

  WalkTab* tab_ = nullptr;
  std::vector<std::string> questions_;
  std::function<bool(const std::string& question)> answer_ = [](const std::string&) { return true; };

 private:
  QTemporaryDir home_;
  QByteArray real_home_;
};

TEST_F(WalkTest, WalksRowsInOrderOnOneConnectionAndClearsTheBoard) {
  window().selectMatrixRow(2);
  window().BoardButtonClick();
  EXPECT_EQ(control<QComboBox>("WalkFirstRow")->currentText(), QStringLiteral("adr 0. Alarm I"));  // 5 for rows below
  EXPECT_EQ(control<QComboBox>("WalkLastRow")->currentIndex(), 304);
  EXPECT_EQ(control<QDoubleSpinBox>("WalkDwell")->value(), 3.0);

  pickRange(4, 9);
  control<QDoubleSpinBox>("WalkDwell")->setValue(0.5);
  window().projectNames = [] {  // the window's names, given to the walk: the status line names it after the label
    ProjectNames names;
    names.addresses[1] = "Kotłownia";
    return names;
  };
  std::vector<int> selected, labels, lamps;
  std::vector<std::vector<bool>> controls;
  QObject context;
  QObject::connect(&walk(), &WalkController::rowShown, &context, [&] {
    selected.push_back(window().selectedMatrixRow());
    labels.push_back(window().selectedLabelRow());
    lamps.push_back(window().boardWindow()->shownRow());
    controls.push_back(deviceControlsEnabled());
  });
  StatusRecorder recorder(ui().Status, ui().ProgressBar);
  control<QPushButton>("WalkStart")->click();
  ASSERT_TRUE(waitForEnd());

  EXPECT_EQ(module().rs485_received(), row_frames({5, 6, 7, 8, 9, 0}));
  EXPECT_EQ(hellos(), 1);
  EXPECT_EQ(module().requests().size(), 7u + kReadbackCount);  // the table read back first
  // The module as the bed builds it holds no table: asked, "Tak" walks.
  EXPECT_EQ(questions_, std::vector<std::string>{"Moduł nie zawiera poprawnej konfiguracji!\nTest po kolei sprawdzi "
                                                 "wtedy inną tablicę niż edytowana. Mimo to rozpocząć?"});
  EXPECT_EQ(selected, (std::vector<int>{5, 6, 7, 8, 9}));
  EXPECT_EQ(labels, selected);
  EXPECT_EQ(lamps, selected);
  for (const auto& during : controls) EXPECT_EQ(during, std::vector<bool>(8, false));
  EXPECT_EQ(deviceControlsEnabled(), std::vector<bool>(8, true));
  EXPECT_EQ(recorder.texts(), (std::vector<std::string>{
                                  "Odczytywanie konfiguracji...", "Moduł nie zawiera poprawnej konfiguracji!",
                                  "Test po kolei: 1 z 5 – adr 0. Alarm I", "Test po kolei: 2 z 5 – adr 0. Alarm II",
                                  "Test po kolei: 3 z 5 – adr 0. Awaria",
                                  "Test po kolei: 4 z 5 – adr 1. Alarm I (Kotłownia)",
                                  "Test po kolei: 5 z 5 – adr 1. Alarm II (Kotłownia)", "Test po kolei zakończony (5 zdarzeń).",
                              }));
  EXPECT_EQ(control<QLabel>("WalkStatus")->text(), QString::fromUtf8("Test po kolei zakończony (5 zdarzeń)."));
  const std::vector<std::string> lines = console();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), kConnectedBanner), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), kDisconnectedBanner), 1);
  EXPECT_EQ(lines[lines.size() - 2], kDisconnectedBanner);
  expectDisconnected();

  // On its timer the walk keeps a record too, each event "nie oceniono",
  // in the data folder of the test's own home.
  const fs::path journal = dataFolderJournal();
  EXPECT_EQ(journal.string().rfind(qgetenv("HOME").toStdString(), 0), 0u) << journal;
  const JournalReading reading = load_walk_journal(journal);
  ASSERT_TRUE(reading.ok && reading.record) << reading.reason;
  EXPECT_EQ(reading.record->summary(), (RecordSummary{5, 0, 0, 5, 0}));
  for (const RecordLine& line : reading.record->lines) EXPECT_EQ(verdict_text(line.verdict), std::string("nie oceniono"));
  EXPECT_EQ(reading.record->header.differing_cells, kNoValidConfiguration);
  EXPECT_EQ(reading.record->header.configuration_file, "(bez pliku)");
  EXPECT_TRUE(reading.record->closed);
}

// Keys steer a running walk: Right on, Left back, Space pauses, Escape stops
// it with the frame without events.
TEST_F(WalkTest, KeysStepPauseAndStop) {
  pickRange(5, 9);
  control<QDoubleSpinBox>("WalkDwell")->setValue(60);
  // The keys work anywhere in the board window, as the platform delivers them.
  window().boardWindow()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window().boardWindow()));
  control<QPushButton>("WalkStart")->click();
  ASSERT_TRUE(walk().running());
  EXPECT_TRUE(connection_state().Connected);
  const auto key = [this](Qt::Key key) { QTest::keyClick(window().boardWindow()->windowHandle(), key, {}, 10); };
  QTest::qWait(50);  // the platform settles the focus first
  key(Qt::Key_Right);
  key(Qt::Key_Right);
  key(Qt::Key_Left);
  EXPECT_EQ(window().selectedMatrixRow(), 6);
  key(Qt::Key_Space);
  EXPECT_TRUE(walk().paused());
  EXPECT_EQ(control<QPushButton>("WalkPause")->text(), QString::fromUtf8("Wznów"));
  EXPECT_EQ(status(), "Test po kolei wstrzymany: 2 z 5 – adr 0. Alarm II");
  key(Qt::Key_Right);  // a step while paused stays paused, and says so
  EXPECT_EQ(status(), "Test po kolei wstrzymany: 3 z 5 – adr 0. Awaria");
  key(Qt::Key_Left);
  key(Qt::Key_Space);
  EXPECT_EQ(control<QPushButton>("WalkPause")->text(), QStringLiteral("Pauza"));
  EXPECT_EQ(status(), "Test po kolei: 2 z 5 – adr 0. Alarm II");
  key(Qt::Key_Escape);
  EXPECT_FALSE(walk().running());
  EXPECT_EQ(module().rs485_received(), row_frames({5, 6, 7, 6, 7, 6, 0}));
  EXPECT_EQ(status(), "Test po kolei zatrzymany (2 z 5).");
  EXPECT_TRUE(control<QPushButton>("WalkStart")->isEnabled());
  expectDisconnected();
}

// A stopped walk on the timer leaves an unfinished record: the next walk
// asks, "Nie" begins a new record, "Tak" goes on where it stopped.
TEST_F(WalkTest, StopAndClosingTheWindowEndTheWalkAndClearTheBoard) {
  pickRange(5, 304);
  control<QDoubleSpinBox>("WalkDwell")->setValue(60);
  control<QPushButton>("WalkStart")->click();
  control<QPushButton>("WalkStop")->click();
  EXPECT_EQ(status(), "Test po kolei zatrzymany (1 z 300).");
  EXPECT_EQ(module().rs485_received(), row_frames({5, 0}));
  expectDisconnected();

  answer_ = [](const std::string& question) { return !isResumeQuestion(question); };
  control<QPushButton>("WalkStart")->click();
  window().boardWindow()->close();
  EXPECT_FALSE(walk().running());
  EXPECT_EQ(module().rs485_received(), row_frames({5, 0, 5, 0}));
  expectDisconnected();
  ASSERT_EQ(questions_.size(), 3u);  // the module's table, going on, the module's table
  EXPECT_EQ(questions_[1], "Niedokończony protokół tej konfiguracji: sprawdzono 1 z 300 zdarzeń.\n"
                           "Dokończyć od „adr 0. Alarm II”?");

  answer_ = [](const std::string&) { return true; };
  window().BoardButtonClick();
  control<QPushButton>("WalkStart")->click();
  control<QPushButton>("WalkStop")->click();
  EXPECT_EQ(module().rs485_received(), row_frames({5, 0, 5, 0, 6, 0}));
  const std::string journal = read_bytes(QString::fromStdString(dataFolderJournal().string()));
  EXPECT_EQ(count_of(journal, R"("type":"start")"), 2u);
  EXPECT_EQ(count_of(journal, R"("type":"resume")"), 1u);
  const JournalReading reading = load_walk_journal(dataFolderJournal());
  ASSERT_TRUE(reading.ok && reading.record) << reading.reason;
  EXPECT_EQ(reading.record->summary(), (RecordSummary{2, 0, 0, 2, 298}));
}

// The window destroyed with a walk running: the walk still clears the board
// and disconnects, and nothing touches the window's dead controls.
TEST_F(WalkTest, DestroyingTheWindowMidWalkClearsTheBoardAndDisconnects) {
  pickRange(5, 304);
  control<QDoubleSpinBox>("WalkDwell")->setValue(60);
  control<QPushButton>("WalkStart")->click();
  ASSERT_TRUE(walk().running());
  destroyWindow();
  EXPECT_EQ(module().rs485_received(), row_frames({5, 0}));
  EXPECT_FALSE(connection_state().Connected);
}

// The module gone in the middle: the walk ends at once, names the cause, and
// the window is usable again.
TEST_F(WalkTest, UnplugMidWalkEndsItWithTheCause) {
  ZelModule::Faults unplug;
  unplug.unplug_after = 3;  // the greeting and two reads of the table
  module().set_faults(unplug);
  walk().start(5, 9, 0, 0ms);
  EXPECT_FALSE(walk().running());
  EXPECT_TRUE(module().rs485_received().empty());
  EXPECT_EQ(status(), "Błąd odczytu konfiguracji!");
  EXPECT_TRUE(questions_.empty());
  EXPECT_EQ(deviceControlsEnabled(), std::vector<bool>(8, true));
  expectDisconnected();

  rebuildBed();
  unplug.unplug_after = 3 + kReadbackCount;  // the greeting, the table and two rows
  module().set_faults(unplug);
  walk().start(5, 9, 0, 0ms);
  ASSERT_TRUE(waitForEnd());
  EXPECT_EQ(module().rs485_received(), row_frames({5, 6}));
  const std::string failure = "Test po kolei przerwany (3 z 5): moduł został odłączony podczas polecenia RS485_gift_frame";
  EXPECT_EQ(status(), failure);
  EXPECT_TRUE(consoleHas("moduł został odłączony podczas polecenia RS485_gift_frame"));
  EXPECT_EQ(deviceControlsEnabled(), std::vector<bool>(8, true));
  expectDisconnected();

  // With no module at all, nothing runs.
  rebuildBed({.modules = 0});
  walk().start(5, 9, 0, 0ms);
  EXPECT_FALSE(walk().running());
  EXPECT_EQ(status(), kNotConnectedStatus);
  expectDisconnected();
}

}  // namespace

namespace {

// A walk with verdicts against a module that holds the grid's file, the
// journal beside that file.
//
// A child program that is a walk to be killed (see below) shares its
// parent's folder, named by kSharedFolder.
constexpr const char* kSharedFolder = "ZEL_WALK_RECORD_SHARED_FOLDER";

class WalkRecordTest : public WalkTest {
 protected:
  void SetUp() override {
    WalkTest::SetUp();
    shared_ = qEnvironmentVariableIsSet(kSharedFolder);
    if (shared_) {
      dir_ = qEnvironmentVariable(kSharedFolder).toStdString();
    } else {
      dir_ = fs::temp_directory_path() / ("zel-walk-record-" + std::to_string(getpid()));
      fs::remove_all(dir_);
      fs::create_directories(dir_);
      ConfigMatrix matrix;
      matrix.set(5, 2, LED_STEADY);
      matrix.set(5, 6, LED_FAST_BLINK);
      ASSERT_TRUE(save_config_file(dir_ / "hala.zel", matrix).ok);
    }
    window().openConfigPath(dir_ / "hala.zel");
    window().WriteConfigButtonClick();
    module().clear_requests();
    project_names().site.name = "Magazyn Północ";
    project_names().lamps[2] = "Hala A";
  }
  void TearDown() override {
    // A failed test leaves no child walking.
    if (child_.state() != QProcess::NotRunning) {
      child_.kill();
      child_.waitForFinished(-1);
    }
    WalkTest::TearDown();
    if (!shared_) fs::remove_all(dir_);
  }
  // This test program again, running only `test` with the folder shared;
  // its temporary files (settings, home, test bed) go into that folder too.
  void startChild(const char* test) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kSharedFolder), QString::fromStdString(dir_.string()));
    fs::create_directories(dir_ / "tmp");
    environment.insert(QStringLiteral("TMPDIR"), QString::fromStdString((dir_ / "tmp").string()));
    environment.remove(QStringLiteral("UMOCKDEV_DIR"));  // the child builds a bed of its own
    for (const char* parents_only : {"GTEST_SHARD_INDEX", "GTEST_TOTAL_SHARDS", "GTEST_OUTPUT"})
      environment.remove(QString::fromLatin1(parents_only));
    child_.setProcessEnvironment(environment);
    child_.setProcessChannelMode(QProcess::MergedChannels);
    child_.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + QString::fromLatin1(test)});
    ASSERT_TRUE(child_.waitForStarted(-1)) << child_.errorString().toStdString();
  }
  std::string childOutput() { return child_.readAll().toStdString(); }
  void startWithVerdicts(int first, int last) {
    pickRange(first, last);
    control<QCheckBox>("WalkWaitForVerdict")->setChecked(true);
    control<QLineEdit>("WalkEngineer")->setText(QStringLiteral("Jan Kowalski"));
    window().boardWindow()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window().boardWindow()));
    control<QPushButton>("WalkStart")->click();
    QTest::qWait(50);  // the platform settles the focus first
  }
  void key(Qt::Key key) { QTest::keyClick(window().boardWindow()->windowHandle(), key, {}, 10); }
  void type(const std::string& text) {
    for (char c : text) QTest::keyClick(window().boardWindow()->windowHandle(), c, {}, 5);
  }
  // "OK", "Błąd" with a comment, "OK": the walk goes on to row 8.
  void rateFirstThree() {
    key(Qt::Key_Return);
    key(Qt::Key_B);
    type("lampa 3 nie swieci");
    key(Qt::Key_Return);
    key(Qt::Key_Return);
  }
  std::optional<WalkRecord> journal() {
    const JournalReading reading = load_walk_journal(dir_ / "hala-protokol.jsonl");
    EXPECT_TRUE(reading.ok) << reading.reason;
    return reading.record;
  }

  fs::path dir_;
  bool shared_ = false;  // a child of the crash test
  QProcess child_;
};

// Rows 5-9 by keys alone: OK, Błąd with a comment, OK, back, the verdict
// changed, OK, OK. The journal holds the five verdicts, and the protocol
// shows them with the site, the SHA-256 and the read-back result.
TEST_F(WalkRecordTest, VerdictsByKeysGoToTheJournalAndTheProtocol) {
  startWithVerdicts(5, 9);
  ASSERT_TRUE(walk().running());
  EXPECT_EQ(control<QLabel>("WalkExpected")->text(),
            QString::fromUtf8("Oczekiwane: 3 Hala A – ciągłe, 7 – szybkie miganie"));
  rateFirstThree();
  EXPECT_EQ(window().selectedMatrixRow(), 8);
  key(Qt::Key_Left);
  EXPECT_EQ(window().selectedMatrixRow(), 7);
  key(Qt::Key_B);
  key(Qt::Key_Return);
  key(Qt::Key_Return);
  key(Qt::Key_Return);
  ASSERT_TRUE(waitForEnd());
  EXPECT_TRUE(questions_.empty());
  EXPECT_EQ(module().rs485_received(), row_frames({5, 6, 7, 8, 7, 8, 9, 0}));

  const std::optional<WalkRecord> record = journal();
  ASSERT_TRUE(record);
  std::vector<std::string> verdicts;
  for (const RecordLine& line : record->lines) verdicts.push_back(verdict_text(line.verdict) + (":" + line.comment));
  EXPECT_EQ(verdicts, (std::vector<std::string>{"OK:", "Błąd:lampa 3 nie swieci", "Błąd:", "OK:", "OK:"}));
  EXPECT_EQ(record->header.engineer, "Jan Kowalski");
  EXPECT_EQ(record->header.site.name, "Magazyn Północ");
  EXPECT_EQ(record->header.sha256, sha256_hex(config_matrix().bytes()));
  EXPECT_TRUE(record->closed);
  EXPECT_EQ(control<QPushButton>("WalkRepeatFaults")->text(), QString::fromUtf8("Powtórz błędne (2)"));
  EXPECT_EQ(control<QPushButton>("WalkRepeatFaults")->toolTip(),
            QString::fromUtf8("adr 0. Alarm II: lampa 3 nie swieci\nadr 0. Awaria"));
  std::vector<int> marked;
  for (int row = 0; row < ConfigMatrix::kRows; ++row)
    if (ui().StringGrid2->item(row, 0)->font().bold()) marked.push_back(row);
  EXPECT_EQ(marked, (std::vector<int>{6, 7}));

  const fs::path pdf = dir_ / "protokol.pdf";
  const fs::path csv = dir_ / "protokol.csv";
  for (const fs::path& target : {pdf, csv}) {
    window().chooseFile = [&](const FileDialogSettings&, FileDialogMode, const QString&) {
      return QString::fromStdString(target.string());
    };
    control<QPushButton>("WalkProtocol")->click();
  }
  const std::string text = pdf_text(pdf);
  for (const std::string& expected :
       {std::string("Protokół sprawdzenia tablicy synoptycznej"), std::string("Magazyn Północ"),
        sha256_hex(config_matrix().bytes()), std::string("Konfiguracja w module zgodna z plikiem."),
        std::string("lampa 3 nie swieci"), std::string("Jan Kowalski"),
        std::string("sprawdzono zdarzeń: 5, OK: 3, błędy: 2, nie oceniono: 0, nie sprawdzono: 0")}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
  }
  for (int row = 5; row <= 9; ++row) EXPECT_NE(text.find(row_label(row)), std::string::npos) << row;
  EXPECT_EQ(read_bytes(QString::fromStdString(csv.string())), walk_protocol_csv(*record));
  // zel17 --protocol writes the same pages from the journal alone.
  const fs::path scripted = dir_ / "skrypt.pdf";
  EXPECT_EQ(write_protocol_from_command_line({"--protocol", dir_ / "hala-protokol.jsonl", scripted}), 0);
  EXPECT_EQ(pdf_text(scripted), text);
  EXPECT_EQ(write_protocol_from_command_line({"--protocol", dir_ / "brak.jsonl", scripted}), 66);

  // A record of many pages: the header block on every page, each line once,
  // the summary at the end.
  WalkRecord long_record = *record;
  long_record.header.rows.clear();
  for (int row = 5; row < 155; ++row) {
    long_record.header.rows.push_back(row);
    RecordLine line = event_line(config_matrix(), row, {});
    line.verdict = row % 7 == 0 ? Verdict::fault : Verdict::ok;
    line.comment = row % 7 == 0 ? "lampa nie miga" : "";
    line.time = "2026-12-07T14:00:00+01:00";
    long_record.take(line);
  }
  const fs::path long_pdf = dir_ / "dlugi.pdf";
  ASSERT_TRUE(export_walk_protocol_pdf(QString::fromStdString(long_pdf.string()), long_record));
  const std::string whole = pdf_text(long_pdf);
  const std::size_t pages = count_of(whole, "\f");
  EXPECT_GE(pages, 3u);
  for (std::size_t page = 1; page <= pages; ++page) {
    const std::string shown = pdf_text(long_pdf, static_cast<int>(page));
    for (const std::string& expected :
         {std::string("Protokół sprawdzenia tablicy synoptycznej"), std::string("Magazyn Północ"),
          sha256_hex(config_matrix().bytes()), "Strona " + std::to_string(page) + " z " + std::to_string(pages)}) {
      EXPECT_NE(shown.find(expected), std::string::npos) << "page " << page << ": " << expected << "\n" << shown;
    }
    EXPECT_EQ(shown.find("Podsumowanie") != std::string::npos, page == pages) << "page " << page;
  }
  for (int row : long_record.header.rows) EXPECT_EQ(count_of(whole, row_label(row) + ' '), 1u) << row_label(row);
  EXPECT_NE(whole.find("sprawdzono zdarzeń: 150, OK: 128, błędy: 22, nie oceniono: 0, nie sprawdzono: 0"),
            std::string::npos);

  // The faults walked again on the timer: shown, but their verdicts stay.
  control<QCheckBox>("WalkWaitForVerdict")->setChecked(false);
  control<QDoubleSpinBox>("WalkDwell")->setValue(0.5);
  control<QPushButton>("WalkRepeatFaults")->click();
  ASSERT_TRUE(walk().running());
  ASSERT_TRUE(waitForEnd());
  EXPECT_EQ(journal()->summary(), (RecordSummary{5, 3, 2, 0, 0}));
  control<QCheckBox>("WalkWaitForVerdict")->setChecked(true);

  // "Powtórz błędne": rows 6 and 7 again, their verdicts into the same record.
  const std::size_t handed_before = module().rs485_received().size();
  control<QPushButton>("WalkRepeatFaults")->click();
  ASSERT_TRUE(walk().running());
  QTest::qWait(50);
  key(Qt::Key_Return);
  key(Qt::Key_Return);
  ASSERT_TRUE(waitForEnd());
  const auto handed = module().rs485_received();
  EXPECT_EQ(Frames(handed.begin() + static_cast<std::ptrdiff_t>(handed_before), handed.end()), row_frames({6, 7, 0}));
  EXPECT_EQ(journal()->summary(), (RecordSummary{5, 5, 0, 0, 0}));
  EXPECT_FALSE(control<QPushButton>("WalkRepeatFaults")->isEnabled());
  EXPECT_FALSE(ui().StringGrid2->item(6, 0)->font().bold());
}

// A module holding another table: the window asks before it walks, and
// "Nie" sends no event.
TEST_F(WalkRecordTest, AModuleHoldingAnotherTableIsAskedAbout) {
  for (int row : {5, 6, 7}) config_matrix().set(row, 0, LED_STEADY);
  answer_ = [](const std::string&) { return false; };
  startWithVerdicts(5, 9);
  EXPECT_FALSE(walk().running());
  ASSERT_EQ(questions_.size(), 1u);
  EXPECT_NE(questions_[0].find("Konfiguracja w module różni się w 3 komórkach!"), std::string::npos) << questions_[0];
  EXPECT_TRUE(module().rs485_received().empty());
  expectDisconnected();
}

// The program killed in the middle of a walk, for the test below: it walks
// rows 5-9 with verdicts, gives three by keys and waits to be killed.
TEST_F(WalkRecordTest, ChildWalkGivesThreeVerdictsAndWaitsToBeKilled) {
  if (!shared_) GTEST_SKIP() << "run by KillingTheWindowAfterTheThirdVerdictOffersToGoOnAtTheFourth";
  startWithVerdicts(5, 9);
  ASSERT_TRUE(walk().running());
  rateFirstThree();
  ASSERT_EQ(window().selectedMatrixRow(), 8);
  // A parent gone first ends the wait too.
  const pid_t parent = getppid();
  const bool orphaned = QTest::qWaitFor([parent] { return getppid() != parent; }, 30 * 60 * 1000);
  ADD_FAILURE() << (orphaned ? "the parent test ended without killing the walk" : "the walk was not killed");
}

// The window killed (SIGKILL) after the third verdict: the next walk offers
// to go on at the fourth event, and the protocol has all five.
TEST_F(WalkRecordTest, KillingTheWindowAfterTheThirdVerdictOffersToGoOnAtTheFourth) {
  startChild("WalkRecordTest.ChildWalkGivesThreeVerdictsAndWaitsToBeKilled");
  const auto walked = [this] {
    const JournalReading reading = load_walk_journal(dir_ / "hala-protokol.jsonl");
    return reading.ok && reading.record ? reading.record->summary().walked : 0;
  };
  const bool settled =
      QTest::qWaitFor([&] { return walked() >= 3 || child_.state() == QProcess::NotRunning; }, 10 * 60 * 1000);
  ASSERT_TRUE(settled) << childOutput();
  ASSERT_EQ(child_.state(), QProcess::Running) << childOutput();
  ASSERT_EQ(walked(), 3) << childOutput();
  ASSERT_EQ(::kill(static_cast<pid_t>(child_.processId()), SIGKILL), 0);
  ASSERT_TRUE(child_.waitForFinished(-1));
  EXPECT_EQ(child_.exitStatus(), QProcess::CrashExit);
  EXPECT_FALSE(journal()->closed);

  startWithVerdicts(5, 9);
  ASSERT_EQ(questions_.size(), 1u);
  EXPECT_NE(questions_[0].find("sprawdzono 3 z 5 zdarzeń"), std::string::npos) << questions_[0];
  EXPECT_NE(questions_[0].find("adr 1. Alarm I"), std::string::npos) << questions_[0];
  ASSERT_TRUE(walk().running());
  EXPECT_EQ(window().selectedMatrixRow(), 8);
  key(Qt::Key_Return);
  key(Qt::Key_Return);
  ASSERT_TRUE(waitForEnd());
  EXPECT_EQ(module().rs485_received(), row_frames({8, 9, 0}));
  const std::optional<WalkRecord> record = journal();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->summary(), (RecordSummary{5, 4, 1, 0, 0}));
  EXPECT_TRUE(record->closed);

  const fs::path pdf = dir_ / "protokol.pdf";
  window().chooseFile = [&](const FileDialogSettings&, FileDialogMode, const QString&) {
    return QString::fromStdString(pdf.string());
  };
  control<QPushButton>("WalkProtocol")->click();
  const std::string text = pdf_text(pdf);
  for (int row = 5; row <= 9; ++row) EXPECT_EQ(count_of(text, row_label(row) + ' '), 1u) << row << "\n" << text;
  EXPECT_NE(text.find("lampa 3 nie swieci"), std::string::npos) << text;
  EXPECT_NE(text.find("sprawdzono zdarzeń: 5, OK: 4, błędy: 1, nie oceniono: 0, nie sprawdzono: 0"), std::string::npos)
      << text;
}

}  // namespace
