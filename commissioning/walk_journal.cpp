// SPDX-License-Identifier: MIT
#include "commissioning/walk_journal.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <set>

#include "config/config_file.h"
#include "config/config_matrix.h"
#include "config/name_text.h"

namespace {

using json = nlohmann::ordered_json;  // written in the order given: "type" first
namespace fs = std::filesystem;

// The format of the records this version writes; a start without it is of an
// earlier version, whose verdicts carry their event's texts. A field test's
// record has a format of its own, so that a version that knows only walks
// refuses it rather than read it as a walk.
constexpr int kFormat = 2;
constexpr int kFieldFormat = 3;

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

// A moment every entry has: a record's times must say when.
std::string time_of(const json& object) {
  std::string time = text_of(object, "time");
  if (time.empty()) throw BadLine{"pole \"time\" jest puste"};
  return time;
}

int number_of(const json& object, const char* key, int low, int high) {
  const json& value = member(object, key);
  if (!value.is_number_integer() || value.get<long long>() < low || value.get<long long>() > high)
    throw BadLine{std::string("pole \"") + key + "\" nie jest liczbą od " + std::to_string(low) + " do " +
                  std::to_string(high)};
  return static_cast<int>(value.get<long long>());
}

const json& object_of(const json& object, const char* key) {
  const json& value = member(object, key);
  if (!value.is_object()) throw BadLine{std::string("pole \"") + key + "\" nie jest obiektem"};
  return value;
}

// A row a record can plan: an event of the table, but not "(brak funckji)".
int plan_row(const json& value) {
  if (!value.is_number_integer() || value.get<long long>() < 0 || value.get<long long>() >= ConfigMatrix::kRows ||
      value.get<long long>() == ConfigMatrix::kNoFunctionRow)
    throw BadLine{"pole \"rows\" zawiera nieprawidłowy wiersz"};
  return static_cast<int>(value.get<long long>());
}

ModuleReading module_of(const json& module) {
  return {number_of(module, "differing_cells", kNotRead, ConfigMatrix::kCells), text_of(module, "greeting"),
          text_of(module, "device")};
}

// A start of this version: the plan's lines are in it.
void take_plan(const json& plan, WalkRecord& record) {
  if (!plan.is_array()) throw BadLine{"pole \"plan\" nie jest listą"};
  for (const json& event : plan) {
    if (!event.is_object()) throw BadLine{"pole \"plan\" zawiera nieprawidłowe zdarzenie"};
    RecordLine line;
    line.row = plan_row(member(event, "row"));
    line.label = text_of(event, "label");
    line.name = text_of(event, "name");
    line.expected = text_of(event, "expected");
    record.lines.push_back(std::move(line));
  }
}

// A start of an earlier version: the plan's rows alone; each verdict brings its texts.
void take_rows(const json& rows, WalkRecord& record) {
  if (!rows.is_array()) throw BadLine{"pole \"rows\" nie jest listą"};
  for (const json& row : rows) {
    RecordLine line;
    line.row = plan_row(row);
    line.label = row_label(line.row);
    record.lines.push_back(std::move(line));
  }
}

WalkRecord record_of(const json& entry) {
  WalkRecord record;
  RecordHeader& header = record.header;
  const std::string started = time_of(entry);
  header.configuration_file = text_of(entry, "file");
  header.sha256 = text_of(entry, "sha256");
  header.tool_version = text_of(entry, "version");
  header.engineer = text_of(entry, "engineer");
  const json& site = object_of(entry, "site");
  header.site = {text_of(site, "name"), text_of(site, "address"), text_of(site, "board_place"), text_of(site, "notes")};
  ModuleReading module;
  if (entry.contains("format")) {
    if (number_of(entry, "format", kFormat, kFieldFormat) == kFieldFormat) {
      if (text_of(entry, "kind") != "field") throw BadLine{"nieznany rodzaj protokołu"};
      header.kind = RecordKind::field;
      header.unit = number_of(entry, "unit", kAnyUnit, 255);
    }
    take_plan(member(entry, "plan"), record);
    module = module_of(object_of(entry, "module"));
  } else {
    take_rows(member(entry, "rows"), record);
    module.differing_cells = number_of(entry, "differing_cells", kNoValidConfiguration, ConfigMatrix::kCells);
  }
  std::set<int> planned;
  for (const RecordLine& line : record.lines) {
    if (!planned.insert(line.row).second)
      throw BadLine{"wiersz " + std::to_string(line.row) + " powtarza się w planie"};
  }
  record.sessions.push_back({started, started, false, module});
  return record;
}

void take_verdict(const json& entry, WalkRecord& record) {
  const int row = number_of(entry, "row", 0, ConfigMatrix::kRows - 1);
  const std::string time = time_of(entry);
  const auto verdict = verdict_from_text(text_of(entry, "verdict"));
  if (!verdict) throw BadLine{"nieznana ocena"};
  const std::string comment = text_of(entry, "comment");
  const auto line = std::find_if(record.lines.begin(), record.lines.end(), [row](const RecordLine& l) { return l.row == row; });
  if (line == record.lines.end()) throw BadLine{"wiersz " + std::to_string(row) + " nie należy do testu"};
  // A field test rates only what the bus reported.
  if (record.field() && (!line->shown() || *verdict == Verdict::not_rated))
    throw BadLine{"ocena zdarzenia, którego magistrala nie zgłosiła"};
  // An earlier version's verdict carries its event's texts.
  if (entry.contains("label")) {
    line->label = text_of(entry, "label");
    line->name = text_of(entry, "name");
    line->expected = text_of(entry, "expected");
  }
  record.take(row, *verdict, comment, time);
}

void take_seen(const json& entry, WalkRecord& record) {
  if (!record.field()) throw BadLine{"wpis próby z obiektu w teście po kolei"};
  const int row = number_of(entry, "row", 0, ConfigMatrix::kRows - 1);
  const std::string time = time_of(entry);
  const int unit = number_of(entry, "unit", 0, 255);
  if (record.line(row) == nullptr) throw BadLine{"wiersz " + std::to_string(row) + " nie należy do testu"};
  record.see(row, unit, time);
}

void take_finding(const json& entry, WalkRecord& record) {
  if (!record.field()) throw BadLine{"wpis próby z obiektu w teście po kolei"};
  FieldFinding finding;
  const auto kind = finding_kind_from_text(text_of(entry, "finding"));
  if (!kind) throw BadLine{"nieznany rodzaj obserwacji"};
  finding.kind = *kind;
  finding.row = number_of(entry, "row", 0, ConfigMatrix::kRows - 1);
  finding.unit = number_of(entry, "unit", 0, 255);
  finding.time = time_of(entry);
  finding.label = text_of(entry, "label");
  finding.name = text_of(entry, "name");
  record.find(finding);
}

// Takes one entry into `record`, begun by the last start.
void take_entry(const json& entry, std::optional<WalkRecord>& record) {
  if (!entry.is_object()) throw BadLine{"to nie jest obiekt JSON"};
  const std::string type = text_of(entry, "type");
  if (type == "start") {
    record = record_of(entry);
    return;
  }
  if (type != "verdict" && type != "resume" && type != "end" && type != "seen" && type != "finding")
    throw BadLine{"nieznany rodzaj wpisu \"" + type + "\""};
  if (!record) throw BadLine{"wpis przed początkiem testu"};
  if (type == "verdict") return take_verdict(entry, *record);
  if (type == "seen") return take_seen(entry, *record);
  if (type == "finding") return take_finding(entry, *record);
  const std::string time = time_of(entry);
  if (type == "resume") {
    ModuleReading module;
    module.differing_cells = kNotRead;
    if (entry.contains("module")) module = module_of(object_of(entry, "module"));
    record->sessions.push_back({time, time, false, module});
    return;
  }
  record->sessions.back().ended = time;
  record->sessions.back().closed = true;
}

bool is_start(const json& entry) {
  return entry.is_object() && entry.contains("type") && entry["type"] == "start";
}

json site_json(const SiteInfo& site) {
  return {{"name", site.name}, {"address", site.address}, {"board_place", site.board_place}, {"notes", site.notes}};
}

json module_json(const ModuleReading& module) {
  return {{"differing_cells", module.differing_cells}, {"greeting", module.greeting}, {"device", module.device}};
}

// Bad UTF-8 (a name from an old disk) is written replaced, never refused.
std::string line_of(const json& entry) { return entry.dump(-1, ' ', false, json::error_handler_t::replace) + "\n"; }

// Reads the records of one file into `reading`.
class JournalParser {
 public:
  JournalParser(JournalReading& reading, const fs::path& file) : reading_(reading), file_(file) {}

