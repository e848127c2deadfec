// SPDX-License-Identifier: MIT
#pragma once
// Runs a walk test: one connection for the whole walk, each row of the plan
// handed to the module in turn as the bus frame of its event, a wait on the
// event loop between rows, and the frame without events at the end and on
// Stop, so the board does not keep showing the last event. A command the
// module does not take ends the walk at once with its cause.

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/long_operation_link.h"
#include "commissioning/walk_plan.h"
#include "commissioning/walk_sequence.h"
#include "config/project_names.h"

class WalkController : public QObject {
  Q_OBJECT

 public:
  using Link = LongOperationLink;

  explicit WalkController(Link link, QObject* parent = nullptr);
  // A walk still running is stopped: the module is handed the frame without
  // events and disconnected.
  ~WalkController() override;

  bool running() const { return session_ != nullptr; }
  bool paused() const { return paused_; }
  const std::optional<WalkPlan>& plan() const { return plan_; }

  // `from_row`: where in the plan the walk begins (a resumed walk); -1: at its first row.
  void start(int first_row, int last_row, int unit, std::chrono::milliseconds dwell, int from_row = -1);
  void start(const WalkPlan& plan, int unit, std::chrono::milliseconds dwell, int from_row = -1);
  // The names of the project walked, for the status line; none unless given.
  void setNames(std::function<ProjectNames()> names) { names_ = std::move(names); }
  // Each event stays until next() (a verdict given) instead of for the dwell time.
  void setWaitForVerdict(bool wait) { wait_for_verdict_ = wait; }
  bool waitsForVerdict() const { return wait_for_verdict_; }
  // Runs on the walk's connection before the first event; false ends the
  // walk there, its status given.
  using BeforeFirstEvent = std::function<bool(USB_protocol& protocol)>;
  void setBeforeFirstEvent(BeforeFirstEvent check) { before_first_event_ = std::move(check); }
  void togglePause();
  void back();
  void next();
  // Goes to `row` of the plan to show it again (a line of the record chosen).
  void goTo(int row);
  void stop();

 signals:
  void runningChanged(bool running);
  void pausedChanged(bool paused);
  // The row just handed to the module.
  void rowShown(int row);
  void statusChanged(const QString& text);
  // Why the walk ended early (UTF-8), for the console.
  void failed(const QString& cause);

 private:
  void show();
  void showStatus();
  void dwellOver();
  // Ends the walk; the frame without events first when `clear_board`.
  void finish(const std::string& status, bool clear_board);
  void fail(const std::string& cause);

  Link link_;
  std::optional<WalkPlan> plan_;
  std::unique_ptr<Device_session> session_;
  std::optional<WalkSequence> sequence_;  // over session_ and plan_ while running
  bool paused_ = false;
  bool wait_for_verdict_ = false;
  BeforeFirstEvent before_first_event_;
  std::function<ProjectNames()> names_;
  QTimer dwell_;
};
