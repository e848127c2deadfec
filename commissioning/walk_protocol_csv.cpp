// SPDX-License-Identifier: MIT
#include "commissioning/walk_protocol_csv.h"

#include "config/config_csv.h"
#include "config/durable_save.h"

namespace {

// A line of the event `line` with one of its verdicts; an event checked by
// hand says so in its remarks.
std::string csv_line(const RecordLine& line, const VerdictEntry& verdict) {
  std::string remarks = verdict.comment;
  if (line.by_hand()) remarks = remarks.empty() ? "sprawdzone ręcznie" : "sprawdzone ręcznie – " + remarks;
  return csv_field(record_time_text(verdict.time)) + ";" + std::to_string(line.row) + ";" + csv_field(line.label) +
         ";" + csv_field(line.name) + ";" + csv_field(line.expected) + ";" + verdict_text(verdict.verdict) + ";" +
         csv_field(remarks) + "\r\n";
}

// A planned event of a field test with its state and one of its verdicts.
std::string field_csv_line(const RecordLine& line, const char* state, const VerdictEntry& verdict) {
  const std::string unit = line.unit == kAnyUnit ? std::string() : std::to_string(line.unit);
  return std::to_string(line.row) + ";" + csv_field(line.label) + ";" + csv_field(line.name) + ";" +
         csv_field(line.expected) + ";" + state + ";" + (line.shown() ? verdict_text(verdict.verdict) : "") + ";" +
         csv_field(verdict.comment) + ";" + csv_field(line.rated() ? record_time_text(verdict.time) : "") + ";" +
         csv_field(record_time_text(line.seen)) + ";" + unit + "\r\n";
}

// What the bus reported beyond the plan: it lights nothing, or it is another unit's.
std::string finding_csv_line(const FieldFinding& finding) {
  return std::to_string(finding.row) + ";" + csv_field(finding.label) + ";" + csv_field(finding.name) + ";" +
         (finding.kind == FindingKind::no_lamp ? "nic" : "") + ";" + finding_kind_text(finding.kind) + ";;;;" +
         csv_field(record_time_text(finding.time)) + ";" + std::to_string(finding.unit) + "\r\n";
}

std::string field_protocol_csv(const WalkRecord& record) {
  std::string text(kUtf8ByteOrderMark);
  text += "wiersz;zdarzenie;nazwa;oczekiwane;stan;ocena;uwagi;czas oceny;widziano;centrala\r\n";
  for (const RecordLine& line : record.lines) {
    for (const VerdictEntry& earlier : line.earlier) text += field_csv_line(line, verdict_text(earlier.verdict), earlier);
    text += field_csv_line(line, field_state_text(line), {line.verdict, line.comment, line.time});
  }
  for (const FieldFinding& finding : record.findings) text += finding_csv_line(finding);
  return text;
}

}  // namespace

std::string walk_protocol_csv(const WalkRecord& record) {
  if (record.field()) return field_protocol_csv(record);
  std::string text(kUtf8ByteOrderMark);
  text += "czas;wiersz;zdarzenie;nazwa;oczekiwane;ocena;uwagi\r\n";
  for (const RecordLine& line : record.lines) {
    if (!line.shown()) continue;
    for (const VerdictEntry& earlier : line.earlier) text += csv_line(line, earlier);
    text += csv_line(line, {line.verdict, line.comment, line.time});
  }
  return text;
}

FileResult save_walk_protocol_csv(const std::filesystem::path& path, const WalkRecord& record) {
  const std::string text = walk_protocol_csv(record);
  return save_text_durably(path, text);
}
