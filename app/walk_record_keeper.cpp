// SPDX-License-Identifier: MIT
#include "app/walk_record_keeper.h"

#include <QStandardPaths>
#include <ctime>

#include "app/walk_controller.h"
#include "config/readback_runner.h"
#include "config/sha256.h"
#include "text/local_time.h"
#include "text/utf8_path.h"

#ifndef ZEL_VERSION
#define ZEL_VERSION "?"
#endif

namespace {

QString qt_text(const std::string& utf8) { return QString::fromStdString(utf8); }
std::string now() { return iso8601_local_time(std::time(nullptr)); }

std::filesystem::path path_of(const QString& name) { return utf8_path(name.toStdString()); }

}  // namespace

WalkRecordKeeper::WalkRecordKeeper(WalkController* walk, Sources sources, QObject* parent)
    : QObject(parent), walk_(walk), sources_(std::move(sources)) {
  walk_->setBeforeFirstEvent([this](USB_protocol& protocol) { return beforeFirstEvent(protocol); });
  connect(walk_, &WalkController::rowShown, this, &WalkRecordKeeper::rowShown);
  connect(walk_, &WalkController::runningChanged, this, &WalkRecordKeeper::runningChanged);
}

std::filesystem::path WalkRecordKeeper::journalPath() const {
  const QString file = sources_.configuration_file();
  if (!file.isEmpty()) return journal_path_for(path_of(file));
  return path_of(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)) / "konfiguracja-protokol.jsonl";
}

int WalkRecordKeeper::prepare(int& first_row, int& last_row) {
  resume_.reset();
  const JournalReading reading = load_walk_journal(journalPath());
  const WalkRecord* unfinished = unfinished_record(reading, sha256_hex(sources_.grid().bytes()));
  if (unfinished == nullptr || unfinished->header.rows.empty()) return -1;
  const int next_row = unfinished->first_unwalked_row();
  const QString question =
      QString::fromUtf8("Niedokończony protokół tej konfiguracji: sprawdzono %1 z %2 zdarzeń.\nDokończyć od „%3”?")
          .arg(unfinished->summary().walked)
          .arg(unfinished->header.rows.size())
          .arg(qt_text(row_label(next_row)));
  if (!sources_.ask(question)) return -1;
  resume_ = *unfinished;
  first_row = unfinished->header.rows.front();
  last_row = unfinished->header.rows.back();
  return next_row;
}

std::vector<int> WalkRecordKeeper::prepareRepeat() {
  resume_.reset();
  const std::optional<WalkRecord> last = record();
  if (!last || last->header.sha256 != sha256_hex(sources_.grid().bytes())) return {};
  resume_ = *last;
  return last->fault_rows();
}

// A walk against a module that holds another table, or none, proves
// nothing; a quick look at the board may still be wanted, so it is asked.
std::optional<int> WalkRecordKeeper::checkModule(USB_protocol& protocol) {
  const OperationView view{[this](std::string_view utf8) { sources_.status(qt_text(std::string(utf8))); },
                           [](int) {}};
  std::vector<CellDifference> differences;
  const ReadbackOutcome outcome = verify_configuration(protocol, sources_.grid(), view, differences);
  if (outcome == ReadbackOutcome::failed) return std::nullopt;  // the connection's fault, its status given
  const int differing =
      outcome == ReadbackOutcome::invalid ? kNoValidConfiguration : static_cast<int>(differences.size());
  if (differing == 0) return differing;
  const QString question = qt_text(readback_result_text(differing)) +
                           QString::fromUtf8("\nTest po kolei sprawdzi wtedy inną tablicę niż edytowana. Mimo to rozpocząć?");
  if (!sources_.ask(question)) return std::nullopt;
  return differing;
}

bool WalkRecordKeeper::beforeFirstEvent(USB_protocol& protocol) {
  const std::optional<int> differing = checkModule(protocol);
  if (!differing) {
    resume_.reset();
    return false;
  }
  const ConfigMatrix& grid = sources_.grid();
  const std::filesystem::path path = journalPath();
  std::error_code no_folder;  // the data folder of a first walk; a folder that cannot be made fails the open below
  std::filesystem::create_directories(path.parent_path(), no_folder);
  journal_.emplace(path);
  std::string error = journal_->error();
  if (error.empty() && resume_) {
    error = journal_->resume(*resume_, now());
  } else if (error.empty()) {
    const QString file = sources_.configuration_file();
    const std::string name = path_utf8(path_of(file.isEmpty() ? QStringLiteral("(bez pliku)") : file).filename());
    const WalkPlan& plan = *walk_->plan();
    error = journal_->begin(new_record_header(name, grid, *differing, ZEL_VERSION,
                                              sources_.engineer().toStdString(), sources_.names(), plan.rows()));
  }
  resume_.reset();
  if (!error.empty()) {
    journal_.reset();
    sources_.warn(QString::fromUtf8("Nie można zapisać protokołu do pliku\n%1\n\n%2")
                      .arg(qt_text(path_utf8(path)), qt_text(error)));
    return false;
  }
  last_ = journal_->record();
  emit recordChanged();
  return true;
}

void WalkRecordKeeper::rowShown(int row) {
  shown_ = event_line(sources_.grid(), row, sources_.names());
  emit expectedChanged(qt_text(shown_->expected));
  // A walk on its timer records what it showed, but never over a verdict
  // given before (a resumed record, "Powtórz błędne", a step back).
  if (!walk_->waitsForVerdict() && journal_ && !journal_->record().rated(row)) rate(*shown_);
}

void WalkRecordKeeper::giveVerdict(Verdict verdict, const QString& comment) {
  if (!walk_->running() || !shown_) return;
  RecordLine line = *shown_;
  line.verdict = verdict;
  line.comment = comment.toStdString();
  rate(std::move(line));
  if (journal_) walk_->next();
}

void WalkRecordKeeper::rate(RecordLine line) {
  if (!journal_) return;
  line.time = now();
  const std::string error = journal_->rate(line);
  if (!error.empty()) {
    // Unrecorded checks count as not done: the walk stops.
    sources_.warn(QString::fromUtf8("Nie można zapisać oceny do protokołu:\n%1").arg(qt_text(error)));
    journal_.reset();
    walk_->stop();
    return;
  }
  last_ = journal_->record();
  emit recordChanged();
}

void WalkRecordKeeper::runningChanged(bool running) {
  if (running) return;
  shown_.reset();
  emit expectedChanged(QString());
  if (!journal_) return;
  journal_->end(now());
  last_ = journal_->record();
  journal_.reset();
  emit recordChanged();
}

std::optional<WalkRecord> WalkRecordKeeper::record() const {
  if (last_) return last_;
  JournalReading reading = load_walk_journal(journalPath());
  return reading.ok ? reading.record : std::nullopt;
}
