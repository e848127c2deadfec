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

}  // namespace

std::string walk_protocol_csv(const WalkRecord& record) {
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
