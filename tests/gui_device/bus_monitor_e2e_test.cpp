// SPDX-License-Identifier: MIT
// The bus monitor tab against the emulated module: events begin and end in
// the table and the list, the dropped count, a console that stays quiet on a
// quiet bus, the saved log, and the failures that end a run.

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableWidget>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/bus_monitor_tab.h"
#include "app/board_window.h"
#include "app/bus_monitor_wiring.h"
#include "gui/walk_tab.h"
#include <QTabWidget>
#include "config/test_payload.h"
#include "gui/bus_monitor_view.h"
#include "gui/lamp_board.h"
#include "module_window_fixture.h"

namespace {

using std::chrono::milliseconds;
namespace fs = std::filesystem;

constexpr milliseconds kNoon(((14 * 60 + 3) * 60 + 7) * 1000 + 250);  // 14:03:07.250
constexpr int kPatienceMs = 5000;

class BusMonitorTest : public ModuleWindowTest {
 protected:
  void SetUp() override {
    ModuleWindowTest::SetUp();
    host_ = std::make_unique<QWidget>();
    tab_ = make_bus_monitor_tab(window(), [this](bool running) { runs_.push_back(running); });
    tab_->setParent(host_.get());
    tab_->controller()->setClock([] { return kNoon; });
    host_->resize(420, 480);
    host_->show();
  }
  void TearDown() override {
    host_.reset();
    ModuleWindowTest::TearDown();
  }

  template <typename Widget>
  Widget* control(const char* name) {
    return tab_->findChild<Widget*>(QString::fromLatin1(name));
  }
  BusMonitorController& controller() { return *tab_->controller(); }
  QTableWidget* table() { return control<QTableWidget>("MonitorActiveTable"); }
  std::vector<std::string> changes() { return list_texts(control<QListWidget>("MonitorChangeList")); }
  std::vector<std::string> activeRows() {
    std::vector<std::string> rows;
    for (int r = 0; r < table()->rowCount(); ++r) {
      rows.push_back(table()->item(r, 0)->text().toStdString() + "|" + table()->item(r, 1)->text().toStdString() +
                     "|" + table()->item(r, 2)->text().toStdString());
    }
    return rows;
  }
  bool waitForChanges(std::size_t count) {
    return QTest::qWaitFor([&] { return changes().size() >= count; }, kPatienceMs);
  }
  std::string statusShown() { return control<QLabel>("MonitorStatus")->text().toStdString(); }

