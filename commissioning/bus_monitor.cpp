// SPDX-License-Identifier: MIT
#include "commissioning/bus_monitor.h"

#include "commissioning/bus_frame.h"
#include "protocol/bounded_list.h"
#include "protocol/console_log.h"

void BusMonitor::begin_run() {
  tracker_ = {};
  backlog_ = true;
  backlog_frames_ = 0;
  start_states_.clear();
  repeating_ = false;
}

bool BusMonitor::worth_logging(const std::optional<BusUnitState>& state, std::uint8_t dropped) {
  bool changes = dropped > 0;
  if (state) {
    changes = changes || (!backlog_ && tracker_.would_change(*state));
  } else {
    changes = true;  // another kind of frame is an entry of its own
  }
  if (changes || !repeating_) {
    repeating_ = !changes;
    return true;
  }
  return false;
}

BusPoll BusMonitor::poll(USB_protocol& protocol, BusClockTime now) {
  BusPoll result;
  result.time = now;
  std::uint8_t length = 0;
  std::uint8_t dropped = 0;
  bool logged = true;
  // The frame is decoded once, when the protocol asks whether to log it.
  std::optional<BusUnitState> state;
  bool decoded = false;
  result.outcome = protocol.Poll_RS485_frame(
      length, dropped, [&](const std::uint8_t* frame, std::uint8_t frame_length, std::uint8_t frame_dropped) {
        state = decode_bus_frame(frame, frame_length);
        decoded = true;
        return logged = worth_logging(state, frame_dropped);
      });
  if (result.outcome != USB_protocol::Outcome::accepted) return result;
  if (!logged) console_log().count_repeat();

  result.dropped = dropped;
  dropped_total_ += dropped;
  if (dropped > 0) result.new_entries.emplace_back(dropped_frames_note(now, dropped));
  if (length > 0) {
    const std::uint8_t* data = protocol.last_response().data() + 4;
    result.frame.assign(data, data + length);
    if (!decoded) state = decode_bus_frame(data, length);
    if (backlog_) {
      if (state) start_states_[state->unit] = *state;
      if (++backlog_frames_ >= kMostBacklogFrames) finish_backlog(result);
    } else if (state) {
      for (const BusChange& change : tracker_.update(*state, now)) result.new_entries.emplace_back(change);
    } else {
      result.new_entries.emplace_back(OtherBusFrame{now, length});
    }
  } else if (backlog_) {
    finish_backlog(result);
  }
  record(result.new_entries);
  return result;
}

// What the module had queued before the run is its starting state.
void BusMonitor::finish_backlog(BusPoll& poll) {
  backlog_ = false;
  for (const auto& [unit, state] : start_states_) tracker_.take_start_state(state);
  if (backlog_frames_ > 0)
    poll.new_entries.emplace_back(start_state_note(poll.time, backlog_frames_, tracker_.active()));
}

USB_protocol::Outcome BusMonitor::drain(USB_protocol& protocol, const std::function<BusClockTime()>& clock,
                                        const std::function<void(const BusPoll&)>& seen) {
  for (int poll_number = 0; poll_number < kMostPollsPerDrain; ++poll_number) {
    const BusPoll result = poll(protocol, clock());
    seen(result);
    if (result.outcome != USB_protocol::Outcome::accepted || result.frame.empty()) return result.outcome;
  }
  return USB_protocol::Outcome::accepted;
}

BusLogEntry BusMonitor::end_run(BusClockTime now, std::string text) {
  tracker_ = {};
  backlog_ = false;
  const BusLogEntry entry = BusNote{now, std::move(text)};
  record({entry});
  return entry;
}

void BusMonitor::record(const std::vector<BusLogEntry>& entries) {
  entries_.insert(entries_.end(), entries.begin(), entries.end());
  drop_oldest_tenth(entries_, entry_limit_, skipped_entries_, [](const BusLogEntry& last, std::uint64_t skipped) {
    return BusLogEntry(skipped_entries_note(std::visit([](const auto& e) { return e.time; }, last), skipped));
  });
}

const char* bus_monitor_stop_text(USB_protocol::Outcome outcome) {
  switch (outcome) {
    case USB_protocol::Outcome::accepted: return kBusMonitorStopped;
    case USB_protocol::Outcome::refused:
      return "Monitor magistrali zatrzymany: moduł odrzucił polecenie RS485_please_frame!";
    case USB_protocol::Outcome::invalid:
      return "Monitor magistrali zatrzymany: moduł odpowiedział nieprawidłową ramką!";
    case USB_protocol::Outcome::failed:
      return "Monitor magistrali zatrzymany: moduł nie odpowiada albo został odłączony!";
  }
  return kBusMonitorStopped;
}
