// SPDX-License-Identifier: MIT
#pragma once
// The walk's journal: the record on the disk as it grows, one JSON object
// per line (UTF-8, LF), each line flushed to the disk before the walk goes
// on, so a crash, a flat battery or an unplug loses at most the verdict
// being given.
//
//   {"type":"start", ...the record's header...}   a walk begins a new record
//   {"type":"verdict","row":5,"verdict":"OK",...} a verdict, the last for a row counts
//   {"type":"resume","time":...}                  an unfinished record goes on
//   {"type":"end","time":...}                     the walk ended (at its end or on Stop)
//
// A file may hold several records one after the other; only the last one
// counts, so a walk of another configuration never mixes with an older one.
// A last line cut short (the crash came while it was written) is left out.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "commissioning/walk_record.h"
#include "config/output_file.h"

struct JournalReading {
  bool ok = true;
  std::string reason;               // why the journal cannot be read, UTF-8
  std::optional<WalkRecord> record;  // the last record; none in an empty journal
};

// The reading rules over text already in memory.
JournalReading parse_walk_journal(std::string_view text);
// A missing file is an empty journal. At most kMaxJournalBytes are read.
JournalReading load_walk_journal(const std::filesystem::path& path);
inline constexpr std::uintmax_t kMaxJournalBytes = 16 * 1024 * 1024;

// The journal's last record when it is of the configuration with this
// SHA-256 and some event of its plan has no line yet: a walk can go on with it.
const WalkRecord* unfinished_record(const JournalReading& reading, const std::string& sha256);

// The lines as written, each with its line end.
std::string journal_start_line(const RecordHeader& header);
std::string journal_verdict_line(const RecordLine& line);
std::string journal_mark_line(const char* type, const std::string& time);

// `configuration.zel` -> `configuration-protokol.jsonl`, beside it.
std::filesystem::path journal_path_for(const std::filesystem::path& configuration);

// Keeps the journal's file open and the record it holds; every entry is on
// the disk when its call returns. Calls return why an entry could not be
// written (UTF-8), empty when it was.
class WalkJournal {
 public:
  // Opens (or makes) the file to append to; see error().
  explicit WalkJournal(const std::filesystem::path& path);
  const std::string& error() const { return error_; }
  const std::filesystem::path& path() const { return path_; }

  // A new record: the journal's earlier lines stay but no longer count.
  std::string begin(const RecordHeader& header);
  // Goes on with `record`, the journal's last one, read before.
  std::string resume(WalkRecord record, const std::string& time);
  std::string rate(const RecordLine& line);
  std::string end(const std::string& time);

  const WalkRecord& record() const { return record_; }

 private:
  std::string append(const std::string& line);

  std::filesystem::path path_;
  std::string error_;  // before file_, which its opening fills
  output_file::OutputFile file_;
  bool needs_line_end_ = false;  // the file ends in a line cut short
  WalkRecord record_;
};
