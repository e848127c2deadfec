// SPDX-License-Identifier: MIT
// Reading a journal: any text gives records each read or refused with the
// line named; a record read, written again, reads back the same.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "commissioning/walk_journal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const JournalReading reading = parse_walk_journal({reinterpret_cast<const char*>(data), size});
  if (!reading.ok) std::abort();  // text in memory is never unreadable as a whole
  for (const StoredRecord& stored : reading.records) {
    if (!stored.record) {
      if (!stored.damage.starts_with("Błąd w dzienniku, wiersz ")) std::abort();
      continue;
    }
    const WalkRecord& record = *stored.record;
    const JournalReading again = parse_walk_journal(journal_text(record));
    if (again.records.size() != 1 || !again.records[0].record) std::abort();
    const WalkRecord& copy = *again.records[0].record;
    if (!(copy.header == record.header) || !(copy.lines == record.lines) || !(copy.findings == record.findings) ||
        copy.sessions.size() != record.sessions.size())
      std::abort();
    const RecordSummary summary = record.summary();
    if (summary.ok + summary.faults + summary.not_rated != summary.walked ||
        summary.walked + summary.not_walked != static_cast<int>(record.lines.size()))
      std::abort();
  }
  return 0;
}
