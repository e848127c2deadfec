// SPDX-License-Identifier: MIT
#include "app/walk_controller.h"

#include "config/name_text.h"

namespace {

QString qt_text(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

WalkController::WalkController(Link link, QObject* parent) : QObject(parent), link_(std::move(link)) {
  dwell_.setSingleShot(true);
  connect(&dwell_, &QTimer::timeout, this, &WalkController::dwellOver);
}

WalkController::~WalkController() {
  if (!running()) return;
  blockSignals(true);  // whoever listened may be going too
  stop();
}

void WalkController::start(int first_row, int last_row, int unit, std::chrono::milliseconds dwell, int from_row) {
  start(WalkPlan(first_row, last_row), unit, dwell, from_row);
}

void WalkController::start(const WalkPlan& plan, int unit, std::chrono::milliseconds dwell, int from_row) {
  if (running()) return;
  plan_.emplace(plan);
  if (plan_->empty()) {
    emit statusChanged(QString::fromUtf8("Wierszy 1-4 nie wywoła ramka magistrali: nie ma czego testować."));
    return;
  }
  dwell_.setInterval(dwell);
  paused_ = false;
  session_ = link_();
  if (!session_->connected()) {
    session_.reset();
    return;
  }
  if (before_first_event_ && !before_first_event_(session_->protocol())) {
    session_.reset();
    return;
  }
  sequence_.emplace(session_->protocol(), *plan_, unit);
  if (from_row >= 0) sequence_->go_to(from_row);
  emit runningChanged(true);
  show();
}

void WalkController::show() {
  if (const std::string cause = sequence_->show(); !cause.empty()) return fail(cause);
  emit rowShown(plan_->current_row());
  showStatus();
  if (!paused_ && !wait_for_verdict_) dwell_.start();
}

// Where the walk stands, and whether it waits for "Wznów".
void WalkController::showStatus() {
  // The label ends the status line: the address's name follows it.
  const std::string text = paused_ ? walk_paused_text(*plan_) : walk_status_text(*plan_);
  const ProjectNames names = names_ ? names_() : ProjectNames{};
  emit statusChanged(qt_text(with_name(text, address_name_of_row(names, plan_->current_row()))));
}

void WalkController::dwellOver() {
  if (!running()) return;
  if (sequence_->next()) return show();
  finish(sequence_->finished_text(), true);
}

void WalkController::togglePause() {
  if (!running()) return;
  paused_ = !paused_;
  if (paused_) {
    dwell_.stop();
  } else if (!wait_for_verdict_) {
    dwell_.start();
  }
  emit pausedChanged(paused_);
  showStatus();
}

void WalkController::back() {
  if (running() && sequence_->back()) show();
}

void WalkController::goTo(int row) {
  if (!running() || !sequence_->go_to(row)) return;
  dwell_.stop();
  show();
}

void WalkController::next() {
  if (!running()) return;
  dwell_.stop();
  if (sequence_->next()) return show();
  finish(sequence_->finished_text(), true);
}

void WalkController::stop() {
  if (running()) finish(sequence_->stopped_text(), true);
}

void WalkController::finish(const std::string& status, bool clear_board) {
  dwell_.stop();
  if (clear_board) {
    if (const std::string cause = sequence_->finish(); !cause.empty()) return fail(cause);
  }
  sequence_.reset();
  session_.reset();
  emit runningChanged(false);
  emit statusChanged(qt_text(status));
}

void WalkController::fail(const std::string& cause) {
  emit failed(qt_text(cause));
  finish(sequence_->failed_text(cause), false);
}
