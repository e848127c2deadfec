// SPDX-License-Identifier: MIT
#pragma once
// The walk test's steps on one connection, shared by the window and
// zel17-cli: the current row's event handed to the module, moves over the
// plan, and the frame without events at the end so the board does not keep
// showing the last event. A command the module did not take gives its cause.

#include <string>

#include "commissioning/walk_plan.h"

class USB_protocol;

class WalkSequence {
 public:
  // `plan` is the caller's and must outlive the sequence.
  WalkSequence(USB_protocol& protocol, WalkPlan& plan, int unit);

  const WalkPlan& plan() const { return plan_; }

  // Hands over the current row's event; empty when the module took it, else
  // why not (UTF-8). A step checked by hand hands over nothing: the
  // engineer calls the event up at the panel.
  std::string show();
  bool next() { return plan_.advance(); }
  bool back() { return plan_.back(); }
  bool go_to(int row) { return plan_.move_to(row); }
  // Hands over the frame without events; empty or why not, as show().
  std::string finish();

  std::string finished_text() const { return walk_finished_text(plan_.count()); }
  std::string stopped_text() const { return walk_stopped_text(plan_.position(), plan_.count()); }
  std::string failed_text(const std::string& cause) const {
    return walk_failed_text(plan_.position(), plan_.count(), cause);
  }

 private:
  std::string hand_over(int row);

  USB_protocol& protocol_;
  WalkPlan& plan_;
  int unit_;
};
