// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commissioning/bus_frame.h"
#include "commissioning/bus_log.h"
#include "commissioning/bus_tracker.h"
#include "commissioning/combined_events.h"
#include "config/test_payload.h"

namespace {

using std::chrono::milliseconds;

BusEvents events(std::initializer_list<int> rows) {
  BusEvents set;
  for (int row : rows) set.set(row);
  return set;
}

std::optional<BusUnitState> decode(const std::vector<std::uint8_t>& frame) {
  return decode_bus_frame(frame.data(), frame.size());
}

std::vector<std::uint8_t> frame_of(const TestPayload& payload) { return {payload.begin(), payload.end()}; }

TEST(BusFrame, EveryRowsTestFrameDecodesToThatRowAlone) {
  for (int row = 0; row < ConfigMatrix::kRows; ++row) {
    const auto state = decode(frame_of(build_test_payload(row, 3)));
    ASSERT_TRUE(state) << row;
    EXPECT_EQ(state->unit, 3);
    EXPECT_EQ(state->events, is_address_row(row) ? events({row}) : BusEvents{}) << row;
  }
}

TEST(BusFrame, StatesAndOtherFrames) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, std::uint8_t>> bytes;  // set over the frame of no events
    std::size_t length;
    std::optional<BusEvents> expected;
  };
  const Case cases[] = {
      {"value 2 is Alarm II", {{4, 0x20}}, 46, events({5 + 3 * 6 + 1})},
      {"alarm and fault of one address", {{4, 0x0C}, {28, 0x20}}, 46, events({5 + 3 * 5 + 1, 5 + 3 * 5 + 2})},
      {"whole byte of Alarm I", {{3, 0x55}}, 46, events({5, 8, 11, 14})},
      {"fault bits past address 99 are not events", {{40, 0xF0}}, 46, BusEvents{}},
      {"bytes 41-45 are not read", {{41, 0xFF}, {45, 0xFF}}, 46, BusEvents{}},
      {"45 bytes", {}, 45, std::nullopt},
      {"47 bytes", {}, 47, std::nullopt},
      {"empty", {}, 0, std::nullopt},
      {"other first byte", {{0, 0xFE}}, 46, std::nullopt},
      {"other second byte", {{1, 0x41}}, 46, std::nullopt},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> frame = frame_of(build_test_payload(0, 0));
    frame.resize(c.length + 1 > frame.size() ? c.length + 1 : frame.size());
    for (auto [index, value] : c.bytes) frame[index] = value;
    const auto state = decode_bus_frame(frame.data(), c.length);
    ASSERT_EQ(state.has_value(), c.expected.has_value()) << c.what;
    if (state) {
      EXPECT_EQ(state->events, *c.expected) << c.what;
    }
  }
}

TEST(BusTracker, ChangesOfEachKind) {
  struct Step {
    int unit;
    BusEvents events;
    std::vector<BusChange> changes;  // at time 0
  };
  struct Case {
    const char* what;
    std::vector<Step> steps;
  };
  const int alarm1 = 26, alarm2 = 27, fault = 28;  // address 7
  const Case cases[] = {
      {"a unit's first frame begins what it holds",
       {{0, events({alarm1, fault}), {{{}, 0, alarm1, true}, {{}, 0, fault, true}}}}},
      {"a quiet first frame changes nothing", {{0, {}, {}}}},
      {"the same state again changes nothing", {{0, events({alarm1}), {{{}, 0, alarm1, true}}}, {0, events({alarm1}), {}}}},
      {"a frame without the event ends it", {{0, events({alarm1}), {{{}, 0, alarm1, true}}}, {0, {}, {{{}, 0, alarm1, false}}}}},
      {"Alarm I rising to Alarm II: the end comes first",
       {{0, events({alarm1}), {{{}, 0, alarm1, true}}},
        {0, events({alarm2}), {{{}, 0, alarm1, false}, {{}, 0, alarm2, true}}}}},
      {"units are apart",
       {{0, events({alarm1}), {{{}, 0, alarm1, true}}},
        {5, events({alarm1}), {{{}, 5, alarm1, true}}},
        {5, {}, {{{}, 5, alarm1, false}}}}},
  };
  for (const Case& c : cases) {
    BusTracker tracker;
    for (const Step& step : c.steps) {
      EXPECT_EQ(tracker.update({static_cast<std::uint8_t>(step.unit), step.events}, milliseconds(0)), step.changes)
          << c.what;
    }
  }
}

