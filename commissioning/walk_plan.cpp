// SPDX-License-Identifier: MIT
#include "commissioning/walk_plan.h"

#include <algorithm>

#include "config/config_matrix.h"
#include "commissioning/walk_record.h"
#include "config/test_payload.h"
#include "text/counted.h"

namespace {

std::string events_text(int count) {
  return counted(static_cast<std::uint64_t>(count), "zdarzenie", "zdarzenia", "zdarzeń");
}

std::string progress_text(int shown, int count) { return std::to_string(shown) + " z " + std::to_string(count); }

// "12 z 300 – adr 2. Alarm II": where the walk stands.
std::string where_text(const WalkPlan& plan) {
  return progress_text(plan.position(), plan.count()) + " – " + row_label(plan.current_row());
}

}  // namespace

WalkPlan::WalkPlan(int first, int last, const std::vector<int>& by_hand) {
  const int low = std::clamp(std::min(first, last), 0, ConfigMatrix::kRows - 1);
  const int high = std::clamp(std::max(first, last), 0, ConfigMatrix::kRows - 1);
  for (int row = low; row <= high; ++row) add(row, is_bus_callable_row(row));
  for (int row : by_hand) add(row, is_by_hand_row(row));
}

WalkPlan::WalkPlan(const std::vector<int>& rows) {
  for (int row : rows) add(row, is_bus_callable_row(row) || is_by_hand_row(row));
}

void WalkPlan::add(int row, bool fits) {
  if (fits && std::find(rows_.begin(), rows_.end(), row) == rows_.end()) rows_.push_back(row);
}

int WalkPlan::current_row() const { return rows_.empty() ? -1 : rows_[static_cast<std::size_t>(index_)]; }

bool WalkPlan::advance() {
  if (index_ + 1 >= count()) return false;
  ++index_;
  return true;
}

bool WalkPlan::back() {
  if (index_ == 0) return false;
  --index_;
  return true;
}

bool WalkPlan::move_to(int row) {
  const auto found = std::find(rows_.begin(), rows_.end(), row);
  if (found == rows_.end()) return false;
  index_ = static_cast<int>(found - rows_.begin());
  return true;
}

std::string walk_status_text(const WalkPlan& plan) { return "Test po kolei: " + where_text(plan); }

std::string walk_paused_text(const WalkPlan& plan) { return "Test po kolei wstrzymany: " + where_text(plan); }

std::string walk_finished_text(int count) { return "Test po kolei zakończony (" + events_text(count) + ")."; }

std::string walk_stopped_text(int shown, int count) {
  return "Test po kolei zatrzymany (" + progress_text(shown, count) + ").";
}

std::string walk_failed_text(int shown, int count, const std::string& cause) {
  return "Test po kolei przerwany (" + progress_text(shown, count) + "): " + cause;
}
