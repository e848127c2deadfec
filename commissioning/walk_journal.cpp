// SPDX-License-Identifier: MIT
#include "commissioning/walk_journal.h"

#include <fstream>
#include <nlohmann/json.hpp>

#include "config/config_matrix.h"
#include "config/durable_save.h"

namespace {

using json = nlohmann::ordered_json;  // written in the order given: "type" first
namespace fs = std::filesystem;

// A line that is not what the journal holds; says why.
struct BadLine {
  std::string why;
};

const json& member(const json& object, const char* key) {
  const auto found = object.find(key);
  if (found == object.end()) throw BadLine{std::string("brak pola \"") + key + "\""};
  return *found;
}

std::string text_of(const json& object, const char* key) {
  const json& value = member(object, key);
  if (!value.is_string()) throw BadLine{std::string("pole \"") + key + "\" nie jest tekstem"};
  return value.get<std::string>();
}

int number_of(const json& object, const char* key, int low, int high) {
  const json& value = member(object, key);
  if (!value.is_number_integer() || value.get<long long>() < low || value.get<long long>() > high)
    throw BadLine{std::string("pole \"") + key + "\" nie jest liczbą od " + std::to_string(low) + " do " +
                  std::to_string(high)};
  return static_cast<int>(value.get<long long>());
}

RecordHeader header_of(const json& entry) {
  RecordHeader header;
  header.started = text_of(entry, "time");
  header.configuration_file = text_of(entry, "file");
  header.sha256 = text_of(entry, "sha256");
  header.differing_cells = number_of(entry, "differing_cells", kNoValidConfiguration, ConfigMatrix::kCells);
  header.tool_version = text_of(entry, "version");
  header.engineer = text_of(entry, "engineer");
  const json& site = member(entry, "site");
  if (!site.is_object()) throw BadLine{"pole \"site\" nie jest obiektem"};
  header.site = {text_of(site, "name"), text_of(site, "address"), text_of(site, "board_place"), text_of(site, "notes")};
  const json& rows = member(entry, "rows");
  if (!rows.is_array()) throw BadLine{"pole \"rows\" nie jest listą"};
  for (const json& row : rows) {
    if (!row.is_number_integer() || row.get<long long>() < 0 || row.get<long long>() >= ConfigMatrix::kRows)
      throw BadLine{"pole \"rows\" zawiera nieprawidłowy wiersz"};
    header.rows.push_back(static_cast<int>(row.get<long long>()));
  }
  return header;
}

RecordLine verdict_of(const json& entry, const RecordHeader& header) {
  RecordLine line;
  line.row = number_of(entry, "row", 0, ConfigMatrix::kRows - 1);
  if (std::find(header.rows.begin(), header.rows.end(), line.row) == header.rows.end())
    throw BadLine{"wiersz " + std::to_string(line.row) + " nie należy do testu"};
  line.label = text_of(entry, "label");
  line.name = text_of(entry, "name");
  line.expected = text_of(entry, "expected");
  const auto verdict = verdict_from_text(text_of(entry, "verdict"));
  if (!verdict) throw BadLine{"nieznana ocena"};
  line.verdict = *verdict;
  line.comment = text_of(entry, "comment");
  line.time = text_of(entry, "time");
  return line;
}

// Takes one entry into the last record.
void take_entry(const json& entry, std::optional<WalkRecord>& record) {
  if (!entry.is_object()) throw BadLine{"to nie jest obiekt JSON"};
  const std::string type = text_of(entry, "type");
  if (type == "start") {
    record.emplace();
    record->header = header_of(entry);
    record->ended = record->header.started;
    return;
  }
  if (type != "verdict" && type != "resume" && type != "end") throw BadLine{"nieznany rodzaj wpisu \"" + type + "\""};
  if (!record) throw BadLine{"wpis przed początkiem testu"};
  if (type == "verdict") {
    RecordLine line = verdict_of(entry, record->header);
    record->ended = line.time;
    record->take(std::move(line));
    return;
  }
  record->ended = text_of(entry, "time");
  record->closed = type == "end";
}

JournalReading journal_failure(std::string reason) { return {false, std::move(reason), std::nullopt}; }

json site_json(const SiteInfo& site) {
  return {{"name", site.name}, {"address", site.address}, {"board_place", site.board_place}, {"notes", site.notes}};
}

// Bad UTF-8 (a name from an old disk) is written replaced, never refused.
std::string line_of(const json& entry) { return entry.dump(-1, ' ', false, json::error_handler_t::replace) + "\n"; }

}  // namespace

