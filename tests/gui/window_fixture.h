// SPDX-License-Identifier: MIT
#pragma once
// A fresh, shown main window per test, with an empty console log.

#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <QToolTip>
#include <memory>

#include "app/main.h"
#include "gui/user_settings.h"
#include "protocol/console_log.h"
#include "ui_main_window.h"

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    console_log().clear();
    UserSettings::instance().clear();  // each test starts as a first session
    startWindow();
  }
  // A new window, shown, as the program starts.
  void startWindow() {
    window_ = std::make_unique<TForm_main>();
    // A question nobody answers would hang the test: tests that close an
    // edited window answer it themselves.
    window_->askSaveChanges = [](const QString&) {
      ADD_FAILURE() << "unexpected question about unsaved changes";
      return SaveChangesAnswer::discard;
    };
    // The report's rows as the dialog offers them first: the whole table.
    window_->askReportRows = [](const QString&) { return std::optional<ReportRows>(ReportRows::all); };
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }
  void TearDown() override {
    // A tip left on screen would show over the next test's window.
    QToolTip::hideText();
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 5000)) << "a tool tip stays on screen";
    window_.reset();
    console_log().clear();
  }

  TForm_main& window() { return *window_; }
  // Gone as the program's end takes it, without being hidden or closed first.
  void destroyWindow() { window_.reset(); }
  Ui::TForm_main& ui() { return *window_->ui(); }

  // Whether resting the pointer at `at` in `area` shows this tool tip.
  bool showsToolTipOnHover(QWidget* area, QPoint at, const QString& text) {
    window_->activateWindow();  // Qt shows tips on hover only in the active window
    if (!QTest::qWaitForWindowActive(window_.get())) return false;
    QTest::mouseMove(area, at);
    return QTest::qWaitFor([&] { return QToolTip::isVisible() && QToolTip::text() == text; }, 5000);
  }

  // A matrix cell as painted on screen (it must be scrolled into view).
  QImage cellImage(int row, int column) {
    const QRect cell = ui().DrawGrid1->visualRect(ui().DrawGrid1->model()->index(row, column));
    return ui().DrawGrid1->viewport()->grab(cell).toImage();
  }

 private:
  std::unique_ptr<TForm_main> window_;
};
