// SPDX-License-Identifier: MIT
#include "commissioning/walk_protocol_csv.h"

#include "config/config_csv.h"
#include "config/durable_save.h"

std::string walk_protocol_csv(const WalkRecord& record) {
  std::string text(kUtf8ByteOrderMark);
  text += "czas;wiersz;zdarzenie;nazwa;oczekiwane;ocena;uwagi\r\n";
  for (const RecordLine& line : record.lines) {
    if (!line.shown()) continue;
    text += csv_field(record_time_text(line.time)) + ";" + std::to_string(line.row) + ";" + csv_field(line.label) +
            ";" + csv_field(line.name) + ";" + csv_field(line.expected) + ";" + verdict_text(line.verdict) + ";" +
            csv_field(line.comment) + "\r\n";
  }
  return text;
}

FileResult save_walk_protocol_csv(const std::filesystem::path& path, const WalkRecord& record) {
  const std::string text = walk_protocol_csv(record);
  return save_text_durably(path, text);
}
