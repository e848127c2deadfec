// SPDX-License-Identifier: MIT
#pragma once
// What the window's commissioning tests (the walk, the field test) share of
// their record: the records of the grid's file, kept beside it
// (records_folder_for()), read before a test; a damaged newest record named
// and left alone; an unfinished record of the grid's table offered to go on
// with; on the test's connection the module read back, so that every
// session carries its own read-back, greeting and USB identity, and a test
// against another table or none asked about; then the record begun or
// resumed through CommissioningRecord, and every entry on the disk before
// the test moves on. A test only starts over a saved file.

#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "commissioning/walk_record.h"
#include "config/config_matrix.h"
#include "config/project_names.h"

class CommissioningRecord;
class USB_protocol;

class RecordKeeper {
 public:
  struct Sources {
    std::function<const ConfigMatrix&()> grid;
    std::function<ProjectNames()> names;           // the project's names; empty without a project
    std::function<QString()> configuration_file;   // the file the grid was saved to, empty when none
    std::function<QString()> engineer;
    std::function<bool(const QString& question)> ask;  // yes or no
    std::function<void(const QString& text)> warn;
    std::function<void(const QString& status)> status;
  };

  // `test_name` names the test in its questions: "Test po kolei", "Próba z obiektu".
  RecordKeeper(Sources sources, RecordKind kind, QString test_name);
  ~RecordKeeper();
  RecordKeeper(const RecordKeeper&) = delete;
  RecordKeeper& operator=(const RecordKeeper&) = delete;

  const Sources& sources() const { return sources_; }
  // The folder of the records of the grid's file; empty when it has none.
  std::filesystem::path journalPath() const;
  std::string tableSha256() const;

  // The grid's file's records read; false, after saying why, when none can be kept.
  bool readRecords();
  // After readRecords(): a damaged newest record named, and an unfinished
  // record of this kind of the grid's table offered through `question`.
  // The record the user chose to go on with; null for a new one.
  const WalkRecord* offerUnfinished(bool with_verdicts,
                                    const std::function<QString(const WalkRecord& unfinished)>& question);

  enum class Continuation { none, unfinished, faults };
  // Makes the new record of a test from the module's reading and the time.
  using NewRecord = std::function<WalkRecord(const ModuleReading& module, const std::string& time)>;
  // On the test's connection, before it starts: the module read back (a
  // differing table asked about), then the record begun (`fresh`), resumed
  // or reopened. False, its reason given, when the test must not start.
  bool beginSession(USB_protocol& protocol, Continuation continuation, bool with_verdicts, const NewRecord& fresh);
  // False when `error` says an entry was not written; the user is told once a session.
  bool written(const std::string& error);
  // The session ends, when one is open; false when its end was not written.
  bool endSession();

  // The record being written, null before the first readRecords().
  CommissioningRecord* current() const { return record_.get(); }
  bool open() const;
  // The record of the last test, or the newest one of this kind of the grid's file.
  std::optional<WalkRecord> record() const;

 private:
  Sources sources_;
  RecordKind kind_;
  QString testName_;
  std::unique_ptr<CommissioningRecord> record_;  // over the grid's file's records, from the last test on
  bool failed_ = false;  // an entry of this session could not be written, and the user was told
};
