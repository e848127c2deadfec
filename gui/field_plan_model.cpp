// SPDX-License-Identifier: MIT
#include "gui/field_plan_model.h"

#include <QColor>

#include "config/name_text.h"

namespace {

QString qt_text(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

FieldPlanModel::FieldPlanModel(QObject* parent) : RecordLinesModel(parent) {}

int FieldPlanModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant FieldPlanModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const RecordLine& line = lineAt(index);
  if (role == Qt::DisplayRole) {
    switch (index.column()) {
      case kEvent: return qt_text(line.label);
      case kName: return qt_text(line.name);
      case kExpected: return qt_text(line.expected);
      case kState: return QString::fromUtf8(field_state_text(line));
      case kUnit: return line.shown() && line.unit != kAnyUnit ? QString::number(line.unit) : QString();
      case kSeen: return qt_text(record_time_text(line.seen));
      case kComment: return qt_text(line.comment);
      default: return {};
    }
  }
  if (role == Qt::ToolTipRole && index.column() == kExpected) return qt_text(line.expected);
  if (role == Qt::BackgroundRole) {
    if (line.verdict == Verdict::fault) return QColor(255, 190, 190);
    if (line.verdict == Verdict::ok) return QColor(200, 235, 200);
  }
  return {};
}

QVariant FieldPlanModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
    return QAbstractTableModel::headerData(section, orientation, role);
  switch (section) {
    case kEvent: return QStringLiteral("Zdarzenie");
    case kName: return QStringLiteral("Nazwa");
    case kExpected: return QStringLiteral("Oczekiwane");
    case kState: return QStringLiteral("Stan");
    case kUnit: return QStringLiteral("Centrala");
    case kSeen: return QStringLiteral("Widziano");
    case kComment: return QStringLiteral("Uwagi");
    default: return {};
  }
}

QString field_finding_text(const FieldFinding& finding) {
  return qt_text(std::string(finding_kind_text(finding.kind)) + ": " + with_name(finding.label, finding.name) +
                 ", centrala " + std::to_string(finding.unit) + ", " + record_time_text(finding.time));
}
