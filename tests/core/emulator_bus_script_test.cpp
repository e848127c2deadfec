// SPDX-License-Identifier: MIT
// The bus script the emulated module plays, and its player.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <thread>

#include "commissioning/bus_frame.h"
#include "commissioning/bus_tracker.h"
#include "commissioning/walk_record.h"
#include "config/configuration_source.h"
#include "config/test_payload.h"
#include "emulator/bus_player.h"
#include "emulator/bus_script.h"

namespace {

using std::chrono::milliseconds;
using Bytes = std::vector<std::uint8_t>;

Bytes unit_frame(int unit, std::initializer_list<int> rows) {
  const TestPayload quiet = build_test_payload(0, unit);
  Bytes frame(quiet.begin(), quiet.end());
  for (int row : rows) {
    const TestPayload one = build_test_payload(row, unit);
    for (std::size_t i = 3; i < frame.size(); ++i) frame[i] |= one[i];
  }
  return frame;
}

TEST(BusScript, FramesByLabelOrHexAtTheirTimes) {
  const ParsedBusScript parsed = parse_bus_script(
      "# demo\n"
      "0 0 adr 3. Alarm I\r\n"
      "\n"
      "  1500\t7   adr 7. Alarm II, adr 12. Awaria ,adr 0. Alarm I\n"
      "2000 0 -\n"
      "2000 raw FF 40 0a\n"
      "2500 raw\n"
      "9000 repeat\n"
      "# the end\n");
  ASSERT_TRUE(parsed.script) << parsed.error;
  const std::vector<BusScriptFrame> expected{
      {milliseconds(0), unit_frame(0, {14})},
      {milliseconds(1500), unit_frame(7, {27, 43, 5})},
      {milliseconds(2000), unit_frame(0, {})},
      {milliseconds(2000), {0xFF, 0x40, 0x0A}},
      {milliseconds(2500), {}},
  };
  ASSERT_EQ(parsed.script->frames.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(parsed.script->frames[i].at, expected[i].at) << i;
    EXPECT_EQ(parsed.script->frames[i].bytes, expected[i].bytes) << i;
  }
  EXPECT_EQ(parsed.script->repeat_after, milliseconds(9000));
  EXPECT_FALSE(parse_bus_script("0 1 -\n").script->repeat_after);
}

// The demo's bus against the demo project, as a field test takes it: some
// planned events begin, one is left unseen, and one event lights nothing.
TEST(BusScript, TheDemoBusSetsOffPlannedEventsAndOneTheDemoProjectLeavesDark) {
  std::ifstream in(ZEL_SOURCE_DIR "/scripts/demo-bus.txt", std::ios::binary);
  const ParsedBusScript parsed = parse_bus_script(std::string(std::istreambuf_iterator<char>(in), {}));
  ASSERT_TRUE(parsed.script) << parsed.error;
  Project demo;
  ASSERT_TRUE(load_configuration(ZEL_SOURCE_DIR "/scripts/demo.zelp", demo).ok);
  BusTracker tracker;
  std::set<int> planned, dark;
  for (const BusScriptFrame& frame : parsed.script->frames) {
    const std::optional<BusUnitState> state = decode_bus_frame(frame.bytes.data(), frame.bytes.size());
    ASSERT_TRUE(state);
    for (const BusChange& change : tracker.update(*state, frame.at)) {
      if (change.began) (row_lights_a_lamp(demo.matrix, change.row) ? planned : dark).insert(change.row);
    }
  }
  EXPECT_EQ(dark, std::set<int>{26});  // "adr 7. Alarm I"
  EXPECT_GE(planned.size(), 3u);
  EXPECT_LT(planned.size(), field_plan_rows(demo.matrix, 5, 304).size());
}

TEST(BusScript, MistakesNameTheirLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"x 0 -", "line 1: a time in milliseconds must come first"},
      {"-5 0 -", "line 1: a time in milliseconds must come first"},
      {"10 0 -\n5 0 -", "line 2: the time falls back"},
      {"0 256 -", "line 1: a control unit 0-255, \"raw\" or \"repeat\" must follow the time"},
      {"0 0", "line 1: the events, or \"-\" for none, must follow the unit"},
      {"0 0 adr 100. Alarm I", "line 1: unknown event \"adr 100. Alarm I\""},
      {"0 0 Brak zdarzeń", "line 1: unknown event \"Brak zdarzeń\""},
      {"0 raw FF 4", "line 1: \"4\" is not a byte in hex"},
      {"0 raw FF GG", "line 1: \"GG\" is not a byte in hex"},
      {"0 repeat", "line 1: a round must last some time"},
      {"5 repeat\n6 0 -", "line 2: nothing may follow \"repeat\""},
  };
  for (const auto& [text, error] : cases) {
    const ParsedBusScript parsed = parse_bus_script(text);
    EXPECT_FALSE(parsed.script) << text;
    EXPECT_EQ(parsed.error, error) << text;
  }
  std::string too_long = "0 raw";
  for (int i = 0; i < 61; ++i) too_long += " 00";
  EXPECT_EQ(parse_bus_script(too_long).error, "line 1: more than 60 bytes");
}

// The frames the module reports until it has `count` or a few seconds passed.
std::vector<Bytes> reported(ZelModule& module, std::size_t count) {
  std::vector<Bytes> frames;
  UsbFrame please{};
  please[0] = RS485_PLEASE_USB_FRAME;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (frames.size() < count && std::chrono::steady_clock::now() < deadline) {
    const UsbFrame reply = module.handle(please).value();
    if (reply[1] > 0) frames.emplace_back(reply.begin() + 4, reply.begin() + 4 + reply[1]);
    else std::this_thread::sleep_for(milliseconds(1));
  }
  return frames;
}

TEST(BusScript, PlayerQueuesEachFrameInOrderAndRepeatsTheRound) {
  ZelModule module;
  BusScript script;
  script.frames = {{milliseconds(0), {1}}, {milliseconds(5), {2}}};
  script.repeat_after = milliseconds(10);
  const BusScriptPlayer player(module, script);
  EXPECT_EQ(reported(module, 5), (std::vector<Bytes>{{1}, {2}, {1}, {2}, {1}}));
}

}  // namespace