  std::unique_ptr<QWidget> host_;
  BusMonitorTab* tab_ = nullptr;
  std::vector<bool> runs_;  // what the window heard of runs starting and ending
};

TEST_F(BusMonitorTest, EventsBeginAndEndWhileAQuietBusLeavesTheConsoleAlone) {
  QSignalSpy shown(tab_->view(), &BusMonitorView::shownRowsChanged);
  control<QPushButton>("MonitorStartButton")->click();
  ASSERT_TRUE(controller().running());
  EXPECT_FALSE(control<QPushButton>("MonitorStartButton")->isEnabled());
  EXPECT_TRUE(control<QPushButton>("MonitorStopButton")->isEnabled());
  EXPECT_EQ(statusShown(), "Monitor magistrali: nasłuch...");
  EXPECT_TRUE(consoleHas(kConnectedBanner));

  // Many empty polls: the console keeps its banner and greeting only.
  ASSERT_TRUE(waitForPolls(15));
  const std::size_t quiet_console = console().size();
  EXPECT_EQ(console()[quiet_console - 2].rfind("<--  \tHELLO_USB_FRAME", 0), 0u);  // the greeting was the last
  ASSERT_TRUE(waitForPolls(15));
  EXPECT_EQ(console().size(), quiet_console);

  module().queue_rs485(unit_frame(26));
  ASSERT_TRUE(waitForChanges(1));
  EXPECT_EQ(changes(), (std::vector<std::string>{"14:03:07.250  centrala 0  adr 7. Alarm I  początek"}));
  EXPECT_EQ(activeRows(), (std::vector<std::string>{"0|adr 7. Alarm I|14:03:07"}));
  EXPECT_EQ(tab_->view()->shownRows(), QList<int>{26});  // nothing selected: every active event
  EXPECT_EQ(window().selectedMatrixRow(), 0);  // the grid stays where the user left it
  ASSERT_FALSE(shown.isEmpty());
  EXPECT_EQ(shown.last().at(0).value<QList<int>>(), QList<int>{26});
  // A poll that brought a frame logs its request and reply, as every command does.
  const std::vector<std::string> frame_lines = consoleSince(quiet_console);
  ASSERT_EQ(frame_lines.size(), 2u);
  EXPECT_TRUE(is_request_line(frame_lines[0]));
  EXPECT_EQ(frame_lines[1].rfind("  -->\tRS485_PLEASE_USB_FRAME\tFF 40 00 00 40 00 ", 0), 0u);

  module().set_dropped(3);
  module().queue_rs485(unit_frame(0));
  ASSERT_TRUE(waitForChanges(3));
  EXPECT_EQ(changes()[1], "14:03:07.250  opuszczono 3 ramek");  // a line of its own, as the saved log has it
  EXPECT_EQ(changes().back(), "14:03:07.250  centrala 0  adr 7. Alarm I  koniec");
  EXPECT_TRUE(activeRows().empty());
  EXPECT_EQ(tab_->view()->shownRows(), QList<int>{0});  // none active: the frame without events
  QLabel* dropped = control<QLabel>("MonitorDroppedLabel");
  EXPECT_EQ(dropped->text().toStdString(), "Opuszczone ramki: 3");
  EXPECT_EQ(dropped->palette().color(QPalette::WindowText), BusMonitorView::kWarningColour);

  module().queue_rs485(std::vector<std::uint8_t>(12, 0xAB));
  ASSERT_TRUE(waitForChanges(4));
  EXPECT_EQ(changes().back(), "14:03:07.250  inna ramka (12 B)");

  control<QPushButton>("MonitorStopButton")->click();
  EXPECT_FALSE(controller().running());
  EXPECT_EQ(statusShown(), "Monitor magistrali zatrzymany.");
  EXPECT_EQ(status(), "Monitor magistrali zatrzymany.");
  EXPECT_EQ(runs_, (std::vector<bool>{true, false}));
  EXPECT_EQ(console().back(), "");
  EXPECT_TRUE(consoleHas(kDisconnectedBanner));
  expectDisconnected();
  int hellos = 0;
  for (const UsbFrame& request : module().requests()) hellos += request[0] == HELLO_USB_FRAME;
  EXPECT_EQ(hellos, 1);  // one connection for the whole run

  // Another long operation holds the module: "Start" waits for it.
  tab_->view()->setStartAllowed(false);
  EXPECT_FALSE(control<QPushButton>("MonitorStartButton")->isEnabled());
  tab_->view()->setStartAllowed(true);
  EXPECT_TRUE(control<QPushButton>("MonitorStartButton")->isEnabled());
}

TEST_F(BusMonitorTest, SelectedEventIsShownAndKeptWhileOthersChange) {
  QSignalSpy selected(tab_->view(), &BusMonitorView::eventSelected);
  controller().start();
  ASSERT_TRUE(waitForPolls(2));  // what comes now is live
  module().queue_rs485(unit_frame(26));
  module().queue_rs485(unit_frame(43, 2));
  ASSERT_TRUE(waitForChanges(2));
  EXPECT_EQ(tab_->view()->shownRows(), (QList<int>{26, 43}));
  table()->selectRow(0);
  ASSERT_EQ(selected.size(), 1);
  EXPECT_EQ(selected.last().at(0).toInt(), 26);
  EXPECT_EQ(tab_->view()->shownRows(), QList<int>{26});
  EXPECT_EQ(window().selectedMatrixRow(), 26);

  module().queue_rs485(unit_frame(44, 2));  // unit 2: Awaria of 12 ends, Alarm I of 13 begins
  ASSERT_TRUE(waitForChanges(4));
  EXPECT_EQ(activeRows(), (std::vector<std::string>{"0|adr 7. Alarm I|14:03:07", "2|adr 13. Alarm I|14:03:07"}));
  EXPECT_EQ(tab_->view()->shownRows(), QList<int>{26});  // still the selected one

  module().queue_rs485(unit_frame(0));  // the selected event ends: every active one is shown
  ASSERT_TRUE(waitForChanges(5));
  EXPECT_EQ(selected.last().at(0).toInt(), -1);
  EXPECT_EQ(tab_->view()->shownRows(), QList<int>{44});
}

// Frames the module queued before Start are the state at the start, not a
// burst of changes; Stop leaves no event shown as current.
TEST_F(BusMonitorTest, QueuedFramesAreTheStartingStateAndStopEmptiesTheTable) {
  for (int i = 0; i < 10; ++i) module().queue_rs485(unit_frame(i % 2 == 0 ? 0 : 26));
  module().queue_rs485(unit_frame(43, 2));
  control<QPushButton>("MonitorStartButton")->click();
  ASSERT_TRUE(waitForChanges(1));
  ASSERT_TRUE(waitForPolls(3));
  EXPECT_EQ(changes(), (std::vector<std::string>{"14:03:07.250  stan na starcie z 11 ramek z kolejki modułu; aktywne: "
                                                 "centrala 0 adr 7. Alarm I, centrala 2 adr 12. Awaria"}));
  EXPECT_EQ(activeRows(), (std::vector<std::string>{"0|adr 7. Alarm I|przed startem", "2|adr 12. Awaria|przed startem"}));

  module().queue_rs485(unit_frame(0));
  ASSERT_TRUE(waitForChanges(2));
  EXPECT_EQ(changes().back(), "14:03:07.250  centrala 0  adr 7. Alarm I  koniec");

  control<QPushButton>("MonitorStopButton")->click();
  EXPECT_TRUE(activeRows().empty());
  EXPECT_TRUE(tab_->view()->shownRows().isEmpty());  // stopped: the picture follows the grid
  EXPECT_EQ(changes().back(), "14:03:07.250  Monitor magistrali zatrzymany.");
}

TEST_F(BusMonitorTest, RefusalUnplugAndNoModuleEndTheRunWithTheirCause) {
  struct Case {
    const char* what;
    std::function<void()> fault;
    std::string status;
  };
  const Case cases[] = {
      {"refusal",
       [this] {
         ZelModule::Faults refuse;
         refuse.refuse_code = RS485_PLEASE_USB_FRAME;
         module().set_faults(refuse);
       },
       "Monitor magistrali zatrzymany: moduł odrzucił polecenie RS485_please_frame!"},
      {"unplug", [this] { bed().unplug(); },
       "Monitor magistrali zatrzymany: moduł nie odpowiada albo został odłączony!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    rebuildBed();
    controller().start();
    ASSERT_TRUE(waitForPolls(3));
    c.fault();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !controller().running(); }, kPatienceMs));
    EXPECT_EQ(statusShown(), c.status);
    EXPECT_TRUE(consoleHas(c.status));
    EXPECT_TRUE(consoleHas(kDisconnectedBanner));
    EXPECT_TRUE(control<QPushButton>("MonitorStartButton")->isEnabled());
    expectDisconnected();
  }

  rebuildBed({.modules = 0});
  console_log().clear();
  controller().start();
  EXPECT_FALSE(controller().running());
  EXPECT_TRUE(consoleHas(kNotConnectedBanner));
  EXPECT_EQ(status(), kNotConnectedStatus);
}

