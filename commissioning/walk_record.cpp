// SPDX-License-Identifier: MIT
#include "commissioning/walk_record.h"

#include <algorithm>

#include "config/cell_description.h"
#include "config/config_matrix.h"
#include "config/name_text.h"
#include "config/readback_runner.h"
#include "config/sha256.h"

namespace {

// The mode of a lamp as the protocol says it; shorter than the grid's names.
const char* lamp_mode_text(std::uint8_t mode) {
  switch (mode) {
    case LED_SLOW_BLINK: return "wolne miganie";
    case LED_FAST_BLINK: return "szybkie miganie";
    case LED_STEADY: return "ciągłe";
    default: return nullptr;
  }
}

}  // namespace

const char* verdict_text(Verdict verdict) {
  switch (verdict) {
    case Verdict::ok: return "OK";
    case Verdict::fault: return "Błąd";
    case Verdict::not_rated: break;
  }
  return "nie oceniono";
}

std::optional<Verdict> verdict_from_text(const std::string& text) {
  for (Verdict verdict : {Verdict::not_rated, Verdict::ok, Verdict::fault}) {
    if (text == verdict_text(verdict)) return verdict;
  }
  return std::nullopt;
}

bool is_by_hand_row(int row) { return row >= kFirstByHandRow && row <= kLastByHandRow; }

const char* by_hand_step_text(int row) {
  switch (row) {
    case 1: return "Odłącz magistralę RS485";
    case 2: return "Uruchom test wyjść w centrali";
    case 3: return "Wyłącz i włącz zasilanie modułu";
    default: return "";
  }
}

std::vector<int> WalkRecord::rows() const {
  std::vector<int> rows;
  rows.reserve(lines.size());
  for (const RecordLine& line : lines) rows.push_back(line.row);
  return rows;
}

const RecordLine* WalkRecord::line(int row) const {
  const auto found = std::find_if(lines.begin(), lines.end(), [row](const RecordLine& l) { return l.row == row; });
  return found == lines.end() ? nullptr : &*found;
}

RecordSummary WalkRecord::summary() const {
  RecordSummary summary;
  for (const RecordLine& line : lines) {
    if (!line.shown()) {
      ++summary.not_walked;
      continue;
    }
    ++summary.walked;
    summary.ok += line.verdict == Verdict::ok;
    summary.faults += line.verdict == Verdict::fault;
    summary.not_rated += line.verdict == Verdict::not_rated;
  }
  for (const FieldFinding& finding : findings) {
    summary.no_lamp += finding.kind == FindingKind::no_lamp;
    summary.other_unit += finding.kind == FindingKind::other_unit;
  }
  return summary;
}

const char* finding_kind_text(FindingKind kind) {
  return kind == FindingKind::other_unit ? "inna centrala" : "bez lampy";
}

std::optional<FindingKind> finding_kind_from_text(const std::string& text) {
  for (FindingKind kind : {FindingKind::no_lamp, FindingKind::other_unit}) {
    if (text == finding_kind_text(kind)) return kind;
  }
  return std::nullopt;
}

std::string field_tally_text(const RecordSummary& summary) {
  std::string text = "widziano " + std::to_string(summary.walked) + " z " +
                     std::to_string(summary.walked + summary.not_walked) + ", bez lampy " +
                     std::to_string(summary.no_lamp);
  if (summary.other_unit > 0) text += ", innej centrali " + std::to_string(summary.other_unit);
  return text;
}

std::string field_summary_text(const RecordSummary& summary) {
  return "Widziano " + std::to_string(summary.walked) + " z " + std::to_string(summary.walked + summary.not_walked) +
         " zdarzeń planu, bez lampy: " + std::to_string(summary.no_lamp) + ".";
}

const char* field_state_text(const RecordLine& line) {
  if (!line.shown()) return "nie widziano";
  if (!line.rated()) return "widziano – bez oceny";
  return verdict_text(line.verdict);
}

std::string summary_tally_text(const RecordSummary& summary) {
  return "OK " + std::to_string(summary.ok) + ", błędy " + std::to_string(summary.faults) + ", bez oceny " +
         std::to_string(summary.not_rated) + ", zostało " + std::to_string(summary.not_walked);
}

int WalkRecord::next_row(bool with_verdicts) const {
  for (const RecordLine& line : lines) {
    if (with_verdicts ? !line.rated() : !line.shown()) return line.row;
  }
  return -1;
}

std::vector<int> WalkRecord::fault_rows() const {
  std::vector<int> rows;
  for (const RecordLine& line : lines) {
    if (line.verdict == Verdict::fault) rows.push_back(line.row);
  }
  return rows;
}

const std::string& WalkRecord::ended() const {
  static const std::string never;
  return sessions.empty() ? never : sessions.back().ended;
}

