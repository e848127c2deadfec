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
#include <cstring>
#include <functional>
#include <regex>
#include <set>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>

#include "app/board_window.h"
#include "app/file_dialogs.h"
#include "app/protocol_command.h"
#include "app/walk_controller.h"
#include "app/walk_record_keeper.h"
#include "commissioning/commissioning_record.h"
#include "commissioning/walk_journal.h"
#include "commissioning/walk_protocol_csv.h"
#include "config/address_fill.h"
#include "config/config_file.h"
#include "config/configuration_source.h"
#include "config/config_readback.h"
#include "config/name_text.h"
#include "config/sha256.h"
#include "config/test_payload.h"
#include "file_bytes.h"
#include "gui/walk_protocol_pdf.h"
#include "gui/walk_record_model.h"
#include "gui/walk_tab.h"
#include "module_window_fixture.h"
#include "walk_fixture.h"
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
  EXPECT_EQ(hellos(), 2);  // the connection's, and the greeting the record keeps
  EXPECT_EQ(module().requests().size(), 8u + kReadbackCount);  // the table read back first
  // The module as the bed builds it holds no table: asked, "Tak" walks.
  EXPECT_EQ(questions_, std::vector<std::string>{"Moduł nie zawiera poprawnej konfiguracji!\nTest po kolei sprawdzi "
                                                 "wtedy inną tablicę niż edytowana. Mimo to rozpocząć?"});
  EXPECT_EQ(selected, (std::vector<int>{5, 6, 7, 8, 9}));
  EXPECT_EQ(labels, selected);
  EXPECT_EQ(lamps, selected);
  for (const auto& during : controls) EXPECT_EQ(during, std::vector<bool>(8, false));
  EXPECT_EQ(deviceControlsEnabled(), std::vector<bool>(8, true));
  // A grid without a file is saved first: the record names it.
  EXPECT_EQ(save_questions_, std::vector<std::string>{"Konfiguracja nie jest zapisana w pliku. Protokół testu "
                                                      "wskazuje plik konfiguracji i jego sumę SHA-256: zapisz ją "
                                                      "przed testem."});
  EXPECT_EQ(recorder.texts(), (std::vector<std::string>{
                                  "Zapisano: plan.zel",
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
  // beside the saved file, of whose table it holds the SHA-256.
  EXPECT_EQ(window().walkRecord()->journalPath(), records_folder_for(planFile()));
  const std::optional<WalkRecord> record = newestRecord();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->summary(), (RecordSummary{5, 0, 0, 5, 0}));
  for (const RecordLine& line : record->lines) EXPECT_EQ(verdict_text(line.verdict), std::string("nie oceniono"));
  ASSERT_EQ(record->sessions.size(), 1u);
  EXPECT_EQ(record->sessions[0].module.differing_cells, kNoValidConfiguration);
  EXPECT_EQ(record->header.configuration_file, "plan.zel");
  const std::string saved = read_bytes(QString::fromStdString(planFile().string()));
  EXPECT_EQ(record->header.sha256, sha256_hex({reinterpret_cast<const std::uint8_t*>(saved.data()), saved.size()}));
  EXPECT_TRUE(record->closed());
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
// asks, "Nie" begins a new record beside it, "Tak" goes on with the newest
// where it stopped, in a session with its own read-back.
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
  const std::vector<WalkRecord> kept = records();
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(kept[0].summary(), (RecordSummary{1, 0, 0, 1, 299}));
  EXPECT_EQ(kept[1].summary(), (RecordSummary{2, 0, 0, 2, 298}));
  ASSERT_EQ(kept[1].sessions.size(), 2u);
  EXPECT_EQ(kept[1].sessions[1].module.differing_cells, kNoValidConfiguration);
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
  window().SaveConfigButtonClick();  // the walk below starts without the window's question
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
  unplug.unplug_after = 4 + kReadbackCount;  // the greeting, the table, the record's greeting and two rows
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
  EXPECT_EQ(tally(), "OK 2, błędy 1, bez oceny 0, zostało 2");
  EXPECT_EQ(listed(1, WalkRecordModel::kVerdict), "Błąd");
  EXPECT_EQ(listed(1, WalkRecordModel::kComment), "lampa 3 nie swieci");
  // A click on the third line: the walk goes back there, the module is handed it again.
  QTest::mouseClick(events()->viewport(), Qt::LeftButton, {}, lineCentre(2));
  EXPECT_EQ(window().selectedMatrixRow(), 7);
  EXPECT_EQ(module().rs485_received().back(), row_frames({7}).front());
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
  ASSERT_EQ(record->line(7)->earlier.size(), 1u);  // the verdict given again keeps the first
  EXPECT_EQ(record->line(7)->earlier[0].verdict, Verdict::ok);
  EXPECT_EQ(record->header.engineer, "Jan Kowalski");
  EXPECT_EQ(record->header.site.name, "Magazyn Północ");
  EXPECT_EQ(record->header.sha256, sha256_hex(config_matrix().bytes()));
  ASSERT_EQ(record->sessions.size(), 1u);
  EXPECT_EQ(record->sessions[0].module.differing_cells, 0);
  EXPECT_EQ(record->sessions[0].module.greeting, ZelModule::kGreetingUtf8);
  EXPECT_TRUE(record->closed());
  std::vector<std::string> list;
  for (int line = 0; line < events()->model()->rowCount(); ++line)
    list.push_back(listed(line, WalkRecordModel::kEvent) + ":" + listed(line, WalkRecordModel::kVerdict));
  EXPECT_EQ(list, (std::vector<std::string>{"adr 0. Alarm I:OK", "adr 0. Alarm II:Błąd", "adr 0. Awaria:Błąd",
                                            "adr 1. Alarm I:OK", "adr 1. Alarm II:OK"}));
  EXPECT_EQ(tally(), "OK 3, błędy 2, bez oceny 0, zostało 0");
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
        sha256_hex(config_matrix().bytes()), std::string("zgodna z plikiem"), std::string("Urządzenie USB"),
        std::string(ZelModule::kGreetingUtf8),
        std::string("lampa 3 nie swieci"), std::string("Jan Kowalski"),
        std::string("sprawdzono zdarzeń: 5, OK: 3, błędy: 2, nie oceniono: 0, nie sprawdzono: 0")}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
  }
  for (int row = 5; row <= 9; ++row) EXPECT_NE(text.find(row_label(row)), std::string::npos) << row;
  // The verdict changed by going back stands under the line, its time without the date of that day.
  EXPECT_TRUE(std::regex_search(text, std::regex("Wcześniej: OK [0-9]{2}:[0-9]{2}:[0-9]{2}"))) << text;
  EXPECT_EQ(read_bytes(QString::fromStdString(csv.string())), walk_protocol_csv(*record));
  // zel17 --protocol writes the same pages from the journal alone.
  const fs::path scripted = dir_ / "skrypt.pdf";
  EXPECT_EQ(write_protocol_from_command_line({"--protocol", recordsFolder(), scripted}), 0);
  EXPECT_EQ(pdf_text(scripted), text);
  EXPECT_EQ(write_protocol_from_command_line({"--protocol", dir_ / "brak.jsonl", scripted}), 66);

  // Records of many pages: two sessions with different modules, the events
  // checked by hand, faults mended and rated again the next day, remarks
  // that wrap. The header block on every page, each line once; nothing cut
  // by a page: a line with its earlier verdicts, the summary with the
  // signatures and their captions.
  const auto long_record = [&](int events) {
    std::vector<int> rows;
    for (int row = 1; row <= events; ++row) rows.push_back(row);
    WalkRecord made = new_record("hala.zel", config_matrix(), project_names(), rows, "1.1.0", "Jan Kowalski",
                                 {0, "ZEL17 v1.3", "0001A2"}, "2026-12-07T14:00:00+01:00");
    for (int row : rows) {
      const bool fault = row % 7 == 0;
      made.take(row, fault ? Verdict::fault : Verdict::ok,
                fault ? "lampa nie miga, przewód do sprawdzenia R" + std::to_string(row) + "." : "",
                "2026-12-07T14:02:00+01:00");
    }
    made.sessions.push_back({"2026-12-08T09:00:00+01:00", "", true, {3, "ZEL17 v1.4", "1-1.2"}});
    for (int row = 14; row <= events; row += 14) made.take(row, Verdict::ok, "po poprawce", "2026-12-08T09:10:00+01:00");
    if (events == 150) {  // a remark longer than a page runs over pages, none of it lost
      std::string remark;
      for (int word = 0; word < 1500; ++word) remark += "słowo" + std::to_string(word) + ' ';
      made.take(150, Verdict::fault, remark + "KONIEC", "2026-12-08T09:20:00+01:00");
    }
    return made;
  };
  const auto pages_of = [&](const WalkRecord& made) {
    const fs::path written = dir_ / "dlugi.pdf";
    EXPECT_TRUE(export_walk_protocol_pdf(QString::fromStdString(written.string()), made));
    std::vector<std::string> pages{""};
    for (char c : pdf_text(written)) {
      if (c == '\f')
        pages.emplace_back();
      else
        pages.back().push_back(c);
    }
    pages.pop_back();  // after the last form feed
    return pages;
  };
  const auto page_with = [](const std::vector<std::string>& pages, const std::string& part) {
    for (std::size_t page = 0; page < pages.size(); ++page)
      if (pages[page].find(part) != std::string::npos) return static_cast<int>(page);
    return -1;
  };
  const std::vector<std::string> pages = pages_of(long_record(150));
  ASSERT_GE(pages.size(), 6u);
  for (std::size_t page = 0; page < pages.size(); ++page) {
    for (const std::string& expected : {std::string("Protokół sprawdzenia tablicy synoptycznej"),
                                        std::string("Magazyn Północ"), sha256_hex(config_matrix().bytes()),
                                        "Strona " + std::to_string(page + 1) + " z " + std::to_string(pages.size())}) {
      EXPECT_NE(pages[page].find(expected), std::string::npos) << "page " << page << ": " << expected;
    }
    // The column header once above the table lines of a page.
    const bool table = count_of(pages[page], "adr ") + count_of(pages[page], "słowo") > 0;
    EXPECT_EQ(count_of(pages[page], "Oczekiwane"), table ? 1u : 0u) << "page " << page;
  }
  std::string whole;
  for (const std::string& page : pages) whole += page;
  for (int row = 1; row <= 150; ++row) EXPECT_EQ(count_of(whole, row_label(row) + ' '), 1u) << row_label(row);
  for (const auto& [part, count] : std::vector<std::pair<std::string, std::size_t>>{
           {"sprawdzono zdarzeń: 150, OK: 138, błędy: 12, nie oceniono: 0, nie sprawdzono: 0", 1},
           {"KONIEC", 1},
           {"sprawdzone ręcznie", 3},
           {"Wcześniej: Błąd 2026-12-07 14:02:00", 10},
           {"zgodna z plikiem", 1},
           {"14:02:00 (bez zakończenia)", 1},
           {"różni się w 3 komórkach", 1},
           {"USB: 0001A2", 1},
           {"USB: 1-1.2", 1}}) {
    EXPECT_EQ(count_of(whole, part), count) << part;
  }
  std::set<std::string> words;
  for (std::size_t at = whole.find("słowo"); at != std::string::npos; at = whole.find("słowo", at + 1))
    words.insert(whole.substr(at, whole.find_first_not_of("0123456789", at + std::strlen("słowo")) - at));
  EXPECT_EQ(words.size(), 1500u);
  // Around the end of the first page, so the summary and the signatures meet the page's foot.
  int first_page_lines = 0;
  for (int row = 1; row <= 150; ++row) first_page_lines += page_with(pages, row_label(row) + ' ') == 0;
  for (int events = first_page_lines - 8; events <= first_page_lines + 1; ++events) {
    SCOPED_TRACE(events);
    const std::vector<std::string> shown = pages_of(long_record(events));
    const int closing = page_with(shown, "Podsumowanie");
    EXPECT_EQ(closing, static_cast<int>(shown.size()) - 1);
    for (const char* part : {"........", "instalator (podpis)", "strona odbierająca (podpis)"})
      EXPECT_EQ(page_with(shown, part), closing) << part;
    for (int row = 7; row <= events; row += 7)
      EXPECT_EQ(page_with(shown, row_label(row) + ' '), page_with(shown, "R" + std::to_string(row) + ".")) << row;
  }

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
  const std::optional<WalkRecord> repeated = journal();
  ASSERT_TRUE(repeated);
  EXPECT_EQ(repeated->summary(), (RecordSummary{5, 5, 0, 0, 0}));
  // The faults found stay in the record under the verdicts that mended them.
  ASSERT_EQ(repeated->line(6)->earlier.size(), 1u);
  EXPECT_EQ(repeated->line(6)->earlier[0].verdict, Verdict::fault);
  EXPECT_EQ(repeated->line(6)->earlier[0].comment, "lampa 3 nie swieci");
  EXPECT_EQ(repeated->sessions.size(), 3u);  // the walk, the faults on the timer, the faults rated
  EXPECT_FALSE(control<QPushButton>("WalkRepeatFaults")->isEnabled());
  EXPECT_FALSE(ui().StringGrid2->item(6, 0)->font().bold());
}

