// SPDX-License-Identifier: MIT
#pragma once
// The board window's commissioning tests against the emulated module: the
// walk's fixture, and its record's (a project file with its records beside
// it, a child program to be killed). The field test's tests use them too.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/board_window.h"
#include "app/file_dialogs.h"
#include "app/walk_controller.h"
#include "app/walk_record_keeper.h"
#include "commissioning/walk_journal.h"
#include "config/config_file.h"
#include "gui/walk_tab.h"
#include "module_window_fixture.h"

// Every walk reads the module's table back first and keeps a record beside
// the grid's file; a grid without one is saved first, here to plan.zel in a
// home of the test's own. Questions are answered "Tak" and "Zapisz i
// rozpocznij" unless a test says; warnings are kept.
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
    window().askSaveBeforeWalk = [this](const QString& question) {
      save_questions_.push_back(question.toStdString());
      return save_answer_;
    };
    window().showWarning = [this](const QString& text) { warnings_.push_back(text.toStdString()); };
    window().chooseFile = [this](const FileDialogSettings&, FileDialogMode, const QString&) {
      return QString::fromStdString(planFile().string());
    };
  }
  void TearDown() override {
    ModuleWindowTest::TearDown();
    qputenv("HOME", real_home_);
  }
  std::filesystem::path planFile() const { return std::filesystem::path(home_.path().toStdString()) / "plan.zel"; }
  // The records of the grid's file, read from the disk; each must be whole.
  std::vector<WalkRecord> records() {
    const JournalReading reading = load_walk_journal(window().walkRecord()->journalPath());
    EXPECT_TRUE(reading.ok) << reading.reason;
    std::vector<WalkRecord> read;
    for (const StoredRecord& stored : reading.records) {
      EXPECT_EQ(stored.damage, "");
      if (stored.record) read.push_back(*stored.record);
    }
    return read;
  }
  std::optional<WalkRecord> newestRecord() {
    const std::vector<WalkRecord> all = records();
    return all.empty() ? std::nullopt : std::optional<WalkRecord>(all.back());
  }
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
  bool waitForEnd(std::chrono::milliseconds patience = std::chrono::seconds(20)) {
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
  std::vector<std::string> save_questions_;
  bool save_answer_ = true;
  std::vector<std::string> warnings_;

 private:
  QTemporaryDir home_;
  QByteArray real_home_;
};

// A walk with verdicts against a module that holds the grid's file, the
// records beside that file.
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
      dir_ = std::filesystem::temp_directory_path() / ("zel-walk-record-" + std::to_string(getpid()));
      std::filesystem::remove_all(dir_);
      std::filesystem::create_directories(dir_);
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
    if (!shared_) std::filesystem::remove_all(dir_);
  }
  // This test program again, running only `test` with the folder shared;
  // its temporary files (settings, home, test bed) go into that folder too.
  void startChild(const char* test) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kSharedFolder), QString::fromStdString(dir_.string()));
    std::filesystem::create_directories(dir_ / "tmp");
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
  // In the child: waits to be killed; a parent gone first ends the wait too.
  void waitToBeKilled(const char* what) {
    const pid_t parent = getppid();
    const bool orphaned = QTest::qWaitFor([parent] { return getppid() != parent; }, 30 * 60 * 1000);
    ADD_FAILURE() << (orphaned ? "the parent test ended without killing the " : "nothing killed the ") << what;
  }
  // Kills the child (SIGKILL) once `count` of its newest record reaches `at_least`.
  void killChildWhen(const std::function<int(const WalkRecord&)>& count, int at_least) {
    const auto counted = [&] {
      const JournalReading reading = load_walk_journal(recordsFolder());
      const StoredRecord* newest = reading.newest();
      return newest && newest->record ? count(*newest->record) : 0;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return counted() >= at_least || child_.state() == QProcess::NotRunning; },
                                10 * 60 * 1000))
        << childOutput();
    ASSERT_EQ(child_.state(), QProcess::Running) << childOutput();
    ASSERT_EQ(counted(), at_least) << childOutput();
    ASSERT_EQ(::kill(static_cast<pid_t>(child_.processId()), SIGKILL), 0);
    ASSERT_TRUE(child_.waitForFinished(-1));
    EXPECT_EQ(child_.exitStatus(), QProcess::CrashExit);
  }
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
  std::optional<WalkRecord> journal() { return newestRecord(); }
  std::filesystem::path recordsFolder() const { return dir_ / "hala.zel-protokoly"; }
  QTableView* events() { return control<QTableView>("WalkEvents"); }
  // The list's column of a line, as shown.
  std::string listed(int line, int column) {
    return events()->model()->index(line, column).data().toString().toStdString();
  }
  std::string tally() { return control<QLabel>("WalkTally")->text().toStdString(); }
  QPoint lineCentre(int line) { return events()->visualRect(events()->model()->index(line, 0)).center(); }

  std::filesystem::path dir_;
  bool shared_ = false;  // a child of the crash test
  QProcess child_;
};