bool WalkRecord::take(int row, Verdict verdict, const std::string& comment, const std::string& time) {
  const auto found = std::find_if(lines.begin(), lines.end(), [row](const RecordLine& l) { return l.row == row; });
  if (found == lines.end()) return false;
  RecordLine& line = *found;
  if (!sessions.empty()) sessions.back().ended = time;
  if (verdict == Verdict::not_rated) {
    // Shown again on the timer: a verdict given before stands.
    if (!line.rated()) line.time = time;
    return true;
  }
  if (line.rated()) line.earlier.push_back({line.verdict, line.comment, line.time});
  line.verdict = verdict;
  line.comment = comment;
  line.time = time;
  return true;
}

Sighting WalkRecord::sighting(int row, int unit, bool lights) const {
  if (header.unit != kAnyUnit && unit != header.unit) return Sighting::other_unit;
  if (!lights) return Sighting::no_lamp;
  const RecordLine* planned = line(row);
  if (planned == nullptr) return Sighting::outside_plan;
  return planned->shown() ? Sighting::seen_before : Sighting::planned;
}

bool WalkRecord::see(int row, int unit, const std::string& time) {
  const auto found = std::find_if(lines.begin(), lines.end(), [row](const RecordLine& l) { return l.row == row; });
  if (found == lines.end() || found->shown()) return false;
  found->seen = found->time = time;
  found->unit = unit;
  if (!sessions.empty()) sessions.back().ended = time;
  return true;
}

bool WalkRecord::has_finding(const FieldFinding& finding) const {
  return std::any_of(findings.begin(), findings.end(), [&](const FieldFinding& f) {
    return f.kind == finding.kind && f.row == finding.row && f.unit == finding.unit;
  });
}

bool WalkRecord::find(const FieldFinding& finding) {
  if (has_finding(finding)) return false;
  findings.push_back(finding);
  if (!sessions.empty()) sessions.back().ended = finding.time;
  return true;
}

std::vector<int> field_plan_rows(const ConfigMatrix& matrix, int first, int last) {
  // Only an address's event begins on the bus: rows 0-4 are never reported,
  // so a plan holding them could never be seen whole.
  if (first > last) std::swap(first, last);
  std::vector<int> rows;
  for (int row = std::max(first, 0); row <= last && row < ConfigMatrix::kRows; ++row) {
    if (is_address_row(row) && row_lights_a_lamp(matrix, row)) rows.push_back(row);
  }
  return rows;
}

std::string expected_lamps_text(const ConfigMatrix& matrix, int row, const ProjectNames& names) {
  std::string text;
  for (int column = 0; column < ConfigMatrix::kColumns; ++column) {
    const char* mode = lamp_mode_text(matrix.at(row, column));
    if (mode == nullptr) continue;
    if (!text.empty()) text += ", ";
    text += std::to_string(column + 1);
    const std::string& name = lamp_name(names, column);
    if (!name.empty()) text += " " + name;
    text += " – ";
    text += mode;
  }
  return text.empty() ? "nic" : text;
}

RecordLine event_line(const ConfigMatrix& matrix, int row, const ProjectNames& names) {
  RecordLine line;
  line.row = row;
  line.label = row_label(row);
  line.name = address_name_of_row(names, row);
  line.expected = expected_lamps_text(matrix, row, names);
  return line;
}

WalkRecord new_record(const std::string& file_name, const ConfigMatrix& matrix, const ProjectNames& names,
                      const std::vector<int>& rows, const std::string& tool_version, const std::string& engineer,
                      const ModuleReading& module, const std::string& time) {
  WalkRecord record;
  record.header.configuration_file = file_name;
  record.header.sha256 = sha256_hex(matrix.bytes());
  record.header.tool_version = tool_version;
  record.header.engineer = engineer;
  record.header.site = names.site;
  for (int row : rows) record.lines.push_back(event_line(matrix, row, names));
  record.sessions.push_back({time, time, false, module});
  return record;
}

std::string readback_result_text(int differing_cells) {
  if (differing_cells == 0) return "Konfiguracja w module zgodna z plikiem.";
  if (differing_cells == kNoValidConfiguration) return kReadbackStatusInvalid;
  if (differing_cells < 0) return "Nie sprawdzono konfiguracji w module.";
  return verify_status_text(static_cast<std::size_t>(differing_cells));
}

std::string readback_result_short_text(int differing_cells) {
  if (differing_cells == 0) return "zgodna z plikiem";
  if (differing_cells == kNoValidConfiguration) return "brak poprawnej konfiguracji";
  if (differing_cells < 0) return "nie sprawdzono";
  return "różni się " + in_cells_text(static_cast<std::size_t>(differing_cells));
}

std::string record_time_text(const std::string& iso8601) {
  // "2026-12-07T14:03:11+01:00"
  if (iso8601.size() < 19 || iso8601[10] != 'T') return iso8601;
  return iso8601.substr(0, 10) + " " + iso8601.substr(11, 8);
}
