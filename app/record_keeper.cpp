// SPDX-License-Identifier: MIT
#include "app/record_keeper.h"

#include <utility>

#include "commissioning/commissioning_record.h"
#include "config/operation_view.h"
#include "config/sha256.h"
#include "text/utf8_path.h"

namespace {

QString qt_text(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

RecordKeeper::RecordKeeper(Sources sources, RecordKind kind, QString test_name)
    : sources_(std::move(sources)), kind_(kind), testName_(std::move(test_name)) {}

RecordKeeper::~RecordKeeper() = default;

std::filesystem::path RecordKeeper::journalPath() const {
  const QString file = sources_.configuration_file();
  return file.isEmpty() ? std::filesystem::path() : records_folder_for(utf8_path(file.toStdString()));
}

std::string RecordKeeper::tableSha256() const { return sha256_hex(sources_.grid().bytes()); }

bool RecordKeeper::readRecords() {
  const std::filesystem::path path = journalPath();
  if (path.empty()) {  // the window saves first; a test started otherwise has nothing to name
    sources_.warn(QString::fromUtf8("Protokół testu wskazuje plik konfiguracji: zapisz konfigurację przed testem."));
    return false;
  }
  record_ = std::make_unique<CommissioningRecord>(path);
  if (const JournalReading& reading = record_->reading(); !reading.ok) {
    sources_.warn(QString::fromUtf8("Nie można odczytać protokołów z\n%1\n\n%2")
                      .arg(qt_text(path_utf8(path)), qt_text(reading.reason)));
    return false;
  }
  return true;
}

const WalkRecord* RecordKeeper::offerUnfinished(bool with_verdicts,
                                                const std::function<QString(const WalkRecord&)>& question) {
  // Nothing is appended to a record that could not be read whole.
  if (const std::string damage = record_->newest_damage(); !damage.empty()) {
    sources_.warn(QString::fromUtf8("Ostatni protokół tego pliku jest uszkodzony i nie będzie kontynuowany; "
                                    "test rozpocznie nowy protokół.\n\n%1")
                      .arg(qt_text(damage)));
  }
  const WalkRecord* unfinished = record_->unfinished(tableSha256(), with_verdicts, kind_);
  if (unfinished == nullptr || !sources_.ask(question(*unfinished))) return nullptr;
  return unfinished;
}

// A test against a module that holds another table, or none, proves
// nothing; a quick look at the board may still be wanted, so it is asked.
bool RecordKeeper::beginSession(USB_protocol& protocol, Continuation continuation, bool with_verdicts,
                                const NewRecord& fresh) {
  failed_ = false;
  const OperationView view{[this](std::string_view utf8) { sources_.status(qt_text(std::string(utf8))); },
                           [](int) {}};
  const ModuleCheck check = check_module(protocol, sources_.grid(), view);
  if (!check.read) return false;  // the connection's fault, its status given
  if (const int differing = check.module.differing_cells; differing != 0) {
    const QString question = qt_text(readback_result_text(differing)) + u'\n' + testName_ +
                             QString::fromUtf8(" sprawdzi wtedy inną tablicę niż edytowana. Mimo to rozpocząć?");
    if (!sources_.ask(question)) return false;
  }

  const std::string time = record_time_now();
  std::string error;
  switch (continuation) {
    case Continuation::unfinished:
      error = record_->resume(tableSha256(), with_verdicts, check.module, time, kind_);
      break;
    case Continuation::faults:
      error = record_->reopen(tableSha256(), check.module, time);
      break;
    case Continuation::none:
      error = record_->begin(fresh(check.module, time));
      break;
  }
  return written(error);
}

bool RecordKeeper::written(const std::string& error) {
  if (error.empty()) return true;
  if (!std::exchange(failed_, true)) {
    // Unrecorded checks count as not done: the caller stops the test.
    sources_.warn(QString::fromUtf8("Nie można zapisać protokołu do pliku\n%1\n\n%2")
                      .arg(qt_text(path_utf8(record_->path())), qt_text(error)));
  }
  return false;
}

bool RecordKeeper::endSession() {
  if (!open()) return true;
  return written(record_->end(record_time_now()));
}

bool RecordKeeper::open() const { return record_ && record_->open(); }

std::optional<WalkRecord> RecordKeeper::record() const {
  // A test's record stays its own while it runs, also if the grid is saved under another name.
  const std::filesystem::path path = journalPath();
  if (record_ && record_->record() && record_->record()->header.kind == kind_ &&
      (record_->open() || record_->path() == path))
    return record_->record();
  if (path.empty()) return std::nullopt;
  const JournalReading reading = load_walk_journal(path);
  for (auto stored = reading.records.rbegin(); stored != reading.records.rend(); ++stored) {
    if (!stored->record) {
      if (stored == reading.records.rbegin()) return std::nullopt;  // the newest damaged: none to show
      continue;
    }
    if (stored->record->header.kind == kind_) return stored->record;
  }
  return std::nullopt;
}
