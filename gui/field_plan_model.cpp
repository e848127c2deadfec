// SPDX-License-Identifier: MIT
#include "gui/field_plan_model.h"

#include <QColor>

#include "config/name_text.h"

namespace {

QString qt_text(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

FieldPlanModel::FieldPlanModel(QObject* parent) : QAbstractTableModel(parent) {}

void FieldPlanModel::setRecord(const std::optional<WalkRecord>& record) {
  beginResetModel();
  record_ = record;
  endResetModel();
}

int FieldPlanModel::lineOf(int row) const {
  if (!record_) return -1;
  for (std::size_t line = 0; line < record_->lines.size(); ++line) {
    if (record_->lines[line].row == row) return static_cast<int>(line);
  }
  return -1;
}

int FieldPlanModel::rowAt(int line) const {
  if (line < 0 || line >= rowCount()) return -1;
  return record_->lines[static_cast<std::size_t>(line)].row;
}

int FieldPlanModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !record_ ? 0 : static_cast<int>(record_->lines.size());
}

int FieldPlanModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant FieldPlanModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const RecordLine& line = record_->lines[static_cast<std::size_t>(index.row())];
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