  void line(std::size_t number, std::string_view text) {
    const json entry = json::parse(text, nullptr, false);
    if (entry.is_discarded()) return cut(number);
    if (is_start(entry)) {
      close();
      damage_.clear();
    } else if (cut_line_ != 0 && !(entry.is_object() && entry.contains("type") && entry["type"] == "resume")) {
      damaged(cut_line_, "to nie jest JSON");
    }
    cut_line_ = 0;
    if (!damage_.empty()) return;  // the rest of a damaged record
    try {
      take_entry(entry, record_);
    } catch (const BadLine& bad) {
      damaged(number, bad.why);
    } catch (const json::exception&) {
      damaged(number, "nieprawidłowy wpis");
    }
  }

  // The end of the file: a last line cut short is left out.
  void close() {
    if (!damage_.empty()) {
      reading_.records.push_back({file_, std::nullopt, damage_});
    } else if (record_) {
      reading_.records.push_back({file_, std::move(record_), {}});
    }
    record_.reset();
    cut_line_ = 0;
  }

 private:
  // A line that is not JSON: cut by a crash, if what follows allows it; a
  // crash cuts no line before a record began.
  void cut(std::size_t number) {
    if (cut_line_ != 0 || (!record_ && damage_.empty())) damaged(cut_line_ != 0 ? cut_line_ : number, "to nie jest JSON");
    if (damage_.empty()) cut_line_ = number;
  }

