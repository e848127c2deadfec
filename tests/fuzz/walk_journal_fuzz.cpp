// SPDX-License-Identifier: MIT
// Reading a walk's journal: any text either gives the last record, which
// written again reads back the same, or a reason that names the line.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "commissioning/walk_journal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const JournalReading reading = parse_walk_journal({reinterpret_cast<const char*>(data), size});
  if (!reading.ok) {
    if (reading.record || !reading.reason.starts_with("Błąd w dzienniku, wiersz ")) std::abort();
    return 0;
  }
  if (!reading.record) return 0;
  const WalkRecord& record = *reading.record;
  std::string again = journal_start_line(record.header);
  for (const RecordLine& line : record.lines) again += journal_verdict_line(line);
  if (record.closed) again += journal_mark_line("end", record.ended);
  const JournalReading reread = parse_walk_journal(again);
  if (!reread.ok || !reread.record) std::abort();
  WalkRecord copy = *reread.record;
  copy.ended = record.ended;
  if (!(copy == record)) std::abort();
  const RecordSummary summary = record.summary();
  if (summary.ok + summary.faults + summary.not_rated != summary.walked) std::abort();
  return 0;
}