// A module holding another table: the window asks before it walks, and
// "Nie" sends no event.
TEST_F(WalkRecordTest, AModuleHoldingAnotherTableIsAskedAbout) {
  for (int row : {5, 6, 7}) config_matrix().set(row, 0, LED_STEADY);  // behind the history: only the file tells
  // The grid is saved to hala.zel first, which keeps the table without the names: "Tak" to that alone.
  answer_ = [](const std::string& question) { return question.find("zachowa tylko tabelę") != std::string::npos; };
  startWithVerdicts(5, 9);
  EXPECT_FALSE(walk().running());
  EXPECT_EQ(save_questions_.size(), 1u);
  ASSERT_EQ(questions_.size(), 2u);
  EXPECT_NE(questions_[1].find("Konfiguracja w module różni się w 3 komórkach!"), std::string::npos) << questions_[1];
  EXPECT_TRUE(module().rs485_received().empty());
  expectDisconnected();
}

// A walk over unsaved changes asks first: "Anuluj" walks nothing; "Zapisz i
// rozpocznij" saves to the grid's file, which the record then names with
// the SHA-256 that file has.
TEST_F(WalkRecordTest, AWalkOverUnsavedChangesSavesTheFileFirst) {
  const QString file = QString::fromStdString((dir_ / "hala.zel").string());
  const std::string before = read_bytes(file);
  const QRect cell = ui().DrawGrid1->visualRect(ui().DrawGrid1->model()->index(0, 0));
  QTest::mouseClick(ui().DrawGrid1->viewport(), Qt::LeftButton, {}, cell.center());
  ASSERT_EQ(config_matrix().at(0, 0), LED_SLOW_BLINK);
  save_answer_ = false;
  startWithVerdicts(5, 9);
  EXPECT_FALSE(walk().running());
  EXPECT_EQ(save_questions_, std::vector<std::string>{"Konfiguracja ma niezapisane zmiany. Protokół testu wskazuje "
                                                      "plik konfiguracji i jego sumę SHA-256: zapisz zmiany przed "
                                                      "testem."});
  EXPECT_TRUE(module().requests().empty());
  EXPECT_EQ(read_bytes(file), before);

  save_answer_ = true;
  startWithVerdicts(5, 9);
  ASSERT_TRUE(walk().running());
  control<QPushButton>("WalkStop")->click();
  const std::string saved = read_bytes(file);
  Project project;
  ASSERT_TRUE(load_configuration(dir_ / "hala.zel", project).ok);
  EXPECT_EQ(project.matrix.bytes(), config_matrix().bytes());
  const std::optional<WalkRecord> record = journal();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->header.configuration_file, "hala.zel");
  EXPECT_EQ(record->header.sha256, sha256_hex({reinterpret_cast<const std::uint8_t*>(saved.data()), saved.size()}));
}