TEST(BusTracker, ActiveEventsKeepTheirStartAndTheLastBegunIsKnown) {
  BusTracker tracker;
  EXPECT_FALSE(tracker.last_begun());
  tracker.update({2, events({26})}, milliseconds(1000));
  tracker.update({0, events({100, 8})}, milliseconds(2000));
  tracker.update({2, events({26, 9})}, milliseconds(3000));

  std::vector<std::tuple<int, int, long long>> active;
  for (const ActiveBusEvent& e : tracker.active()) active.emplace_back(e.unit, e.row, e.since.count());
  const std::vector<std::tuple<int, int, long long>> expected{
      {0, 8, 2000}, {0, 100, 2000}, {2, 9, 3000}, {2, 26, 1000}};
  EXPECT_EQ(active, expected);
  EXPECT_EQ(tracker.last_begun()->row, 9);

  tracker.update({2, events({26})}, milliseconds(4000));
  EXPECT_EQ(tracker.last_begun()->row, 100);  // of the two begun together, the later row
  tracker.update({0, {}}, milliseconds(5000));
  tracker.update({2, {}}, milliseconds(5000));
  EXPECT_TRUE(tracker.active().empty());
  EXPECT_FALSE(tracker.last_begun());

  // The same event active on two units: it ends on each apart.
  tracker.update({0, events({26})}, milliseconds(6000));
  tracker.update({2, events({26})}, milliseconds(7000));
  tracker.update({0, {}}, milliseconds(8000));
  ASSERT_EQ(tracker.active().size(), 1u);
  EXPECT_EQ(tracker.active()[0], (ActiveBusEvent{2, 26, milliseconds(7000), tracker.active()[0].began_order}));
  EXPECT_EQ(tracker.last_begun()->unit, 2);
}

// What the board lights for the events active at once: each lamp at the
// strongest mode any of them gives it; the frame without events for none.
TEST(CombinedEvents, EachLampAtTheStrongestModeAnyActiveEventGivesIt) {
  const auto lamps = [](std::uint8_t lamp_4, std::uint8_t lamp_9) {
    LampModes modes{};
    modes[3] = lamp_4;
    modes[8] = lamp_9;
    return modes;
  };
  LampModes not_available;
  not_available.fill(LED_NOT_AVAILABLE);
  const std::pair<std::vector<LampModes>, LampModes> cases[] = {
      {{}, lamps(LED_OFF, LED_OFF)},
      {{lamps(LED_SLOW_BLINK, LED_FAST_BLINK), lamps(LED_STEADY, LED_SLOW_BLINK)}, lamps(LED_STEADY, LED_FAST_BLINK)},
      {{lamps(LED_STEADY, LED_OFF), lamps(LED_FAST_BLINK, LED_SLOW_BLINK)}, lamps(LED_STEADY, LED_SLOW_BLINK)},
      {{not_available, lamps(LED_OFF, LED_SLOW_BLINK)}, lamps(LED_OFF, LED_SLOW_BLINK)},
      {{not_available}, not_available},
  };
  for (const auto& [events, lit] : cases) EXPECT_EQ(combined_modes(events), lit) << events.size();
  EXPECT_EQ(combined_event_rows({}), std::vector<int>{kFrameWithoutEventsRow});
  EXPECT_EQ(combined_event_rows({{0, 14}, {1, 43}, {2, 14}}), (std::vector<int>{14, 43}));
}

