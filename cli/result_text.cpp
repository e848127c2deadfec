// SPDX-License-Identifier: MIT
#include "cli/result_text.h"

#include "config/config_matrix.h"
#include "config/name_text.h"

std::string difference_row(const CellDifference& d, const ProjectNames* names) {
  std::string line = std::to_string(d.row) + "\t" + row_label(d.row) + "\t" + std::to_string(d.column + 1) +
                     "\t" + std::to_string(d.grid_mode) + "\t" + std::to_string(d.other_mode);
  if (names) line += "\t" + address_name_of_row(*names, d.row);
  return line;
}

std::string verdict_row(const RecordLine& line, const ProjectNames* names) {
  std::string text = std::to_string(line.row) + "\t" + line.label + "\t" + verdict_text(line.verdict);
  if (names) return text + "\t" + line.comment + "\t" + address_name_of_row(*names, line.row);
  return line.comment.empty() ? text : text + "\t" + line.comment;
}

std::string one_field(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

std::string record_list_line(int number, const StoredRecord& stored) {
  std::string line = std::to_string(number) + "\t";
  if (!stored.record) return line + "uszkodzony: " + one_field(stored.damage);
  const WalkRecord& record = *stored.record;
  const std::string began = record.sessions.empty() ? std::string() : record.sessions.front().began;
  const RecordSummary summary = record.summary();
  const std::string tally = record.field() ? field_tally_text(summary) + ", OK " + std::to_string(summary.ok) +
                                                 ", błędy " + std::to_string(summary.faults)
                                           : summary_tally_text(summary);
  return line + one_field(record_time_text(began)) + "\t" + one_field(record.header.engineer) + "\t" + tally + "\t" +
         (record.field() ? "próba z obiektu" : "test po kolei");
}

std::string repeat_line(int number, std::string_view summary) {
  return std::to_string(number) + ": " + std::string(summary);
}

std::string closing_count(int modules, int succeeded) {
  return "Moduły: " + std::to_string(modules) + ", poprawnie: " + std::to_string(succeeded) +
         ", z błędem: " + std::to_string(modules - succeeded);
}
