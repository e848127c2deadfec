// The walk test of the board window against the emulated module: one
// connection, the rows in order, the frame without events at the end, the
// grids following, steering keys, Stop, and an unplug in the middle.

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTableWidget>

#include "app/board_window.h"
#include "app/walk_controller.h"
#include "config/test_payload.h"
#include "gui/walk_tab.h"
#include "module_window_fixture.h"

namespace {

using namespace std::chrono_literals;
using Frames = std::vector<std::vector<std::uint8_t>>;

Frames row_frames(std::initializer_list<int> rows) {
  Frames frames;
  for (int row : rows) {
    const TestPayload payload = build_test_payload(row, 0);
    frames.emplace_back(payload.begin(), payload.end());
  }
  return frames;
}

class WalkTest : public ModuleWindowTest {
 protected:
  void SetUp() override {
    ModuleWindowTest::SetUp();
    window().BoardButtonClick();
    tab_ = window().boardWindow()->findChild<WalkTab*>();
    ASSERT_NE(tab_, nullptr);
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
};

TEST_F(WalkTest, WalksRowsInOrderOnOneConnectionAndClearsTheBoard) {
  window().selectMatrixRow(2);
  window().BoardButtonClick();
  EXPECT_EQ(control<QComboBox>("WalkFirstRow")->currentText(), QStringLiteral("adr 0. Alarm I"));  // 5 for rows below
  EXPECT_EQ(control<QComboBox>("WalkLastRow")->currentIndex(), 304);
  EXPECT_EQ(control<QDoubleSpinBox>("WalkDwell")->value(), 3.0);

  pickRange(4, 9);
  control<QDoubleSpinBox>("WalkDwell")->setValue(0.5);
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
  EXPECT_EQ(module().requests().size(), 7u);
  EXPECT_EQ(selected, (std::vector<int>{5, 6, 7, 8, 9}));
  EXPECT_EQ(labels, selected);
  EXPECT_EQ(lamps, selected);
  for (const auto& during : controls) EXPECT_EQ(during, std::vector<bool>(8, false));
  EXPECT_EQ(deviceControlsEnabled(), std::vector<bool>(8, true));
  EXPECT_EQ(recorder.texts(), (std::vector<std::string>{
                                  "Test po kolei: 1 z 5 – adr 0. Alarm I", "Test po kolei: 2 z 5 – adr 0. Alarm II",
                                  "Test po kolei: 3 z 5 – adr 0. Awaria", "Test po kolei: 4 z 5 – adr 1. Alarm I",
                                  "Test po kolei: 5 z 5 – adr 1. Alarm II", "Test po kolei zakończony (5 zdarzeń).",
                              }));
  EXPECT_EQ(control<QLabel>("WalkStatus")->text(), QString::fromUtf8("Test po kolei zakończony (5 zdarzeń)."));
  const std::vector<std::string> lines = console();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), kConnectedBanner), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), kDisconnectedBanner), 1);
  EXPECT_EQ(lines[lines.size() - 2], kDisconnectedBanner);
  expectDisconnected();
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

TEST_F(WalkTest, StopAndClosingTheWindowEndTheWalkAndClearTheBoard) {
  pickRange(5, 304);
  control<QDoubleSpinBox>("WalkDwell")->setValue(60);
  control<QPushButton>("WalkStart")->click();
  control<QPushButton>("WalkStop")->click();
  EXPECT_EQ(status(), "Test po kolei zatrzymany (1 z 300).");
  EXPECT_EQ(module().rs485_received(), row_frames({5, 0}));
  expectDisconnected();

  control<QPushButton>("WalkStart")->click();
  window().boardWindow()->close();
  EXPECT_FALSE(walk().running());
  EXPECT_EQ(module().rs485_received(), row_frames({5, 0, 5, 0}));
  expectDisconnected();
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
  unplug.unplug_after = 3;  // the greeting and two rows
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
