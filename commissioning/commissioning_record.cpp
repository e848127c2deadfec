// SPDX-License-Identifier: MIT
#include "commissioning/commissioning_record.h"

#include <ctime>
#include <fstream>

#include "config/config_file.h"
#include "config/config_matrix.h"
#include "config/name_text.h"
#include "config/readback_runner.h"
#include "text/cp1250.h"
#include "text/local_time.h"

namespace {

namespace fs = std::filesystem;

// "2026-12-08_14-02-11.jsonl" from the record's start, so that a folder's
// files sort in the order the records began.
std::string record_file_stem(const WalkRecord& record) {
  const std::string began = record.sessions.empty() ? std::string() : record.sessions.front().began;
  if (began.size() < 19 || began[10] != 'T') return "protokol";
  std::string stem = began.substr(0, 19);
  stem[10] = '_';
  stem[13] = stem[16] = '-';
  return stem;
}

// A file of its own for a new record in `folder`, never one that exists.
fs::path new_record_file(const fs::path& folder, const std::string& stem) {
  fs::path file = folder / (stem + ".jsonl");
  std::error_code error;
  for (int n = 2; fs::exists(file, error) || fs::is_symlink(file, error); ++n)
    file = folder / (stem + "_" + std::to_string(n) + ".jsonl");  // sorts after the first
  return file;
}

// A file that ends in a line cut short by a crash.
bool ends_cut_short(const fs::path& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in || in.tellg() <= 0) return false;
  in.seekg(-1, std::ios::end);
  return in.get() != '\n';
}

constexpr const char* kNotOpen = "protokół nie jest otwarty";

}  // namespace

CommissioningRecord::CommissioningRecord(fs::path path) : path_(std::move(path)), reading_(load_walk_journal(path_)) {}

const WalkRecord* CommissioningRecord::unfinished(const std::string& sha256, bool with_verdicts,
                                                   RecordKind kind) const {
  const StoredRecord* newest = reading_.newest();
  if (newest == nullptr || !newest->record) return nullptr;
  const WalkRecord& record = *newest->record;
  if (record.header.kind != kind || record.header.sha256 != sha256 || record.next_row(with_verdicts) < 0)
    return nullptr;
  return &record;
}

std::string CommissioningRecord::newest_damage() const {
  const StoredRecord* newest = reading_.newest();
  return newest == nullptr ? std::string() : newest->damage;
}

std::string CommissioningRecord::open_file(const fs::path& file) {
  // Opening a FIFO or a device to write to could wait for good.
  std::error_code error;
  const fs::file_status status = fs::status(file, error);
  if (status.type() != fs::file_type::not_found && !fs::is_regular_file(status)) return "to nie jest zwykły plik";
  const bool cut_short = ends_cut_short(file);
  file_.emplace(file);
  // A line cut short by a crash is closed first, so it cannot swallow the next one.
  std::string failure = cut_short ? file_->append("\n") : file_->failure();
  if (!failure.empty()) file_.reset();
  return failure;
}

std::string CommissioningRecord::append(const std::string& line) {
  if (!file_) return kNotOpen;
  return file_->append(line);
}

std::string CommissioningRecord::begin(WalkRecord record) {
  if (!reading_.ok) return reading_.reason;
  file_.reset();
  fs::path file = path_;
  if (!is_journal_file(path_)) {
    std::error_code error;
    fs::create_directories(path_, error);
    if (error) return "nie można utworzyć folderu protokołów: " + error.message();
    file = new_record_file(path_, record_file_stem(record));
  }
  if (std::string failure = open_file(file); !failure.empty()) return failure;
  if (std::string failure = append(journal_start_line(record)); !failure.empty()) {
    file_.reset();
    return failure;
  }
  record_ = std::move(record);
  return {};
}

std::string CommissioningRecord::resume(const std::string& sha256, bool with_verdicts, const ModuleReading& module,
                                        const std::string& time, RecordKind kind) {
  const WalkRecord* record = unfinished(sha256, with_verdicts, kind);
  if (record == nullptr) return "nie ma niedokończonego protokołu tej konfiguracji";
  return go_on(*record, module, time);
}

