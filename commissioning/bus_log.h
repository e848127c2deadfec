// SPDX-License-Identifier: MIT
#pragma once
// The bus monitor's list of changes and its texts: the window's lines, the
// command line's tab-separated lines and the saved CSV log. All UTF-8.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "commissioning/bus_tracker.h"
#include "config/durable_save.h"
#include "config/project_names.h"

// A frame that is not a control unit's state: counted and shown, never decoded.
struct OtherBusFrame {
  BusClockTime time{};
  std::size_t length = 0;
  friend bool operator==(const OtherBusFrame&, const OtherBusFrame&) = default;
};

// A line of the monitor's own: the module's report of dropped frames, the
// state a run began with, the end of a run, the oldest entries left out.
struct BusNote {
  BusClockTime time{};
  std::string text;
  friend bool operator==(const BusNote&, const BusNote&) = default;
};

using BusLogEntry = std::variant<BusChange, OtherBusFrame, BusNote>;

// "opuszczono 3 ramek", one report of the module.
BusNote dropped_frames_note(BusClockTime time, unsigned dropped);
// "stan na starcie z 10 ramek z kolejki modułu; aktywne: centrala 0 adr 7. Alarm I":
// the frames the module had queued before the run, taken as its starting state.
BusNote start_state_note(BusClockTime time, std::size_t frames, const std::vector<ActiveBusEvent>& active);
// "pominięto najstarsze wpisy: 1000", the first entry of a list that had to drop them.
BusNote skipped_entries_note(BusClockTime time, std::uint64_t skipped);
// "Od" of an event active since before the run began.
inline constexpr const char* kBeforeStart = "przed startem";

// The local time of day of a moment of the system clock.
BusClockTime time_of_day(std::chrono::system_clock::time_point moment);

// "14:03:07.250"
std::string bus_clock_text(BusClockTime time);

// "14:03:07.250  centrala 0  adr 7. Alarm I  początek", "14:03:07.250  inna ramka (12 B)";
// with `names`, a named address follows its label: "adr 7. Alarm I (Kotłownia)".
std::string bus_log_line(const BusLogEntry& entry, const ProjectNames* names = nullptr);
// The same, tab-separated, with the row between the unit and the label:
// "14:03:07.250\tcentrala 0\t26\tadr 7. Alarm I\tpoczątek"
std::string bus_log_tab_line(const BusLogEntry& entry);
// A change's time, unit, row and event, as those lines begin:
// "14:03:07.250\tcentrala 0\t26\tadr 7. Alarm I"
std::string bus_event_tab_fields(const BusChange& change);

// "Opuszczone ramki: 3", the sum of the drops the module reported.
std::string dropped_frames_label(std::uint64_t total);
// "14:03:07.250\tFF 40 00 ...", a received frame as it came.
std::string raw_frame_tab_line(BusClockTime time, const std::uint8_t* data, std::size_t length);

// The list as a spreadsheet table: UTF-8 with a byte order mark, ';' between
// fields, CR LF line ends, the header "czas;centrala;wiersz;zdarzenie;zmiana".
// Another kind of frame has no unit or row; its text stands for the event.
std::string bus_log_csv(const std::vector<BusLogEntry>& entries);
// Its first line, with the byte order mark, and one entry's line; both end in CR LF.
std::string bus_log_csv_header();
std::string bus_log_csv_row(const BusLogEntry& entry);
FileResult save_bus_log_csv(const std::filesystem::path& path, const std::vector<BusLogEntry>& entries);