JournalReading parse_walk_journal(std::string_view text) {
  JournalReading reading;
  std::size_t number = 0;
  // A line that is not JSON was cut by a crash when nothing but a new start
  // or a resume follows it; anywhere else the journal is damaged.
  std::size_t cut_line = 0;
  const auto damaged = [](std::size_t line, const std::string& why) {
    return journal_failure("Błąd w dzienniku, wiersz " + std::to_string(line) + ": " + why);
  };
  for (std::size_t start = 0; start < text.size();) {
    ++number;
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
    const json entry = json::parse(line, nullptr, false);
    if (entry.is_discarded()) {
      if (cut_line != 0) return damaged(cut_line, "to nie jest JSON");
      cut_line = number;
      continue;
    }
    if (cut_line != 0) {
      const bool goes_on = entry.is_object() && entry.contains("type") &&
                           (entry["type"] == "resume" || entry["type"] == "start");
      if (!goes_on) return damaged(cut_line, "to nie jest JSON");
      cut_line = 0;
    }
    try {
      take_entry(entry, reading.record);
    } catch (const BadLine& bad) {
      return damaged(number, bad.why);
    } catch (const json::exception&) {
      return damaged(number, "nieprawidłowy wpis");
    }
  }
  return reading;
}

JournalReading load_walk_journal(const fs::path& path) {
  std::error_code error;
  if (!fs::exists(path, error)) return {};
  std::ifstream in(path, std::ios::binary);
  if (!in) return journal_failure("nie można otworzyć dziennika");
  std::string text(kMaxJournalBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) return journal_failure("nie można odczytać dziennika");
  text.resize(static_cast<std::size_t>(in.gcount()));
  if (text.size() > kMaxJournalBytes) return journal_failure("dziennik jest za duży");
  return parse_walk_journal(text);
}

const WalkRecord* unfinished_record(const JournalReading& reading, const std::string& sha256) {
  if (!reading.ok || !reading.record || reading.record->header.sha256 != sha256) return nullptr;
  return reading.record->complete() ? nullptr : &*reading.record;
}

std::string journal_start_line(const RecordHeader& header) {
  return line_of({{"type", "start"},
                  {"time", header.started},
                  {"file", header.configuration_file},
                  {"sha256", header.sha256},
                  {"differing_cells", header.differing_cells},
                  {"version", header.tool_version},
                  {"engineer", header.engineer},
                  {"site", site_json(header.site)},
                  {"rows", header.rows}});
}

std::string journal_verdict_line(const RecordLine& line) {
  return line_of({{"type", "verdict"},
                  {"time", line.time},
                  {"row", line.row},
                  {"label", line.label},
                  {"name", line.name},
                  {"expected", line.expected},
                  {"verdict", verdict_text(line.verdict)},
                  {"comment", line.comment}});
}

std::string journal_mark_line(const char* type, const std::string& time) {
  return line_of({{"type", type}, {"time", time}});
}

fs::path journal_path_for(const fs::path& configuration) {
  fs::path journal = configuration;
  journal.replace_filename(configuration.stem().u8string() + u8"-protokol.jsonl");
  return journal;
}

namespace {

output_file::OutputFile open_journal(const fs::path& path, std::string& reason) {
  std::error_code error;
  output_file::OutputFile file = output_file::OutputFile::open_for_append(path, error);
  if (error) reason = describe_file_error(error);
  return file;
}

bool ends_cut_short(const fs::path& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in || in.tellg() <= 0) return false;
  in.seekg(-1, std::ios::end);
  return in.get() != '\n';
}

}  // namespace

WalkJournal::WalkJournal(const fs::path& path)
    : path_(path), file_(open_journal(path, error_)), needs_line_end_(error_.empty() && ends_cut_short(path)) {}

std::string WalkJournal::append(const std::string& line) {
  if (!error_.empty()) return error_;
  // A line cut short by a crash is closed first, so it cannot swallow the next one.
  const std::string text = (needs_line_end_ ? "\n" : "") + line;
  std::error_code error = file_.write({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
  if (!error) error = file_.flush_to_disk();
  if (error) return describe_file_error(error);
  needs_line_end_ = false;
  return {};
}

std::string WalkJournal::begin(const RecordHeader& header) {
  std::string error = append(journal_start_line(header));
  if (error.empty()) {
    record_ = WalkRecord{};
    record_.header = header;
    record_.ended = header.started;
  }
  return error;
}

std::string WalkJournal::resume(WalkRecord record, const std::string& time) {
  std::string error = append(journal_mark_line("resume", time));
  if (error.empty()) {
    record_ = std::move(record);
    record_.ended = time;
    record_.closed = false;
  }
  return error;
}

std::string WalkJournal::rate(const RecordLine& line) {
  std::string error = append(journal_verdict_line(line));
  if (error.empty()) {
    record_.ended = line.time;
    record_.take(line);
  }
  return error;
}

std::string WalkJournal::end(const std::string& time) {
  std::string error = append(journal_mark_line("end", time));
  if (error.empty()) {
    record_.ended = time;
    record_.closed = true;
  }
  return error;
}
