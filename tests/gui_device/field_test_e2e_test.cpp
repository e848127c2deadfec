// SPDX-License-Identifier: MIT
// The board window's field test against the emulated module and a scripted
// bus: the planned events the bus reports seen and shown, the events beyond
// the plan listed apart, verdicts by the walk's keys, and the record that
// Stop, or a kill, leaves open for resuming.

#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QSignalSpy>
#include <QTabWidget>
#include <csignal>
#include <memory>

#include "app/bus_monitor_tab.h"
#include "app/field_test_controller.h"
#include "config/test_payload.h"
#include "emulator/bus_player.h"
#include "gui/bus_monitor_view.h"
#include "gui/field_plan_model.h"
#include "gui/field_test_tab.h"
#include "walk_fixture.h"

namespace {

// Control unit 0 sets off adr 0. Alarm I, then adr 1. Alarm I beside it,
// then only adr 5. Awaria, which the project leaves dark; unit 3 reports
// adr 2. Alarm I, planned, but of another unit than the one listened to.
constexpr const char* kFieldBus =
    "0    0  adr 0. Alarm I\n"
    "150  0  adr 0. Alarm I, adr 1. Alarm I\n"
    "300  0  adr 5. Awaria\n"
    "450  3  adr 2. Alarm I\n";

// The record's project lights lamps 3 and 7 for adr 0. Alarm I, lamp 2 for
// adr 1. Alarm I and lamp 3 for adr 2. Alarm I: the plan of rows 5-304 is
// those three events.
class FieldTest : public WalkRecordTest {
 protected:
  void SetUp() override {
    WalkRecordTest::SetUp();
    ConfigMatrix matrix = config_matrix();
    matrix.set(8, 1, LED_STEADY);
    matrix.set(11, 2, LED_STEADY);
    ASSERT_TRUE(save_config_file(dir_ / "hala.zel", matrix).ok);
    const ProjectNames names = project_names();
    project_names() = {};  // the table's file is opened anew, the names then given as the walk's fixture gives them
    window().openConfigPath(dir_ / "hala.zel");
    project_names() = names;
    window().WriteConfigButtonClick();
    module().clear_requests();
    field_ = window().boardWindow()->findChild<FieldTestTab*>();
    ASSERT_NE(field_, nullptr);
    window().boardWindow()->tabs()->setCurrentWidget(field_);
  }
  void TearDown() override {
    bus_.reset();
    WalkRecordTest::TearDown();
  }
  FieldTestController& fieldTest() { return *window().fieldTest(); }
  template <typename Widget>
  Widget* fieldControl(const char* name) {
    return field_->findChild<Widget*>(QString::fromLatin1(name));
  }
  // Starts listening to `unit`, then plays the bus once the run listens.
  void startAndPlay(int unit) {
    fieldControl<QSpinBox>("FieldUnit")->setValue(unit);
    window().boardWindow()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window().boardWindow()));
    fieldControl<QPushButton>("FieldStart")->click();
    ASSERT_TRUE(fieldTest().running());
    ASSERT_TRUE(waitForListening());
    const ParsedBusScript parsed = parse_bus_script(kFieldBus);
    ASSERT_TRUE(parsed.script) << parsed.error;
    bus_ = std::make_unique<BusScriptPlayer>(module(), *parsed.script);
  }
  // A few polls answered: what the bus says now begins events, it is not the state at the start.
  bool waitForListening() { return waitForPolls(3); }
  bool waitForTally(const std::string& tally) {
    return QTest::qWaitFor([&] { return fieldControl<QLabel>("FieldTally")->text().toStdString() == tally; }, 5000);
  }
  // A column of the plan's list, line by line, as shown.
  std::vector<std::string> column(int column) {
    QAbstractItemModel* plan = fieldControl<QTableView>("FieldEvents")->model();
    std::vector<std::string> texts;
    for (int line = 0; line < plan->rowCount(); ++line) texts.push_back(plan->index(line, column).data().toString().toStdString());
    return texts;
  }
  std::vector<std::string> findings() { return list_texts(fieldControl<QListWidget>("FieldFindings")); }

  FieldTestTab* field_ = nullptr;
  std::unique_ptr<BusScriptPlayer> bus_;
};

