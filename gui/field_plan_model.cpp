// SPDX-License-Identifier: MIT
#include "gui/field_plan_model.h"

#include <QColor>

#include "config/name_text.h"

namespace {

QString qt_text(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

FieldPlanModel::FieldPlanModel(QObject* parent)
    : RecordLinesModel({QStringLiteral("Zdarzenie"), QStringLiteral("Nazwa"), QStringLiteral("Oczekiwane"),
                        QStringLiteral("Stan"), QStringLiteral("Centrala"), QStringLiteral("Widziano"),
                        QStringLiteral("Uwagi")},
                       parent) {}

QVariant FieldPlanModel::lineData(const RecordLine& line, int column, int role) const {
  if (role == Qt::DisplayRole) {
    switch (column) {
      case kState: return QString::fromUtf8(field_state_text(line));
      case kUnit: return line.shown() && line.unit != kAnyUnit ? QString::number(line.unit) : QString();
      case kSeen: return qt_text(record_time_text(line.seen));
      case kComment: return qt_text(line.comment);
      default: return {};
    }
  }
  if (role == Qt::BackgroundRole) {
    if (line.verdict == Verdict::fault) return QColor(255, 190, 190);
    if (line.verdict == Verdict::ok) return QColor(200, 235, 200);
  }
  return {};
}

QString field_finding_text(const FieldFinding& finding) {
  return qt_text(std::string(finding_kind_text(finding.kind)) + ": " + with_name(finding.label, finding.name) +
                 ", centrala " + std::to_string(finding.unit) + ", " + record_time_text(finding.time));
}
