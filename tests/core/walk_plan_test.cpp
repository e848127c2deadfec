#include <gtest/gtest.h>

#include "commissioning/walk_plan.h"

namespace {

TEST(WalkPlan, RowsSkipOneToFourAndKeepTheFrameWithoutEvents) {
  struct Case {
    int first, last;
    std::vector<int> rows;
  };
  const Case cases[] = {
      {4, 9, {5, 6, 7, 8, 9}},
      {0, 6, {0, 5, 6}},
      {9, 4, {5, 6, 7, 8, 9}},  // either way round
      {1, 4, {}},
      {302, 400, {302, 303, 304}},  // clamped to the matrix
      {-3, 0, {0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.first << "-" << c.last);
    const WalkPlan plan(c.first, c.last);
    EXPECT_EQ(plan.rows(), c.rows);
    EXPECT_EQ(plan.count(), static_cast<int>(c.rows.size()));
    EXPECT_EQ(plan.current_row(), c.rows.empty() ? -1 : c.rows.front());
  }
  EXPECT_EQ(WalkPlan(5, 304).count(), 300);
}

TEST(WalkPlan, StepsForwardAndBackWithinItsRows) {
  WalkPlan plan(0, 6);
  EXPECT_FALSE(plan.back());
  EXPECT_EQ(plan.position(), 1);
  EXPECT_TRUE(plan.advance());
  EXPECT_EQ(plan.current_row(), 5);
  EXPECT_TRUE(plan.advance());
  EXPECT_FALSE(plan.advance());
  EXPECT_EQ(plan.current_row(), 6);
  EXPECT_EQ(plan.position(), 3);
  EXPECT_TRUE(plan.back());
  EXPECT_EQ(plan.current_row(), 5);
  EXPECT_EQ(plan.position(), 2);
}

TEST(WalkPlan, StatusTexts) {
  WalkPlan plan(5, 304);
  for (int i = 0; i < 11; ++i) plan.advance();
  EXPECT_EQ(walk_status_text(plan), "Test po kolei: 12 z 300 – adr 3. Awaria");
  EXPECT_EQ(walk_paused_text(plan), "Test po kolei wstrzymany: 12 z 300 – adr 3. Awaria");
  EXPECT_EQ(walk_stopped_text(12, 300), "Test po kolei zatrzymany (12 z 300).");
  EXPECT_EQ(walk_failed_text(3, 5, "moduł nie odpowiedział"), "Test po kolei przerwany (3 z 5): moduł nie odpowiedział");
  const std::pair<int, const char*> finished[] = {
      {300, "Test po kolei zakończony (300 zdarzeń)."}, {1, "Test po kolei zakończony (1 zdarzenie)."},
      {3, "Test po kolei zakończony (3 zdarzenia)."},   {13, "Test po kolei zakończony (13 zdarzeń)."},
      {22, "Test po kolei zakończony (22 zdarzenia)."}, {112, "Test po kolei zakończony (112 zdarzeń)."},
  };
  for (const auto& [count, text] : finished) EXPECT_EQ(walk_finished_text(count), text);
}

}  // namespace
