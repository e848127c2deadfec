// SPDX-License-Identifier: MIT
#include "commissioning/walk_record.h"

#include <algorithm>

#include "config/config_matrix.h"
#include "config/name_text.h"
#include "config/readback_runner.h"
#include "config/sha256.h"
#include "text/local_time.h"

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

RecordSummary WalkRecord::summary() const {
  RecordSummary summary;
  summary.walked = static_cast<int>(lines.size());
  for (const RecordLine& line : lines) {
    summary.ok += line.verdict == Verdict::ok;
    summary.faults += line.verdict == Verdict::fault;
    summary.not_rated += line.verdict == Verdict::not_rated;
  }
  summary.not_walked = static_cast<int>(header.rows.size()) - summary.walked;
  return summary;
}

bool WalkRecord::complete() const { return first_unwalked_row() < 0; }

int WalkRecord::first_unwalked_row() const {
  for (int row : header.rows) {
    const bool walked = std::any_of(lines.begin(), lines.end(), [row](const RecordLine& l) { return l.row == row; });
    if (!walked) return row;
  }
  return -1;
}

bool WalkRecord::rated(int row) const {
  return std::any_of(lines.begin(), lines.end(),
                     [row](const RecordLine& l) { return l.row == row && l.verdict != Verdict::not_rated; });
}

std::vector<int> WalkRecord::fault_rows() const {
  std::vector<int> rows;
  for (const RecordLine& line : lines) {
    if (line.verdict == Verdict::fault) rows.push_back(line.row);
  }
  return rows;
}

void WalkRecord::take(RecordLine line) {
  const auto place_in_plan = [this](int row) {
    return std::find(header.rows.begin(), header.rows.end(), row) - header.rows.begin();
  };
  const auto same = std::find_if(lines.begin(), lines.end(), [&](const RecordLine& l) { return l.row == line.row; });
  if (same != lines.end()) {
    *same = std::move(line);
    return;
  }
  const auto after = std::find_if(lines.begin(), lines.end(), [&](const RecordLine& l) {
    return place_in_plan(l.row) > place_in_plan(line.row);
  });
  lines.insert(after, std::move(line));
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

RecordHeader new_record_header(const std::string& file_name, const ConfigMatrix& matrix, int differing_cells,
                               const std::string& tool_version, const std::string& engineer,
                               const ProjectNames& names, const std::vector<int>& rows) {
  RecordHeader header;
  header.configuration_file = file_name;
  header.sha256 = sha256_hex(matrix.bytes());
  header.differing_cells = differing_cells;
  header.tool_version = tool_version;
  header.engineer = engineer;
  header.site = names.site;
  header.started = iso8601_local_time(std::time(nullptr));
  header.rows = rows;
  return header;
}

std::string readback_result_text(int differing_cells) {
  if (differing_cells == 0) return "Konfiguracja w module zgodna z plikiem.";
  if (differing_cells == kNoValidConfiguration) return kReadbackStatusInvalid;
  return verify_status_text(static_cast<std::size_t>(differing_cells));
}

std::string record_time_text(const std::string& iso8601) {
  // "2026-12-07T14:03:11+01:00"
  if (iso8601.size() < 19 || iso8601[10] != 'T') return iso8601;
  return iso8601.substr(0, 10) + " " + iso8601.substr(11, 8);
}