// While a walk runs nothing changes the table or the names it checks: the
// controls that would are off, and every way in is refused; after the walk
// they work again.
TEST_F(WalkRecordTest, AWalkLocksTheTableAndTheNames) {
  const auto click = [this](int row, int column) {
    const QRect cell = ui().DrawGrid1->visualRect(ui().DrawGrid1->model()->index(row, column));
    QTest::mouseClick(ui().DrawGrid1->viewport(), Qt::LeftButton, {}, cell.center());
  };
  click(9, 0);  // something to undo, saved as the walk begins
  ConfigMatrix other;
  other.set(5, 0, LED_STEADY);
  ASSERT_TRUE(save_config_file(dir_ / "inny.zel", other).ok);
  QGuiApplication::clipboard()->setText(QStringLiteral("3333333333333333333333333"));
  ProjectNames renamed = project_names();
  renamed.lamps[2] = "Hala B";
  window().askNames = [&](const ProjectNames&) { return std::optional<ProjectNames>(renamed); };
  window().askAddressFill = [] { return std::optional<AddressFill>(AddressFill{.modes = {LED_STEADY, {}, {}}}); };
  startWithVerdicts(5, 9);
  ASSERT_TRUE(walk().running());
  for (QWidget* control : std::initializer_list<QWidget*>{ui().LoadConfigButton, ui().RecentFilesButton,
                                                          ui().FillButton, ui().NamesButton, ui().LabelsButton})
    EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();

  const ConfigMatrix::Bytes table = config_matrix().bytes();
  const ProjectNames names = project_names();
  const std::pair<const char*, std::function<void()>> attempts[] = {
      {"Otwórz", [&] { window().openConfigPath(dir_ / "inny.zel"); }},
      {"Nowy", [&] { window().NewConfigButtonClick(); }},
      {"Odczytaj", [&] { window().ReadConfigButtonClick(); }},
      {"a click", [&] { click(0, 0); }},
      {"a key", [&] { QTest::keyClick(ui().DrawGrid1, Qt::Key_3); }},
      {"paste", [&] { window().PasteRowsClick(); }},
      {"undo", [&] { window().UndoClick(); }},
      {"Nazwy", [&] { window().NamesButtonClick(); }},
      {"Wypełnij", [&] { window().FillButtonClick(); }},
  };
  for (const auto& [what, attempt] : attempts) {
    SCOPED_TRACE(what);
    attempt();
    EXPECT_EQ(config_matrix().bytes(), table);
    EXPECT_EQ(project_names(), names);
    EXPECT_TRUE(walk().running());
  }
  EXPECT_EQ(status(), "Trwa test po kolei: konfiguracji i nazw nie można zmieniać do jego końca.");
  control<QPushButton>("WalkStop")->click();
  EXPECT_TRUE(ui().LoadConfigButton->isEnabled());
  window().UndoClick();
  EXPECT_EQ(config_matrix().at(9, 0), LED_OFF);
}