TEST_F(BusMonitorTest, LogIsSavedAsCsvAndAFailedSaveWarns) {
  controller().start();
  ASSERT_TRUE(waitForPolls(2));
  module().queue_rs485(unit_frame(26, 1));
  module().queue_rs485(unit_frame(0, 1));
  ASSERT_TRUE(waitForChanges(2));
  controller().stop();

  const fs::path dir = fs::temp_directory_path() / ("zel-bus-log-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path file = dir / "dziennik.csv";
  QString warning;
  tab_->showWarning = [&](const QString& text) { warning = text; };
  tab_->chooseFile = [&](const FileDialogSettings&, FileDialogMode, const QString&) {
    return QString::fromStdString(file.string());
  };
  control<QPushButton>("MonitorSaveButton")->click();
  std::ifstream in(file, std::ios::binary);
  const std::string csv{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(csv,
            "\xEF\xBB\xBF"
            "czas;centrala;wiersz;zdarzenie;zmiana\r\n"
            "14:03:07.250;1;26;adr 7. Alarm I;początek\r\n"
            "14:03:07.250;1;26;adr 7. Alarm I;koniec\r\n"
            "14:03:07.250;;;Monitor magistrali zatrzymany.;\r\n");
  EXPECT_TRUE(warning.isEmpty());

  tab_->chooseFile = [&](const FileDialogSettings&, FileDialogMode, const QString&) {
    return QString::fromStdString((dir / "brak" / "x.csv").string());
  };
  control<QPushButton>("MonitorSaveButton")->click();
  EXPECT_TRUE(warning.startsWith(QString::fromUtf8("Nie udało się zapisać dziennika do pliku"))) << warning.toStdString();
  fs::remove_all(dir);
}

}  // namespace

namespace {

TEST_F(BusMonitorTest, ListKeepsTheNewestInViewUnlessScrolledUp) {
  QListWidget* list = control<QListWidget>("MonitorChangeList");
  QScrollBar* bar = list->verticalScrollBar();
  auto add = [&](int count) {
    std::vector<BusLogEntry> entries;
    for (int i = 0; i < count; ++i) entries.emplace_back(BusChange{milliseconds(i), 0, 5 + i % 300, i % 2 == 0});
    tab_->view()->appendEntries(entries);
    QCoreApplication::processEvents();
  };
  add(200);
  ASSERT_GT(bar->maximum(), 0);
  EXPECT_EQ(bar->value(), bar->maximum());
  add(1);
  EXPECT_EQ(bar->value(), bar->maximum());
  bar->setValue(10);  // the user reads older changes
  add(5);
  EXPECT_EQ(bar->value(), 10);
  EXPECT_EQ(list->count(), 206);
}

}  // namespace

namespace {

// In the board window: the second tab, the lamps following the event, and
// one long operation at a time.
TEST_F(BusMonitorTest, BoardWindowsTabDrivesThePictureAndHoldsOffTheOtherOperations) {
  window().BoardButtonClick();
  BusMonitorTab* tab = window().busMonitor();
  ASSERT_NE(tab, nullptr);
  QTabWidget* tabs = window().boardWindow()->tabs();
  EXPECT_EQ(tabs->tabText(tabs->indexOf(tab)), QStringLiteral("Monitor magistrali"));
  tabs->setCurrentWidget(tab);

  tab->findChild<QPushButton*>(QStringLiteral("MonitorStartButton"))->click();
  ASSERT_TRUE(tab->controller()->running());
  for (QPushButton* button : {ui().WriteConfigButton, ui().ReadConfigButton, ui().TestButton, ui().HelloButton})
    EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
  EXPECT_FALSE(window().boardWindow()->findChild<WalkTab*>()->isEnabled());

  // The engineer edits "adr 7. Alarm II" with a block selected while alarms arrive: the picture shows
  // each event that begins, and the current cell and the block stay where they are.
  window().selectMatrixRow(27);
  QTest::keyClick(ui().DrawGrid1, Qt::Key_Right, Qt::ShiftModifier);
  QTest::keyClick(ui().DrawGrid1, Qt::Key_Down, Qt::ShiftModifier);
  const CellBlock block = window().selectedBlock();
  ASSERT_EQ(block, (CellBlock{27, 0, 28, 1}));
  module().queue_rs485(unit_frame(26));
  ASSERT_TRUE(QTest::qWaitFor([&] { return window().boardWindow()->shownRow() == 26; }, kPatienceMs));
  EXPECT_EQ(window().selectedBlock(), block);
  EXPECT_EQ(window().selectedMatrixRow(), 28);
  EXPECT_EQ(window().selectedLabelRow(), 28);
  EXPECT_EQ(ui().StringGrid3->currentIndex().column(), 1);
  QTest::keyClick(ui().DrawGrid1, Qt::Key_3);  // the next digit lands on the block, not on the event's row
  EXPECT_EQ(config_matrix().at(27, 0), LED_STEADY);
  EXPECT_EQ(config_matrix().at(26, 0), LED_OFF);

  // Only the user's choice of a line in the table moves the grid.
  tab->findChild<QTableWidget*>(QStringLiteral("MonitorActiveTable"))->selectRow(0);
  EXPECT_EQ(window().selectedMatrixRow(), 26);
  EXPECT_EQ(window().boardWindow()->shownRow(), 26);

  window().boardWindow()->close();  // ends the run
  EXPECT_FALSE(tab->controller()->running());
  EXPECT_TRUE(ui().WriteConfigButton->isEnabled());
  EXPECT_TRUE(ui().TestButton->isEnabled());
  EXPECT_TRUE(window().boardWindow()->findChild<WalkTab*>()->isEnabled());
  expectDisconnected();
}

// While the monitor runs the picture shows every active event combined,
// whatever row the grid has selected; with none, the frame without events.
TEST_F(BusMonitorTest, ThePictureCombinesEveryActiveEventAndShowsTheQuietFrameWhenNoneIs) {
  config_matrix().set(14, 3, LED_STEADY);      // adr 3. Alarm I: lamp 4
  config_matrix().set(43, 8, LED_FAST_BLINK);  // adr 12. Awaria: lamp 9
  config_matrix().set(27, 0, LED_STEADY);      // the row selected: lamp 1
  window().repaintMatrix();
  window().selectMatrixRow(27);
  window().BoardButtonClick();
  BoardWindow* board = window().boardWindow();
  window().busMonitor()->controller()->start();
  EXPECT_EQ(board->lamps()->modes(), LampBoard::Modes{});  // a quiet bus: row 0, all dark
  module().queue_rs485(unit_frame(14, 0));
  module().queue_rs485(unit_frame(43, 1));
  ASSERT_TRUE(QTest::qWaitFor([&] { return board->shownRows().size() == 2; }, kPatienceMs));
  window().selectMatrixRow(30);
  LampBoard::Modes lit{};
  lit[3] = LED_STEADY;
  lit[8] = LED_FAST_BLINK;
  EXPECT_EQ(board->lamps()->modes(), lit);
  EXPECT_EQ(board->lamps()->heading(), QStringLiteral("adr 3. Alarm I + adr 12. Awaria"));
  window().busMonitor()->controller()->stop();
  EXPECT_EQ(board->shownRows(), QList<int>{30});  // stopped: the grid's row again
}

// The window destroyed with the board's monitor running: the run ends and
// disconnects, and nothing touches the window's dead controls.
TEST_F(BusMonitorTest, DestroyingTheWindowMidRunDisconnects) {
  window().BoardButtonClick();
  BusMonitorTab* tab = window().busMonitor();
  tab->findChild<QPushButton*>(QStringLiteral("MonitorStartButton"))->click();
  ASSERT_TRUE(tab->controller()->running());
  destroyWindow();
  EXPECT_FALSE(connection_state().Connected);
}

}  // namespace
