// SPDX-License-Identifier: MIT
#pragma once
// The whole life of a commissioning record, for the window and zel17-cli
// alike: the journal read before the walk, the unfinished record of the same
// file that may go on, a new record begun or the old one resumed with the
// module's read-back of this session, each event shown and rated, the end.
// Every entry is on the disk before its call returns; a call that could not
// write says why (UTF-8) and changes nothing.
//
// The record is bound to what it checks: it is begun over a file's table and
// its SHA-256, and goes on only over a table with the same SHA-256. Nothing
// is appended to a record that could not be read whole.

#include <filesystem>
#include <optional>
#include <string>

#include "commissioning/walk_journal.h"
#include "config/appended_file.h"

class ConfigMatrix;
class USB_protocol;
struct OperationView;

class CommissioningRecord {
 public:
  // Over the journal `path` (a folder of records or a journal file, see
  // walk_journal.h), read now; see reading().
  explicit CommissioningRecord(std::filesystem::path path);
  CommissioningRecord(const CommissioningRecord&) = delete;
  CommissioningRecord& operator=(const CommissioningRecord&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The journal as it was before this walk. When it cannot be read at all
  // (not a file or a folder, unreadable), nothing is begun either.
  const JournalReading& reading() const { return reading_; }

  // The newest record, when it is a `kind` of the table with this SHA-256
  // and some event is left (with verdicts: without one; on the timer, or a
  // field test's: not shown or seen); null otherwise, also when the newest
  // record is damaged.
  const WalkRecord* unfinished(const std::string& sha256, bool with_verdicts,
                               RecordKind kind = RecordKind::walk) const;
  // The newest record when it is damaged: why ("Błąd w dzienniku, wiersz 7: ..."); else empty.
  std::string newest_damage() const;

  // A new record (new_record() in walk_record.h); in a folder its own file.
  std::string begin(WalkRecord record);
  // Goes on with unfinished(): a new session with its own read-back.
  std::string resume(const std::string& sha256, bool with_verdicts, const ModuleReading& module,
                     const std::string& time, RecordKind kind = RecordKind::walk);
  // Goes on with the newest record of the table with this SHA-256, finished
  // or not, to rate some of its events again ("Powtórz błędne"): a new
  // session with its own read-back; the earlier verdicts stay in its history.
  std::string reopen(const std::string& sha256, const ModuleReading& module, const std::string& time);
  // An event shown on the timer; nothing is written over a verdict.
  std::string show(int row, const std::string& time);
  // A field test's event is rated once the bus reported it.
  std::string rate(int row, Verdict verdict, const std::string& comment, const std::string& time);

  // A field test: an event that began on the bus, of control unit `unit`;
  // `matrix` and `names` are the ones the record was begun over. A planned
  // event is marked seen, a finding kept, each once.
  struct SeenResult {
    Sighting sighting = Sighting::outside_plan;
    std::string failure;  // why it could not be written; empty when it was
  };
  SeenResult see(const ConfigMatrix& matrix, const ProjectNames& names, int row, int unit, const std::string& time);
  // The session ends; later calls write nothing until the next begin or resume.
  std::string end(const std::string& time);

  // Begun or resumed, and not ended.
  bool open() const { return file_.has_value(); }
  // The record being written, or the last one written.
  const std::optional<WalkRecord>& record() const { return record_; }

 private:
  std::string open_file(const std::filesystem::path& file);
  // A new session of `record`, the newest of the journal.
  std::string go_on(const WalkRecord& record, const ModuleReading& module, const std::string& time);
  std::string append(const std::string& line);

  std::filesystem::path path_;
  JournalReading reading_;
  std::optional<AppendedFile> file_;
  std::optional<WalkRecord> record_;
};

// What the module of a session is and holds: its table read back and
// compared with `file_table`, its greeting, its USB identity. `outcome` says
// whether the read-back worked (ReadbackOutcome of config/readback_runner.h).
struct ModuleCheck {
  bool read = false;  // false: the connection failed, its status given through `view`
  ModuleReading module;
};
ModuleCheck check_module(USB_protocol& protocol, const ConfigMatrix& file_table, const OperationView& view);

// The local time now, as records write it.
std::string record_time_now();