// The steps checked by hand come after the range: the module is handed
// nothing, the tab says what to do, the engineer rates them. The module
// reset at "Po resecie" ends the walk with its cause after the verdict is
// on the disk, and the record stays whole.
TEST_F(WalkRecordTest, StepsCheckedByHandAreRatedAndAResetModuleSpoilsNothing) {
  for (const char* step : {"WalkByHand1", "WalkByHand2", "WalkByHand3"}) control<QCheckBox>(step)->setChecked(true);
  startWithVerdicts(9, 9);
  ASSERT_TRUE(walk().running());
  EXPECT_EQ(control<QLabel>("WalkByHandStep")->text(), QString());
  key(Qt::Key_Return);
  const std::pair<int, const char*> steps[] = {
      {1, "Sprawdź ręcznie: Odłącz magistralę RS485"},
      {2, "Sprawdź ręcznie: Uruchom test wyjść w centrali"},
      {3, "Sprawdź ręcznie: Wyłącz i włącz zasilanie modułu"},
  };
  for (const auto& [row, text] : steps) {
    SCOPED_TRACE(row);
    EXPECT_EQ(window().selectedMatrixRow(), row);
    EXPECT_EQ(control<QLabel>("WalkByHandStep")->text(), QString::fromUtf8(text));
    EXPECT_EQ(module().rs485_received(), row_frames({9}));
    if (row == 3) bed().unplug();
    key(Qt::Key_Return);
  }
  ASSERT_TRUE(waitForEnd());
  EXPECT_EQ(status().rfind("Test po kolei przerwany (4 z 4): moduł został odłączony", 0), 0u) << status();
  const std::optional<WalkRecord> record = journal();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->rows(), (std::vector<int>{9, 1, 2, 3}));
  EXPECT_EQ(record->summary(), (RecordSummary{4, 4, 0, 0, 0}));
  EXPECT_TRUE(record->closed());
}

