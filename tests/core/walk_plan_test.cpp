// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>

#include "commissioning/walk_plan.h"
#include "commissioning/walk_sequence.h"
#include "config/test_payload.h"
#include "protocol/usb_protocol.h"
#include "scripted_module.h"

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

  // Steps checked by hand come after the range, each once; no other row is one.
  struct HandCase {
    std::vector<int> by_hand;
    std::vector<int> rows;
  };
  const HandCase hand_cases[] = {
      {{1, 2, 3}, {5, 6, 1, 2, 3}},
      {{3, 1, 3}, {5, 6, 3, 1}},
      {{0, 4, 5, 7, -1}, {5, 6}},
  };
  for (const HandCase& c : hand_cases) EXPECT_EQ(WalkPlan(5, 6, c.by_hand).rows(), c.rows);
  EXPECT_EQ(WalkPlan(1, 4, {2}).rows(), std::vector<int>{2});
  // A record's plan keeps its order and its steps by hand, never row 4 or a row outside the matrix.
  EXPECT_EQ(WalkPlan(std::vector<int>{9, 3, 4, 5, 305, 1, 9, -2, 0}).rows(), (std::vector<int>{9, 3, 5, 1, 0}));
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
  // Straight to a row of the plan (a line of the record chosen); elsewhere it stays.
  EXPECT_TRUE(plan.move_to(6));
  EXPECT_EQ(plan.position(), 3);
  EXPECT_FALSE(plan.move_to(7));
  EXPECT_TRUE(plan.move_to(0));
  EXPECT_EQ(plan.position(), 1);
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

// The bus frame the module's last request carried.
TestPayload handed_over(const ScriptedModule& module) {
  TestPayload payload{};
  std::copy_n(module.requests.back().begin() + 4, payload.size(), payload.begin());
  return payload;
}

UsbFrame reply(std::uint8_t code) {
  UsbFrame frame{};
  frame[0] = code;
  if (code == 0) frame[1] = RS485_GIFT_USB_FRAME;  // a refusal names the refused command
  return frame;
}

TEST(WalkSequence, HandsOverEachRowAndTheFrameWithoutEventsOrNamesTheCause) {
  const UsbFrame taken = reply(RS485_GIFT_USB_FRAME), refused = reply(0);
  ScriptedModule module{{taken, taken, taken, taken, refused}, {}};
  USB_protocol protocol(module.exchange());
  WalkPlan plan(5, 7);
  WalkSequence walk(protocol, plan, 3);

  EXPECT_EQ(walk.show(), "");
  EXPECT_EQ(handed_over(module), build_test_payload(5, 3));
  ASSERT_TRUE(walk.next());
  EXPECT_EQ(walk.show(), "");
  EXPECT_EQ(handed_over(module), build_test_payload(6, 3));
  ASSERT_TRUE(walk.back());
  EXPECT_FALSE(walk.back());
  EXPECT_EQ(walk.stopped_text(), "Test po kolei zatrzymany (1 z 3).");
  EXPECT_EQ(walk.finish(), "");
  EXPECT_EQ(handed_over(module), build_test_payload(kFrameWithoutEventsRow, 3));
  EXPECT_TRUE(walk.next() && walk.next());
  EXPECT_FALSE(walk.next());
  EXPECT_EQ(walk.finished_text(), "Test po kolei zakończony (3 zdarzenia).");
  EXPECT_EQ(walk.show(), "");

  // The module refuses the frame without events, then falls silent.
  const std::string refusal = walk.finish();
  EXPECT_TRUE(refusal.starts_with("moduł nie przyjął polecenia")) << refusal;
  const std::string silence = walk.show();
  EXPECT_TRUE(silence.starts_with("moduł nie odpowiedział na polecenie")) << silence;
  EXPECT_EQ(walk.failed_text(silence), "Test po kolei przerwany (3 z 3): " + silence);
  EXPECT_EQ(module.requests.size(), 6u);

  // A step checked by hand hands the module nothing: the engineer calls it up at the panel.
  WalkPlan by_hand(7, 7, {1, 3});
  WalkSequence steps(protocol, by_hand, 3);
  ASSERT_TRUE(steps.go_to(1));
  EXPECT_EQ(steps.show(), "");
  ASSERT_TRUE(steps.next());
  EXPECT_EQ(steps.show(), "");
  EXPECT_EQ(module.requests.size(), 6u);
}

}  // namespace