std::string CommissioningRecord::reopen(const std::string& sha256, const ModuleReading& module,
                                        const std::string& time) {
  const StoredRecord* newest = reading_.newest();
  if (newest == nullptr || !newest->record || newest->record->header.sha256 != sha256)
    return "nie ma protokołu tej konfiguracji";
  return go_on(*newest->record, module, time);
}

std::string CommissioningRecord::go_on(const WalkRecord& record, const ModuleReading& module, const std::string& time) {
  file_.reset();
  if (std::string failure = open_file(reading_.newest()->file); !failure.empty()) return failure;
  const RecordSession session{time, time, false, module};
  if (std::string failure = append(journal_resume_line(session)); !failure.empty()) {
    file_.reset();
    return failure;
  }
  record_ = record;
  record_->sessions.push_back(session);
  return {};
}

std::string CommissioningRecord::show(int row, const std::string& time) {
  if (!file_) return kNotOpen;
  const RecordLine* line = record_->line(row);
  if (line == nullptr) return "wiersz " + std::to_string(row) + " nie należy do protokołu";
  if (line->rated()) return {};
  return rate(row, Verdict::not_rated, {}, time);
}

std::string CommissioningRecord::rate(int row, Verdict verdict, const std::string& comment, const std::string& time) {
  if (!file_) return kNotOpen;
  const RecordLine* line = record_->line(row);
  if (line == nullptr) return "wiersz " + std::to_string(row) + " nie należy do protokołu";
  // A field test says what the bus reported: an event it did not report has no verdict.
  if (record_->field() && !line->shown()) return "magistrala nie zgłosiła tego zdarzenia";
  if (std::string failure = append(journal_verdict_line(row, {verdict, comment, time})); !failure.empty())
    return failure;
  record_->take(row, verdict, comment, time);
  return {};
}

CommissioningRecord::SeenResult CommissioningRecord::see(const ConfigMatrix& matrix, const ProjectNames& names,
                                                         int row, int unit, const std::string& time) {
  if (!file_) return {Sighting::outside_plan, kNotOpen};
  const Sighting sighting = record_->sighting(row, unit, row_lights_a_lamp(matrix, row));
  if (sighting == Sighting::planned) {
    if (std::string failure = append(journal_seen_line(row, unit, time)); !failure.empty()) return {sighting, failure};
    record_->see(row, unit, time);
  } else if (sighting == Sighting::no_lamp || sighting == Sighting::other_unit) {
    const FieldFinding finding{sighting == Sighting::no_lamp ? FindingKind::no_lamp : FindingKind::other_unit,
                               row, unit, row_label(row), address_name_of_row(names, row), time};
    if (!record_->has_finding(finding)) {
      if (std::string failure = append(journal_finding_line(finding)); !failure.empty()) return {sighting, failure};
      record_->find(finding);
    }
  }
  return {sighting, {}};
}

std::string CommissioningRecord::end(const std::string& time) {
  if (!file_) return kNotOpen;
  std::string failure = append(journal_end_line(time));
  file_.reset();
  if (failure.empty()) {
    record_->sessions.back().ended = time;
    record_->sessions.back().closed = true;
  }
  return failure;
}

ModuleCheck check_module(USB_protocol& protocol, const ConfigMatrix& file_table, const OperationView& view) {
  std::vector<CellDifference> differences;
  const ReadbackOutcome outcome = verify_configuration(protocol, file_table, view, differences);
  ModuleCheck check;
  if (outcome == ReadbackOutcome::failed) return check;
  check.read = true;
  check.module.differing_cells =
      outcome == ReadbackOutcome::invalid ? kNoValidConfiguration : static_cast<int>(differences.size());
  if (protocol.Hello_frame()) check.module.greeting = text::to_utf8(protocol.greeting());
  check.module.device = protocol.device_identity();
  return check;
}

std::string record_time_now() { return iso8601_local_time(std::time(nullptr)); }