// A damaged newest record is named and left as it is; the walk begins a new one.
TEST_F(WalkRecordTest, ADamagedNewestRecordIsLeftAloneAndANewOneBegins) {
  fs::create_directories(recordsFolder());
  const QString damaged = QString::fromStdString((recordsFolder() / "2000-01-01_10-00-00.jsonl").string());
  const WalkRecord started = new_record("hala.zel", config_matrix(), project_names(), {5, 6, 7, 8, 9}, "1", "Jan",
                                        {}, "2000-01-01T10:00:00+01:00");
  const std::string text = journal_start_line(started) + "{\"type\":\"verdict\"}\n";
  write_bytes(damaged, text);
  startWithVerdicts(5, 9);
  ASSERT_TRUE(walk().running());
  control<QPushButton>("WalkStop")->click();
  ASSERT_EQ(warnings_.size(), 1u);
  EXPECT_NE(warnings_[0].find("uszkodzony"), std::string::npos) << warnings_[0];
  EXPECT_NE(warnings_[0].find("wiersz 2"), std::string::npos) << warnings_[0];
  EXPECT_TRUE(questions_.empty());  // nothing offered to go on with
  EXPECT_EQ(read_bytes(damaged), text);
  const JournalReading reading = load_walk_journal(recordsFolder());
  ASSERT_EQ(reading.records.size(), 2u);
  EXPECT_TRUE(reading.records[1].record);
}