// Listening to unit 0: two planned events seen and shown as they begin, the
// dark one and the other unit's listed apart; Return rates the line the bus
// selected, Up and B with a comment another, while a third is seen; Stop
// closes the session, and
// Start again offers to go on with the same record, which closing the board
// window ends too.
TEST_F(FieldTest, SeesPlannedEventsListsTheRestApartAndTakesVerdictsByKeys) {
  QSignalSpy seen(&fieldTest(), &FieldTestController::eventSeen);
  startAndPlay(0);
  EXPECT_TRUE(questions_.empty());  // the module holds the file's table
  EXPECT_TRUE(window().editingLocked());
  EXPECT_FALSE(window().boardWindow()->findChild<WalkTab*>()->isEnabled());
  EXPECT_FALSE(window().busMonitor()->findChild<QPushButton*>(QStringLiteral("MonitorStartButton"))->isEnabled());
  ASSERT_TRUE(waitForTally("widziano 2 z 3, bez lampy 1, innej centrali 1")) << fieldControl<QLabel>("FieldTally")->text().toStdString();

  std::vector<std::string> shown;
  for (const QList<QVariant>& event : seen) shown.push_back(std::to_string(event.at(0).toInt()) + " " + event.at(1).toString().toStdString());
  EXPECT_EQ(shown, (std::vector<std::string>{"5 adr 0. Alarm I: 3 Hala A – ciągłe, 7 – szybkie miganie",
                                             "8 adr 1. Alarm I: 2 – ciągłe", "22 adr 5. Awaria: nic"}));
  EXPECT_EQ(window().selectedMatrixRow(), 22);
  EXPECT_EQ(window().boardWindow()->shownRow(), 22);
  EXPECT_EQ(fieldControl<QLabel>("FieldEvent")->text(), QStringLiteral("adr 5. Awaria: nic"));
  EXPECT_EQ(status(), "Próba z obiektu, centrala 3: adr 2. Alarm I: 3 Hala A – ciągłe – zdarzenie innej centrali");
  EXPECT_EQ(column(FieldPlanModel::kState), (std::vector<std::string>{"widziano – bez oceny", "widziano – bez oceny", "nie widziano"}));
  EXPECT_EQ(column(FieldPlanModel::kUnit), (std::vector<std::string>{"0", "0", ""}));
  const std::vector<std::string> apart = findings();
  ASSERT_EQ(apart.size(), 2u);
  EXPECT_EQ(apart[0].rfind("bez lampy: adr 5. Awaria, centrala 0, ", 0), 0u) << apart[0];
  EXPECT_EQ(apart[1].rfind("inna centrala: adr 2. Alarm I, centrala 3, ", 0), 0u) << apart[1];

  key(Qt::Key_Return);  // the last planned event seen is selected
  key(Qt::Key_Down);
  key(Qt::Key_Return);  // not seen: nothing to rate
  key(Qt::Key_Up);
  key(Qt::Key_Up);
  EXPECT_EQ(window().boardWindow()->shownRow(), 5);  // the board follows the line to rate
  key(Qt::Key_B);
  type("lampa 7 nie miga");
  // An event the bus reports meanwhile does not take the comment.
  module().queue_rs485(unit_frame(11, 0));
  ASSERT_TRUE(waitForTally("widziano 3 z 3, bez lampy 1, innej centrali 1"));
  key(Qt::Key_Return);
  EXPECT_EQ(column(FieldPlanModel::kState), (std::vector<std::string>{"Błąd", "OK", "widziano – bez oceny"}));
  EXPECT_EQ(column(FieldPlanModel::kComment), (std::vector<std::string>{"lampa 7 nie miga", "", ""}));

  fieldControl<QPushButton>("FieldStop")->click();
  EXPECT_FALSE(fieldTest().running());
  EXPECT_FALSE(window().editingLocked());
  EXPECT_EQ(status(), "Próba z obiektu zakończona: widziano 3 z 3, bez lampy 1, innej centrali 1");
  expectDisconnected();
  std::optional<WalkRecord> record = journal();
  ASSERT_TRUE(record);
  EXPECT_TRUE(record->field());
  EXPECT_EQ(record->header.unit, 0);
  EXPECT_EQ(record->rows(), (std::vector<int>{5, 8, 11}));
  EXPECT_TRUE(record->closed());
  EXPECT_EQ(record->line(5)->verdict, Verdict::fault);
  EXPECT_EQ(record->line(8)->unit, 0);
  EXPECT_EQ(record->findings.size(), 2u);

  bus_.reset();
  fieldControl<QSpinBox>("FieldUnit")->setValue(kAnyUnit);  // the record keeps listening to its own unit
  fieldControl<QPushButton>("FieldStart")->click();
  ASSERT_TRUE(fieldTest().running());
  ASSERT_EQ(questions_.size(), 1u);
  // Every event seen, one not rated yet.
  EXPECT_EQ(questions_[0], "Niedokończony protokół próby z obiektu tej konfiguracji: widziano 3 z 3 zdarzeń, "
                           "ocenionych 2.\nKontynuować tę próbę?");
  ASSERT_TRUE(waitForListening());
  module().queue_rs485(unit_frame(11, 3));  // still another unit's
  ASSERT_TRUE(QTest::qWaitFor([&] { return status().find("innej centrali") != std::string::npos; }, 5000));
  window().boardWindow()->close();  // ends the session as Stop does
  EXPECT_FALSE(fieldTest().running());
  record = journal();
  ASSERT_TRUE(record);
  ASSERT_EQ(record->sessions.size(), 2u);
  EXPECT_TRUE(record->closed());
  EXPECT_EQ(record->summary(), (RecordSummary{3, 1, 1, 1, 0, 1, 1}));
}

