// SPDX-License-Identifier: MIT
#include "gui/walk_record_model.h"

#include <QColor>
#include <QStringList>

namespace {

QString qt_text(const std::string& utf8) { return QString::fromStdString(utf8); }

// "Błąd 2026-12-07 14:02:10 – lampa 3 miga wolno"
QString verdict_entry_text(const VerdictEntry& entry) {
  QString text = qt_text(verdict_text(entry.verdict)) + u' ' + qt_text(record_time_text(entry.time));
  if (!entry.comment.empty()) text += QStringLiteral(" – ") + qt_text(entry.comment);
  return text;
}

// The verdict column: the last verdict, "nie oceniono" for an event shown
// without one, nothing for an event not shown yet.
QString verdict_column_text(const RecordLine& line) {
  return line.shown() || line.rated() ? qt_text(verdict_text(line.verdict)) : QString();
}

}  // namespace

WalkRecordModel::WalkRecordModel(QObject* parent)
    : RecordLinesModel({QStringLiteral("Zdarzenie"), QStringLiteral("Nazwa"), QStringLiteral("Oczekiwane"),
                        QStringLiteral("Ocena"), QStringLiteral("Uwagi"), QStringLiteral("Czas")},
                       parent) {}

QVariant WalkRecordModel::lineData(const RecordLine& line, int column, int role) const {
  if (role == Qt::DisplayRole) {
    switch (column) {
      case kVerdict: return verdict_column_text(line);
      case kComment: return qt_text(line.comment);
      case kTime: return line.shown() ? qt_text(record_time_text(line.time)) : QString();
      default: return {};
    }
  }
  if (role == Qt::ToolTipRole) {
    if (column == kEvent && line.by_hand()) return qt_text(by_hand_step_text(line.row));
    if (column == kVerdict && !line.earlier.empty()) {
      QStringList history;
      for (const VerdictEntry& entry : line.earlier) history << verdict_entry_text(entry);
      history << verdict_entry_text({line.verdict, line.comment, line.time});
      return history.join(u'\n');
    }
    return {};
  }
  if (role == Qt::BackgroundRole && line.verdict == Verdict::fault) return QColor(255, 190, 190);
  return {};
}

QString walk_tally_text(const RecordSummary& summary) {
  return QString::fromUtf8("OK %1, błędy %2, bez oceny %3, zostało %4")
      .arg(summary.ok)
      .arg(summary.faults)
      .arg(summary.not_rated)
      .arg(summary.not_walked);
}