  void damaged(std::size_t number, const std::string& why) {
    if (damage_.empty()) damage_ = "Błąd w dzienniku, wiersz " + std::to_string(number) + ": " + why;
    record_.reset();
    cut_line_ = 0;
  }

  JournalReading& reading_;
  fs::path file_;
  std::optional<WalkRecord> record_;
  std::string damage_;     // of the record being read; its later lines are passed over
  std::size_t cut_line_ = 0;  // a line that is not JSON, waiting for what follows it
};

FileResult read_file(const fs::path& file, JournalReading& reading) {
  std::string text;
  const FileResult read = read_small_file(file, kMaxJournalBytes, "dziennik", text);
  if (!read.ok) return read;
  JournalReading one = parse_walk_journal(text, file);
  std::move(one.records.begin(), one.records.end(), std::back_inserter(reading.records));
  return read;
}

}  // namespace

JournalReading parse_walk_journal(std::string_view text, const fs::path& file) {
  JournalReading reading;
  JournalParser parser(reading, file);
  std::size_t number = 0;
  for (std::size_t start = 0; start < text.size();) {
    ++number;
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
    parser.line(number, line);
  }
  parser.close();
  return reading;
}

JournalReading load_walk_journal(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  JournalReading reading;
  if (status.type() == fs::file_type::not_found) return reading;
  if (error) return {false, "nie można odczytać dziennika: " + error.message(), {}};
  if (fs::is_regular_file(status)) {
    if (const FileResult read = read_file(path, reading); !read.ok) return {false, read.reason, {}};
    return reading;
  }
  if (!fs::is_directory(status)) return {false, "to nie jest zwykły plik ani folder", {}};
  std::vector<fs::path> files;
  for (fs::directory_iterator entry(path, error), end; !error && entry != end; entry.increment(error)) {
    if (has_file_extension(entry->path(), ".jsonl")) files.push_back(entry->path());
  }
  if (error) return {false, "nie można odczytać folderu protokołów: " + error.message(), {}};
  std::sort(files.begin(), files.end());  // named by their start: the oldest first
  // A file of the folder that cannot be read spoils only its own record.
  for (const fs::path& file : files) {
    if (const FileResult read = read_file(file, reading); !read.ok) reading.records.push_back({file, std::nullopt, read.reason});
  }
  return reading;
}

