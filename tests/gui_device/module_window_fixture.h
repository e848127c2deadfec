// SPDX-License-Identifier: MIT
#pragma once
// The real window with an emulated module on the device test bed, and what
// the end-to-end tests look at: the console as UTF-8 lines, the connection
// as the user sees it, and the status and progress texts shown during a run.

#include <gtest/gtest.h>

#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "config/test_payload.h"
#include "emulator/test_bed.h"
#include "gui/filled_shape.h"
#include "protocol/connection_state.h"
#include "text/cp1250.h"
#include "window_fixture.h"

inline const std::string kConnectedBanner = "\t\t\t*** Połączono z urządzeniem interfejsu HID! ***";
inline const std::string kDisconnectedBanner =
    "\t\t\t*** Połączenie z urządzeniem interfejsu HID zostało zerwane! ***";
inline const std::string kNotConnectedBanner = "\t\t\t*** Nie ma w  tej chwili połączenia z żadnym urządzeniem! ***";
inline const std::string kNotConnectedStatus = "Nie udalo sie polaczyc!";

inline bool is_request_line(const std::string& line) { return line.rfind("<--  \t", 0) == 0; }

// A control unit's frame reporting the event of matrix row `row`.
inline std::vector<std::uint8_t> unit_frame(int row, int unit = 0) {
  const TestPayload payload = build_test_payload(row, unit);
  return {payload.begin(), payload.end()};
}

// The texts of a list, top to bottom.
inline std::vector<std::string> list_texts(const QListWidget* list) {
  std::vector<std::string> texts;
  for (int i = 0; i < list->count(); ++i) texts.push_back(list->item(i)->text().toStdString());
  return texts;
}
inline bool is_reply_line(const std::string& line) { return line.rfind("  -->\t", 0) == 0; }

class ModuleWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    bed_ = std::make_unique<TestBed>();
    WindowTest::SetUp();
  }
  void TearDown() override {
    WindowTest::TearDown();
    dropConnection();
    bed_.reset();
  }

  // A new bed, e.g. {.modules = 0} for a tool with no module attached. The
  // old module's connection, if any, goes first.
  void rebuildBed(const TestBedOptions& options = {}) {
    dropConnection();
    bed_.reset();
    bed_ = std::make_unique<TestBed>(options);
  }
  TestBed& bed() { return *bed_; }
  ZelModule& module() { return bed_->module(); }

  std::vector<std::string> console() const {
    std::vector<std::string> lines;
    for (const std::string& line : console_log().lines()) lines.push_back(text::to_utf8(line));
    return lines;
  }
  std::vector<std::string> consoleSince(std::size_t first) const {
    std::vector<std::string> lines = console();
    lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(std::min(first, lines.size())));
    return lines;
  }
  bool consoleHas(const std::string& utf8) const {
    for (const std::string& line : console())
      if (line == utf8) return true;
    return false;
  }

  std::string status() { return window().statusText().toStdString(); }

  // Waits until the module has answered `count` more requests.
  bool waitForPolls(std::size_t count) {
    const std::size_t target = module().requests().size() + count;
    return QTest::qWaitFor([&] { return module().requests().size() >= target; }, 5000);
  }

  // Not connected, as the connection state holds it and as the page shows it.
  // After a failed connect the unopened protocol object may stay current
  // until the next connect or disconnect.
  void expectDisconnected(bool protocol_gone = true) {
    EXPECT_FALSE(connection_state().Connected);
    if (protocol_gone) {
      EXPECT_EQ(connection_state().Protocol, nullptr);
    }
    EXPECT_EQ(ui().ConnectionLed->brushColor(), QColor(255, 0, 0));
    EXPECT_TRUE(ui().ConnectButton->isEnabled());
    EXPECT_FALSE(ui().DisconnectButton->isEnabled());
  }
  void expectConnected() {
    EXPECT_TRUE(connection_state().Connected);
    EXPECT_NE(connection_state().Protocol, nullptr);
    EXPECT_EQ(ui().ConnectionLed->brushColor(), QColor(0, 128, 0));
    EXPECT_FALSE(ui().ConnectButton->isEnabled());
    EXPECT_TRUE(ui().DisconnectButton->isEnabled());
  }

 private:
  static void dropConnection() {
    connection_state().Protocol.reset();
    connection_state().Connected = false;
  }

  std::unique_ptr<TestBed> bed_;
};

// Every status text shown while it watches, with the progress bar's position
// and visibility at that moment, and the highest position it reached.
class StatusRecorder {
 public:
  struct Shown {
    std::string text;
    int progress;
    bool progress_visible;
    friend bool operator==(const Shown&, const Shown&) = default;
  };

  StatusRecorder(QStatusBar* status, QProgressBar* progress) : progress_(progress) {
    QObject::connect(status, &QStatusBar::messageChanged, &context_, [this](const QString& text) {
      if (!text.isEmpty())
        shown.push_back({text.toStdString(), progress_->value(), progress_->isVisible()});
    });
    QObject::connect(progress, &QProgressBar::valueChanged, &context_, [this](int value) {
      highest = std::max(highest, value);
      if (progress_->isVisible()) highest_while_visible = std::max(highest_while_visible, value);
    });
  }

  std::vector<std::string> texts() const {
    std::vector<std::string> all;
    for (const Shown& s : shown) all.push_back(s.text);
    return all;
  }

  std::vector<Shown> shown;
  int highest = 0;
  int highest_while_visible = 0;

 private:
  QProgressBar* progress_;
  QObject context_;  // disconnects both when the recorder goes
};
