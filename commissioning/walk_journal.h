// SPDX-License-Identifier: MIT
#pragma once
// The journal: records on the disk as they grow, one JSON object per line
// (UTF-8, LF), each line flushed to the disk before the walk goes on, so a
// crash, a flat battery or an unplug loses at most the verdict being given.
//
//   {"type":"start","format":2,...header, plan, module...}  a record begins
//   {"type":"verdict","row":5,"verdict":"OK",...}  a verdict ("nie oceniono": shown on the timer)
//   {"type":"resume","time":...,"module":{...}}   the record goes on in a new session
//   {"type":"end","time":...}                     the session ended (at the walk's end or on Stop)
// and a field test's ({"type":"start","format":3,"kind":"field","unit":-1,...}):
//   {"type":"seen","row":5,"unit":1,...}          the bus reported a planned event first
//   {"type":"finding","finding":"bez lampy",...}  it reported an event beyond the plan
//
// A file may hold several records one after the other (a journal of the
// earlier versions does; a record's folder holds one per file). Each is read
// on its own: a damaged line spoils only the record it belongs to. A line cut
// by a crash is left out when a new start or a resume follows it, or when it
// is the last; two such lines in a row, or one followed by anything else,
// damage their record.
//
// Where a project's records are kept: a folder beside its file, named after
// the whole file name ("hala.zelp" -> "hala.zelp-protokoly"), one file per
// record named by its start. A journal given by name (an earlier version's,
// or one the user chose) is read and written as one file.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commissioning/walk_record.h"

// One record found in a journal: read, or why not.
struct StoredRecord {
  std::filesystem::path file;        // the journal file it is in
  std::optional<WalkRecord> record;  // none when damaged
  std::string damage;                // "Błąd w dzienniku, wiersz 7: ...", UTF-8; empty when read
};

struct JournalReading {
  bool ok = true;
  std::string reason;                // why the journal cannot be read at all, UTF-8
  std::vector<StoredRecord> records;  // oldest first (by position; a folder's files by name)

  // The newest record; null when there is none.
  const StoredRecord* newest() const { return records.empty() ? nullptr : &records.back(); }
};

// The reading rules over one file's text already in memory; `file` goes into each record.
JournalReading parse_walk_journal(std::string_view text, const std::filesystem::path& file = {});

// A journal file, or a folder of record files. Missing: no records. Anything
// that is neither a regular file nor a folder (a FIFO, a device) is refused
// before it is opened; so is a file of the folder (that record is damaged).
// At most kMaxJournalBytes are read of a file.
JournalReading load_walk_journal(const std::filesystem::path& path);
inline constexpr std::uintmax_t kMaxJournalBytes = 16 * 1024 * 1024;

// `hala.zelp` -> `hala.zelp-protokoly`, beside it.
std::filesystem::path records_folder_for(const std::filesystem::path& configuration);
// A journal named by the user is a file when it ends in ".jsonl" or is one; else a folder of records.
bool is_journal_file(const std::filesystem::path& path);

// The lines as written, each with its line end.
std::string journal_start_line(const WalkRecord& record);
std::string journal_verdict_line(int row, const VerdictEntry& verdict);
std::string journal_resume_line(const RecordSession& session);
std::string journal_seen_line(int row, int unit, const std::string& time);
std::string journal_finding_line(const FieldFinding& finding);
std::string journal_end_line(const std::string& time);
// A whole record as its journal would hold it if written at once.
std::string journal_text(const WalkRecord& record);