TEST(BusLog, LinesOfTheWindowAndTheCommandLine) {
  const milliseconds at(((14 * 60 + 3) * 60 + 7) * 1000 + 250);
  struct Case {
    BusLogEntry entry;
    std::string line, tab_line;
  };
  const Case cases[] = {
      {BusChange{at, 0, 26, true}, "14:03:07.250  centrala 0  adr 7. Alarm I  początek",
       "14:03:07.250\tcentrala 0\t26\tadr 7. Alarm I\tpoczątek"},
      {BusChange{milliseconds(5), 255, 304, false}, "00:00:00.005  centrala 255  adr 99. Awaria  koniec",
       "00:00:00.005\tcentrala 255\t304\tadr 99. Awaria\tkoniec"},
      {OtherBusFrame{at, 12}, "14:03:07.250  inna ramka (12 B)", "14:03:07.250\tinna ramka (12 B)"},
      {dropped_frames_note(at, 7), "14:03:07.250  opuszczono 7 ramek", "14:03:07.250\topuszczono 7 ramek"},
      {start_state_note(at, 10, {{0, 26, {}, 1, true}, {2, 43, {}, 2, true}}),
       "14:03:07.250  stan na starcie z 10 ramek z kolejki modułu; aktywne: centrala 0 adr 7. Alarm I, "
       "centrala 2 adr 12. Awaria",
       "14:03:07.250\tstan na starcie z 10 ramek z kolejki modułu; aktywne: centrala 0 adr 7. Alarm I, "
       "centrala 2 adr 12. Awaria"},
      {start_state_note(at, 1, {}), "14:03:07.250  stan na starcie z 1 ramki z kolejki modułu; aktywne: brak",
       "14:03:07.250\tstan na starcie z 1 ramki z kolejki modułu; aktywne: brak"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(bus_log_line(c.entry), c.line);
    EXPECT_EQ(bus_log_tab_line(c.entry), c.tab_line);
  }
  EXPECT_EQ(bus_clock_text(milliseconds(86'399'999)), "23:59:59.999");
  EXPECT_EQ(dropped_frames_label(3), "Opuszczone ramki: 3");
  const std::uint8_t raw[] = {0xFF, 0x40, 0x0A};
  EXPECT_EQ(raw_frame_tab_line(at, raw, 3), "14:03:07.250\tFF 40 0A");
}

TEST(BusLog, CsvTableHoldsEveryEntry) {
  const std::vector<BusLogEntry> entries{BusChange{milliseconds(1500), 0, 26, true},
                                         OtherBusFrame{milliseconds(1600), 12},
                                         BusChange{milliseconds(61'000), 4, 28, false},
                                         dropped_frames_note(milliseconds(62'000), 2),
                                         start_state_note(milliseconds(63'000), 1, {})};
  EXPECT_EQ(bus_log_csv(entries),
            "\xEF\xBB\xBF"
            "czas;centrala;wiersz;zdarzenie;zmiana\r\n"
            "00:00:01.500;0;26;adr 7. Alarm I;początek\r\n"
            "00:00:01.600;;;inna ramka (12 B);\r\n"
            "00:01:01.000;4;28;adr 7. Awaria;koniec\r\n"
            "00:01:02.000;;;opuszczono 2 ramek;\r\n"
            "00:01:03.000;;;\"stan na starcie z 1 ramki z kolejki modułu; aktywne: brak\";\r\n");
}

TEST(BusLog, TimeOfDayIsTheLocalClock) {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const std::tm local = *std::localtime(&seconds);
  const milliseconds time = time_of_day(now);
  EXPECT_EQ(time.count() / 1000, (local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec);
  EXPECT_LT(time.count(), 86'400'000);
}

}  // namespace

#include "commissioning/bus_monitor.h"
#include "protocol/console_log.h"
#include "scripted_module.h"

namespace {

UsbFrame please_answer(std::vector<std::uint8_t> frame, std::uint8_t dropped = 0) {
  UsbFrame reply{};
  reply[0] = RS485_PLEASE_USB_FRAME;
  reply[1] = static_cast<std::uint8_t>(frame.size());
  reply[2] = dropped;
  std::copy(frame.begin(), frame.end(), reply.begin() + 4);
  return reply;
}

TEST(BusMonitor, PollsDecodeTrackAndCount) {
  std::vector<UsbFrame> replies{please_answer({}),
                                please_answer(frame_of(build_test_payload(26, 0))),
                                please_answer(std::vector<std::uint8_t>(12, 0xAB), 3),
                                please_answer(frame_of(build_test_payload(0, 0))),
                                please_answer({}, 2)};
  ScriptedModule module{replies, {}};
  USB_protocol protocol(module.exchange());
  BusMonitor monitor;
  console_log().clear();

  BusPoll poll = monitor.poll(protocol, milliseconds(10));
  EXPECT_FALSE(poll.brought_something());
  EXPECT_TRUE(console_log().lines().empty());

  poll = monitor.poll(protocol, milliseconds(20));
  EXPECT_EQ(poll.frame, frame_of(build_test_payload(26, 0)));
  EXPECT_EQ(poll.new_entries, (std::vector<BusLogEntry>{BusChange{milliseconds(20), 0, 26, true}}));
  EXPECT_EQ(console_log().size(), 2u);

  poll = monitor.poll(protocol, milliseconds(30));
  EXPECT_EQ(poll.dropped, 3u);
  EXPECT_EQ(poll.new_entries,
            (std::vector<BusLogEntry>{dropped_frames_note(milliseconds(30), 3), OtherBusFrame{milliseconds(30), 12}}));

  monitor.poll(protocol, milliseconds(40));
  poll = monitor.poll(protocol, milliseconds(50));
  EXPECT_TRUE(poll.brought_something());
  EXPECT_EQ(poll.new_entries, (std::vector<BusLogEntry>{dropped_frames_note(milliseconds(50), 2)}));
  EXPECT_EQ(monitor.dropped_total(), 5u);
  EXPECT_TRUE(monitor.tracker().active().empty());
  EXPECT_EQ(monitor.entries(),
            (std::vector<BusLogEntry>{BusChange{milliseconds(20), 0, 26, true}, dropped_frames_note(milliseconds(30), 3),
                                      OtherBusFrame{milliseconds(30), 12}, BusChange{milliseconds(40), 0, 26, false},
                                      dropped_frames_note(milliseconds(50), 2)}));

  EXPECT_EQ(monitor.poll(protocol, milliseconds(60)).outcome, USB_protocol::Outcome::failed);
  EXPECT_EQ(monitor.entries().size(), 5u);
}

// What the module queued while nobody asked is the state at the start: ten
// frames flapping one event give one entry and an active event from before
// the start; changes count from there on, and the end of the run empties
// the active events.
TEST(BusMonitor, StartTakesTheQueuedFramesAsTheStartingState) {
  const std::vector<std::uint8_t> alarm = frame_of(build_test_payload(26, 0));
  const std::vector<std::uint8_t> quiet = frame_of(build_test_payload(0, 0));
  std::vector<UsbFrame> replies;
  for (int i = 0; i < 10; ++i) replies.push_back(please_answer(i % 2 == 0 ? quiet : alarm, i == 0 ? 4 : 0));
  replies.push_back(please_answer(frame_of(build_test_payload(44, 1))));
  replies.push_back(please_answer({}));
  replies.push_back(please_answer(quiet));
  replies.push_back(please_answer({}));
  ScriptedModule module{replies, {}};
  USB_protocol protocol(module.exchange());
  BusMonitor monitor;
  monitor.begin_run();
  std::vector<BusLogEntry> seen;
  const auto clock = [] { return milliseconds(70); };
  const auto collect = [&](const BusPoll& poll) {
    seen.insert(seen.end(), poll.new_entries.begin(), poll.new_entries.end());
  };
  EXPECT_EQ(monitor.drain(protocol, clock, collect), USB_protocol::Outcome::accepted);
  EXPECT_EQ(seen, (std::vector<BusLogEntry>{
                      dropped_frames_note(milliseconds(70), 4),
                      BusNote{milliseconds(70), "stan na starcie z 11 ramek z kolejki modułu; aktywne: centrala 0 adr "
                                                "7. Alarm I, centrala 1 adr 13. Alarm I"}}));
  ASSERT_EQ(monitor.tracker().active().size(), 2u);
  EXPECT_TRUE(monitor.tracker().active()[0].before_start);
  EXPECT_EQ(monitor.tracker().active()[0].row, 26);

  seen.clear();
  monitor.drain(protocol, clock, collect);
  EXPECT_EQ(seen, (std::vector<BusLogEntry>{BusChange{milliseconds(70), 0, 26, false}}));

  const BusLogEntry end = monitor.end_run(milliseconds(80), kBusMonitorStopped);
  EXPECT_EQ(end, (BusLogEntry{BusNote{milliseconds(80), kBusMonitorStopped}}));
  EXPECT_TRUE(monitor.tracker().active().empty());
  EXPECT_EQ(monitor.entries().back(), end);
}

// Frames that change nothing: the first of a run is logged, the rest only
// counted on the line after it; a change logs as always.
TEST(BusMonitor, FramesThatChangeNothingAreLoggedOnceInARow) {
  const std::vector<std::uint8_t> alarm = frame_of(build_test_payload(26, 0));
  std::vector<UsbFrame> replies{please_answer(alarm), please_answer(alarm), please_answer({}),
                                please_answer(alarm), please_answer(alarm), please_answer(frame_of(build_test_payload(0, 0))),
                                please_answer(frame_of(build_test_payload(0, 0)))};
  ScriptedModule module{replies, {}};
  USB_protocol protocol(module.exchange());
  BusMonitor monitor;
  console_log().clear();
  const struct {
    std::size_t console_size;
    std::string last_line;
  } after[] = {{2, "  -->\tRS485_PLEASE_USB_FRAME"}, {4, "  -->\tRS485_PLEASE_USB_FRAME"},
               {4, "  -->\tRS485_PLEASE_USB_FRAME"}, {5, "(powt\xF3rzona 1 raz)"},
               {5, "(powt\xF3rzona 2 razy)"},          {7, "  -->\tRS485_PLEASE_USB_FRAME"},
               {9, "  -->\tRS485_PLEASE_USB_FRAME"}};
  for (std::size_t i = 0; i < std::size(after); ++i) {
    monitor.poll(protocol, milliseconds(10));
    EXPECT_EQ(console_log().size(), after[i].console_size) << i;
    EXPECT_EQ(console_log().lines().back().substr(0, after[i].last_line.size()), after[i].last_line) << i;
  }
}

TEST(BusMonitor, KeepsABoundedListAndSaysHowManyWent) {
  std::vector<UsbFrame> replies;
  for (int i = 0; i < 40; ++i) replies.push_back(please_answer(std::vector<std::uint8_t>(3, 0xAB)));
  ScriptedModule module{replies, {}};
  USB_protocol protocol(module.exchange());
  BusMonitor monitor(10);
  for (int i = 0; i < 40; ++i) monitor.poll(protocol, milliseconds(i));
  ASSERT_LE(monitor.entries().size(), 12u);
  const auto* note = std::get_if<BusNote>(&monitor.entries().front());
  ASSERT_NE(note, nullptr);
  const std::size_t kept = monitor.entries().size() - 1;
  EXPECT_EQ(note->text, "pominięto najstarsze wpisy: " + std::to_string(40 - kept));
  EXPECT_EQ(monitor.entries().back(), (BusLogEntry{OtherBusFrame{milliseconds(39), 3}}));
  EXPECT_EQ(monitor.entries()[1], (BusLogEntry{OtherBusFrame{milliseconds(static_cast<long>(40 - kept)), 3}}));
}

}  // namespace
