// SPDX-License-Identifier: MIT
#pragma once
// The walk test's plan: the event rows it hands the module one after the
// other, and where it stands. Row 0 ("Brak zdarzeń") is the frame without
// events. No bus frame calls up rows 1-4: row 4 is never in the plan, rows
// 1-3 only as steps checked by hand (is_by_hand_row()), which the walk
// hands the module nothing for; they come after the walked range.
//
// The texts of its status line, shared by the window and zel17-cli, are here
// too, since they count the plan's rows.

#include <string>
#include <vector>

class WalkPlan {
 public:
  // The rows from `first` to `last` (either way round, clamped to the matrix),
  // ascending, without rows 1-4; then the rows of `by_hand` that are checked
  // by hand, each once, in their order.
  WalkPlan(int first, int last, const std::vector<int>& by_hand = {});
  // These rows in this order, each once, without those neither a bus frame
  // calls up nor the engineer checks by hand (a record's plan, a second walk
  // over only some events).
  explicit WalkPlan(const std::vector<int>& rows);

  const std::vector<int>& rows() const { return rows_; }
  int count() const { return static_cast<int>(rows_.size()); }
  bool empty() const { return rows_.empty(); }

  // The row the walk stands at; -1 when the plan is empty.
  int current_row() const;
  // 1-based, as the status line counts: 12 in "12 z 300".
  int position() const { return index_ + 1; }
  // Moves on; false (staying put) at the last row.
  bool advance();
  // Moves back one row; false (staying put) at the first.
  bool back();
  // Moves to `row`; false (staying put) when it is not in the plan.
  bool move_to(int row);

 private:
  // Takes `row` unless it is in the plan already or `fits` refuses it.
  void add(int row, bool fits);

  std::vector<int> rows_;
  int index_ = 0;
};


// "Test po kolei: 12 z 300 – adr 2. Alarm II" (UTF-8)
std::string walk_status_text(const WalkPlan& plan);
// "Test po kolei wstrzymany: 3 z 6 – adr 2. Awaria" (UTF-8)
std::string walk_paused_text(const WalkPlan& plan);
// "Test po kolei zakończony (300 zdarzeń)."
std::string walk_finished_text(int count);
// "Test po kolei zatrzymany (12 z 300)."
std::string walk_stopped_text(int shown, int count);
// "Test po kolei przerwany (12 z 300): <cause>" – the module refused, fell
// silent or was unplugged.
std::string walk_failed_text(int shown, int count, const std::string& cause);