// The program killed in the middle of a field test, for the test below: it
// sees the bus's events, rates one and waits to be killed.
TEST_F(FieldTest, ChildSeesEventsRatesOneAndWaitsToBeKilled) {
  if (!shared_) GTEST_SKIP() << "run by KillingTheWindowMidTestOffersToGoOnWithItsRecord";
  startAndPlay(kAnyUnit);
  ASSERT_TRUE(waitForTally("widziano 3 z 3, bez lampy 1"));
  key(Qt::Key_Return);
  waitToBeKilled("field test");
}

// Killed (SIGKILL) with a verdict given: the journal reads whole, and the
// next Start offers to go on with what was seen and rated.
TEST_F(FieldTest, KillingTheWindowMidTestOffersToGoOnWithItsRecord) {
  startChild("FieldTest.ChildSeesEventsRatesOneAndWaitsToBeKilled");
  killChildWhen([](const WalkRecord& record) { return record.summary().ok; }, 1);
  EXPECT_FALSE(journal()->closed());

  window().boardWindow()->activateWindow();
  fieldControl<QPushButton>("FieldStart")->click();
  ASSERT_TRUE(fieldTest().running());
  ASSERT_EQ(questions_.size(), 1u);
  EXPECT_EQ(questions_[0], "Niedokończony protokół próby z obiektu tej konfiguracji: widziano 3 z 3 zdarzeń, "
                           "ocenionych 1.\nKontynuować tę próbę?");
  EXPECT_EQ(column(FieldPlanModel::kState), (std::vector<std::string>{"widziano – bez oceny", "widziano – bez oceny", "OK"}));
  fieldControl<QPushButton>("FieldStop")->click();
  const std::optional<WalkRecord> record = journal();
  ASSERT_TRUE(record);
  ASSERT_EQ(record->sessions.size(), 2u);
  EXPECT_FALSE(record->sessions[0].closed);  // the kill
  EXPECT_TRUE(record->closed());
  EXPECT_EQ(record->header.unit, kAnyUnit);
  EXPECT_EQ(record->line(11)->unit, 3);
  EXPECT_EQ(record->findings.size(), 1u);
}

}  // namespace