fs::path records_folder_for(const fs::path& configuration) {
  fs::path folder = configuration;
  folder.replace_filename(configuration.filename().u8string() + u8"-protokoly");
  return folder;
}

bool is_journal_file(const fs::path& path) {
  std::error_code error;
  return has_file_extension(path, ".jsonl") || fs::is_regular_file(path, error);
}

std::string journal_start_line(const WalkRecord& record) {
  const RecordHeader& header = record.header;
  json plan = json::array();
  for (const RecordLine& line : record.lines)
    plan.push_back({{"row", line.row}, {"label", line.label}, {"name", line.name}, {"expected", line.expected}});
  const RecordSession first = record.sessions.empty() ? RecordSession{} : record.sessions.front();
  json start = {{"type", "start"}, {"format", record.field() ? kFieldFormat : kFormat}};
  if (record.field()) {
    start["kind"] = "field";
    start["unit"] = header.unit;
  }
  start.update(json{{"time", first.began},
                  {"file", header.configuration_file},
                  {"sha256", header.sha256},
                  {"version", header.tool_version},
                  {"engineer", header.engineer},
                  {"site", site_json(header.site)},
                  {"module", module_json(first.module)},
                  {"plan", plan}});
  return line_of(start);
}

std::string journal_verdict_line(int row, const VerdictEntry& verdict) {
  return line_of({{"type", "verdict"},
                  {"time", verdict.time},
                  {"row", row},
                  {"verdict", verdict_text(verdict.verdict)},
                  {"comment", verdict.comment}});
}

std::string journal_resume_line(const RecordSession& session) {
  return line_of({{"type", "resume"}, {"time", session.began}, {"module", module_json(session.module)}});
}

std::string journal_seen_line(int row, int unit, const std::string& time) {
  return line_of({{"type", "seen"}, {"time", time}, {"row", row}, {"unit", unit}});
}

std::string journal_finding_line(const FieldFinding& finding) {
  return line_of({{"type", "finding"},
                  {"time", finding.time},
                  {"finding", finding_kind_text(finding.kind)},
                  {"row", finding.row},
                  {"unit", finding.unit},
                  {"label", finding.label},
                  {"name", finding.name}});
}

std::string journal_end_line(const std::string& time) { return line_of({{"type", "end"}, {"time", time}}); }

std::string journal_text(const WalkRecord& record) {
  std::string text = journal_start_line(record);
  for (std::size_t session = 1; session < record.sessions.size(); ++session)
    text += journal_resume_line(record.sessions[session]);
  for (const FieldFinding& finding : record.findings) text += journal_finding_line(finding);
  for (const RecordLine& line : record.lines) {
    if (record.field() && line.shown()) text += journal_seen_line(line.row, line.unit, line.seen);
    for (const VerdictEntry& earlier : line.earlier) text += journal_verdict_line(line.row, earlier);
    if (line.rated() || (line.shown() && !record.field()))
      text += journal_verdict_line(line.row, {line.verdict, line.comment, line.time});
  }
  if (record.closed()) text += journal_end_line(record.ended());
  return text;
}
