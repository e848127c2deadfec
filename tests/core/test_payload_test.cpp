// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <map>

#include "config/test_payload.h"

namespace {

TEST(TestPayload, OneStateForTheRowsEvent) {
  struct Case {
    int row;
    std::map<int, int> state;  // byte -> value, beyond bytes 0 to 2
  };
  const Case cases[] = {
      {5, {{3, 0x01}}},     // address 0, Alarm I
      {6, {{3, 0x03}}},     // address 0, Alarm II
      {7, {{28, 0x01}}},    // address 0, Awaria
      {8, {{3, 0x04}}},     // address 1, Alarm I
      {257, {{24, 0x01}}},  // address 84, Alarm I
      {302, {{27, 0x40}}},  // address 99, Alarm I
      {303, {{27, 0xC0}}},  // address 99, Alarm II
      {304, {{40, 0x08}}},  // address 99, Awaria
      {0, {}},
      {3, {}},
      {4, {}},
      {305, {}},
      {-1, {}},
  };
  for (const Case& c : cases) {
    const TestPayload payload = build_test_payload(c.row, 0);
    EXPECT_EQ(payload[0], 0xFF) << c.row;
    EXPECT_EQ(payload[1], 0x40) << c.row;
    EXPECT_EQ(payload[2], 0x00) << c.row;
    for (int i = 3; i < kTestPayloadSize; ++i) {
      const auto found = c.state.find(i);
      EXPECT_EQ(payload[i], found == c.state.end() ? 0 : found->second) << "row " << c.row << " byte " << i;
    }
  }
}

TEST(TestPayload, ControlUnitNumberIsTakenModulo256) {
  EXPECT_EQ(build_test_payload(5, 17)[2], 17);
  EXPECT_EQ(build_test_payload(5, 300)[2], 44);
  EXPECT_EQ(build_test_payload(5, 300)[3], 0x01);
}

}  // namespace