// The program killed in the middle of a walk, for the test below: it walks
// rows 5-9 with verdicts, gives three by keys and waits to be killed.
TEST_F(WalkRecordTest, ChildWalkGivesThreeVerdictsAndWaitsToBeKilled) {
  if (!shared_) GTEST_SKIP() << "run by KillingTheWindowAfterTheThirdVerdictOffersToGoOnAtTheFourth";
  startWithVerdicts(5, 9);
  ASSERT_TRUE(walk().running());
  rateFirstThree();
  ASSERT_EQ(window().selectedMatrixRow(), 8);
  waitToBeKilled("walk");
}

// The window killed (SIGKILL) after the third verdict, the fault mended and
// the module changed meanwhile: the next walk offers to go on at the fourth
// event in a second session with its own read-back; "Otwórz..." cannot
// bring another table into it; the fault is rated again from the list. The
// record keeps both sessions, both verdicts of the fault, and its own names.
TEST_F(WalkRecordTest, KillingTheWindowAfterTheThirdVerdictOffersToGoOnAtTheFourth) {
  startChild("WalkRecordTest.ChildWalkGivesThreeVerdictsAndWaitsToBeKilled");
  killChildWhen([](const WalkRecord& record) { return record.summary().walked; }, 3);
  EXPECT_FALSE(journal()->closed());

  auto changed = module().block(0, 0);
  changed[0] ^= 1;  // lamp 1 of "adr 0. Alarm I" blinks slowly, in the module only
  module().set_block(0, 0, changed);
  const ConfigMatrix::Bytes walked_table = config_matrix().bytes();
  ConfigMatrix other;
  other.set(8, 0, LED_STEADY);
  ASSERT_TRUE(save_config_file(dir_ / "inny.zel", other).ok);

  startWithVerdicts(5, 9);
  ASSERT_EQ(questions_.size(), 2u);
  EXPECT_NE(questions_[0].find("sprawdzono 3 z 5 zdarzeń"), std::string::npos) << questions_[0];
  EXPECT_NE(questions_[0].find("adr 1. Alarm I"), std::string::npos) << questions_[0];
  EXPECT_NE(questions_[1].find("różni się"), std::string::npos) << questions_[1];
  ASSERT_TRUE(walk().running());
  EXPECT_EQ(window().selectedMatrixRow(), 8);
  EXPECT_FALSE(ui().LoadConfigButton->isEnabled());
  window().openConfigPath(dir_ / "inny.zel");
  EXPECT_EQ(config_matrix().bytes(), walked_table);
  EXPECT_TRUE(window().windowTitle().startsWith(QStringLiteral("hala.zel"))) << window().windowTitle().toStdString();

  // Return on the second line: the fault, mended, is shown and rated again.
  events()->setFocus();
  events()->setCurrentIndex(events()->model()->index(1, 0));
  key(Qt::Key_Return);
  EXPECT_EQ(window().selectedMatrixRow(), 6);
  key(Qt::Key_Return);
  key(Qt::Key_Right);  // "adr 0. Awaria" keeps its verdict
  key(Qt::Key_Return);
  key(Qt::Key_Return);
  ASSERT_TRUE(waitForEnd());
  EXPECT_EQ(module().rs485_received(), row_frames({8, 6, 7, 8, 9, 0}));
  const std::optional<WalkRecord> record = journal();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->summary(), (RecordSummary{5, 5, 0, 0, 0}));
  EXPECT_TRUE(record->closed());
  ASSERT_EQ(record->sessions.size(), 2u);
  EXPECT_EQ(record->sessions[0].module.differing_cells, 0);
  EXPECT_FALSE(record->sessions[0].closed);  // the kill
  EXPECT_EQ(record->sessions[1].module.differing_cells, 1);
  EXPECT_EQ(record->sessions[1].module.greeting, ZelModule::kGreetingUtf8);
  ASSERT_EQ(record->line(6)->earlier.size(), 1u);
  EXPECT_EQ(record->line(6)->earlier[0].comment, "lampa 3 nie swieci");
  EXPECT_EQ(record->line(6)->verdict, Verdict::ok);
  EXPECT_TRUE(record->line(7)->earlier.empty());
  EXPECT_EQ(record->line(5)->expected, "3 Hala A – ciągłe, 7 – szybkie miganie");
  EXPECT_EQ(record->line(8)->expected, "nic");

  const fs::path pdf = dir_ / "protokol.pdf";
  window().chooseFile = [&](const FileDialogSettings&, FileDialogMode, const QString&) {
    return QString::fromStdString(pdf.string());
  };
  control<QPushButton>("WalkProtocol")->click();
  const std::string text = pdf_text(pdf);
  for (int row = 5; row <= 9; ++row) EXPECT_EQ(count_of(text, row_label(row) + ' '), 1u) << row << "\n" << text;
  // Both sessions with what the module held, the first cut by the kill; the fault under the verdict that mended it.
  for (const char* expected : {"sprawdzono zdarzeń: 5, OK: 5, błędy: 0, nie oceniono: 0, nie sprawdzono: 0",
                               "zgodna z plikiem", "(bez zakończenia)", "różni się w 1 komórce", "Wcześniej: Błąd ",
                               "lampa 3 nie swieci", "strona odbierająca (podpis)"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
}

}  // namespace
