// SPDX-License-Identifier: MIT
#include "commissioning/bus_log.h"

#include <cstdio>
#include <ctime>

#include "config/config_csv.h"
#include "config/name_text.h"

namespace {

constexpr const char* kBegan = "początek";
constexpr const char* kEnded = "koniec";

std::string other_frame_text(const OtherBusFrame& frame) {
  return "inna ramka (" + std::to_string(frame.length) + " B)";
}

BusClockTime entry_time(const BusLogEntry& entry) {
  return std::visit([](const auto& e) { return e.time; }, entry);
}

// The fields of an entry: unit, row, event, change; empty where it has none.
struct Fields {
  std::string unit, row, event, change;
};

// `names`: the address's name follows the label; none without them.
Fields fields_of(const BusLogEntry& entry, const ProjectNames* names = nullptr) {
  if (const auto* change = std::get_if<BusChange>(&entry)) {
    std::string event = row_label(change->row);
    if (names) event = with_name(event, address_name_of_row(*names, change->row));
    return {std::to_string(change->unit), std::to_string(change->row), event, change->began ? kBegan : kEnded};
  }
  if (const auto* note = std::get_if<BusNote>(&entry)) return {{}, {}, note->text, {}};
  return {{}, {}, other_frame_text(std::get<OtherBusFrame>(entry)), {}};
}

}  // namespace

BusClockTime time_of_day(std::chrono::system_clock::time_point moment) {
  using namespace std::chrono;
  const std::time_t whole_seconds = system_clock::to_time_t(moment);
  // Only the thread that monitors converts times, so the shared result of
  // localtime is safe here (localtime_r is not on every platform).
  const std::tm* local = std::localtime(&whole_seconds);
  if (!local) return {};
  auto millis = duration_cast<milliseconds>(moment.time_since_epoch()) % seconds(1);
  if (millis < milliseconds(0)) millis += seconds(1);
  return hours(local->tm_hour) + minutes(local->tm_min) + seconds(local->tm_sec) + millis;
}

std::string bus_clock_text(BusClockTime time) {
  const long long total = time.count();
  char text[32];  // room for any count, though a time of day needs 13
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%03lld", total / 3'600'000 % 24,
                total / 60'000 % 60, total / 1000 % 60, total % 1000);
  return text;
}

std::string bus_log_line(const BusLogEntry& entry, const ProjectNames* names) {
  const Fields f = fields_of(entry, names);
  std::string line = bus_clock_text(entry_time(entry)) + "  ";
  if (f.unit.empty()) return line + f.event;
  return line + "centrala " + f.unit + "  " + f.event + "  " + f.change;
}

std::string bus_event_tab_fields(const BusChange& change) {
  const Fields f = fields_of(change);
  return bus_clock_text(change.time) + "\tcentrala " + f.unit + "\t" + f.row + "\t" + f.event;
}

std::string bus_log_tab_line(const BusLogEntry& entry) {
  if (const auto* change = std::get_if<BusChange>(&entry))
    return bus_event_tab_fields(*change) + "\t" + (change->began ? kBegan : kEnded);
  return bus_clock_text(entry_time(entry)) + "\t" + fields_of(entry).event;
}

std::string dropped_frames_label(std::uint64_t total) {
  return "Opuszczone ramki: " + std::to_string(total);
}

BusNote dropped_frames_note(BusClockTime time, unsigned dropped) {
  return {time, "opuszczono " + std::to_string(dropped) + " ramek"};
}

BusNote start_state_note(BusClockTime time, std::size_t frames, const std::vector<ActiveBusEvent>& active) {
  // "z 1 ramki", but "z 2 ramek", "z 10 ramek".
  std::string text = "stan na starcie z " + std::to_string(frames) + (frames == 1 ? " ramki" : " ramek") +
                     " z kolejki modułu; aktywne: ";
  if (active.empty()) return {time, text + "brak"};
  for (std::size_t i = 0; i < active.size(); ++i) {
    if (i > 0) text += ", ";
    text += "centrala " + std::to_string(active[i].unit) + " " + row_label(active[i].row);
  }
  return {time, text};
}

BusNote skipped_entries_note(BusClockTime time, std::uint64_t skipped) {
  return {time, "pominięto najstarsze wpisy: " + std::to_string(skipped)};
}

std::string raw_frame_tab_line(BusClockTime time, const std::uint8_t* data, std::size_t length) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string line = bus_clock_text(time) + "\t";
  for (std::size_t i = 0; i < length; ++i) {
    if (i > 0) line += ' ';
    line += kDigits[data[i] >> 4];
    line += kDigits[data[i] & 0x0F];
  }
  return line;
}

std::string bus_log_csv_header() {
  return std::string(kUtf8ByteOrderMark) + "czas;centrala;wiersz;zdarzenie;zmiana\r\n";
}

std::string bus_log_csv_row(const BusLogEntry& entry) {
  const Fields f = fields_of(entry);
  return bus_clock_text(entry_time(entry)) + ";" + f.unit + ";" + f.row + ";" + csv_field(f.event) + ";" + f.change + "\r\n";
}

std::string bus_log_csv(const std::vector<BusLogEntry>& entries) {
  std::string text = bus_log_csv_header();
  for (const BusLogEntry& entry : entries) text += bus_log_csv_row(entry);
  return text;
}

FileResult save_bus_log_csv(const std::filesystem::path& path, const std::vector<BusLogEntry>& entries) {
  const std::string text = bus_log_csv(entries);
  return save_text_durably(path, text);
}
