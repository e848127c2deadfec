// SPDX-License-Identifier: MIT
#include "gui/field_test_tab.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "config/config_matrix.h"
#include "gui/field_plan_model.h"
#include "gui/record_tab_parts.h"
#include "gui/verdict_controls.h"

FieldTestTab::FieldTestTab(QWidget* parent) : QWidget(parent), range_(QStringLiteral("Field"), this) {
  setObjectName(QStringLiteral("FieldTestTab"));
  unit_ = new QSpinBox(this);
  unit_->setObjectName(QStringLiteral("FieldUnit"));
  unit_->setRange(kAnyUnit, 255);
  unit_->setSpecialValueText(QStringLiteral("wszystkie"));  // shown for kAnyUnit
  unit_->setValue(kAnyUnit);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Od"), range_.first());
  form->addRow(QStringLiteral("Do"), range_.last());
  form->addRow(QStringLiteral("Centrala"), unit_);

  start_ = make_tab_button("FieldStart", QStringLiteral("Start"), this);
  stop_ = make_tab_button("FieldStop", QStringLiteral("Stop"), this);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(start_);
  buttons->addWidget(stop_);
  buttons->addStretch(1);

  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("FieldStatus"));
  status_->setWordWrap(true);
  event_ = new QLabel(this);
  event_->setObjectName(QStringLiteral("FieldEvent"));
  event_->setWordWrap(true);
  QFont bold = event_->font();
  bold.setBold(true);
  event_->setFont(bold);
  verdicts_ = new VerdictControls(this, "Field");

  model_ = new FieldPlanModel(this);
  events_ = make_record_list("FieldEvents", model_,
                             {{FieldPlanModel::kEvent, 120},
                              {FieldPlanModel::kName, 100},
                              {FieldPlanModel::kExpected, 170},
                              {FieldPlanModel::kState, 130},
                              {FieldPlanModel::kUnit, 60},
                              {FieldPlanModel::kSeen, 130}},
                             this);
  tally_ = new QLabel(this);
  tally_->setObjectName(QStringLiteral("FieldTally"));
  findings_ = new QListWidget(this);
  findings_->setObjectName(QStringLiteral("FieldFindings"));
  findings_->setMaximumHeight(90);
  findings_->setFocusPolicy(Qt::NoFocus);  // the keys stay with the plan

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  layout->addWidget(status_);
  layout->addWidget(event_);
  layout->addLayout(verdicts_->makeRow());
  layout->addWidget(events_, 1);
  layout->addWidget(tally_);
  layout->addWidget(new QLabel(QStringLiteral("Poza planem"), this));
  layout->addWidget(findings_);

  connect(start_, &QPushButton::clicked, this, &FieldTestTab::startRequested);
  connect(stop_, &QPushButton::clicked, this, &FieldTestTab::stopRequested);
  connect(verdicts_, &VerdictControls::verdictGiven, this, [this](bool ok, const QString& comment) {
    if (selected_row_ >= 0) emit verdictGiven(selected_row_, ok, comment);
  });
  connect(events_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (!current.isValid()) return;  // a reset keeps the line
            selected_row_ = model_->rowAt(current.row());
            updateVerdictControls();
          });
  connect(events_, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
    setFocus(Qt::OtherFocusReason);  // Return rates the line chosen
    if (const int row = model_->rowAt(index.row()); row >= 0) emit eventChosen(row);
  });

  // Only while the test runs: before it, Up and Down belong to "Od", "Do" and "Centrala".
  for (const auto& [key, step] : {std::pair{Qt::Key_Up, -1}, {Qt::Key_Down, 1}}) {
    auto* shortcut = new QShortcut(QKeySequence(key), this);
    shortcut->setContext(Qt::WindowShortcut);  // wherever the focus is in the board window
    connect(shortcut, &QShortcut::activated, this, [this, step] {
      if (isVisible()) moveSelection(step);
    });
    arrows_.push_back(shortcut);
  }
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WindowShortcut);
  connect(escape, &QShortcut::activated, this, [this] {
    if (isVisible()) verdicts_->takeBackComment();
  });

  setFocusPolicy(Qt::ClickFocus);
  setDefaultRange(ConfigMatrix::kFirstAddressRow);
  setRunning(false);
}

void FieldTestTab::setDefaultRange(int selected_row) { range_.setDefault(selected_row); }
void FieldTestTab::setRange(int first_row, int last_row) { range_.set(first_row, last_row); }
int FieldTestTab::firstRow() const { return range_.firstRow(); }
int FieldTestTab::lastRow() const { return range_.lastRow(); }
int FieldTestTab::unit() const { return unit_->value(); }
void FieldTestTab::setUnit(int unit) { unit_->setValue(unit); }

void FieldTestTab::setRunning(bool running) {
  running_ = running;
  for (QWidget* before : std::initializer_list<QWidget*>{range_.first(), range_.last(), unit_, start_}) before->setEnabled(!running);
  stop_->setEnabled(running);
  for (QShortcut* arrow : arrows_) arrow->setEnabled(running);
  if (!running) event_->clear();
  updateVerdictControls();
  if (running) setFocus(Qt::OtherFocusReason);
}

void FieldTestTab::setStatus(const QString& text) { status_->setText(text); }

void FieldTestTab::showSeenEvent(int row, const QString& text) {
  event_->setText(text);
  // A fault's comment being typed stays with the line it was opened for.
  if (model_->lineOf(row) >= 0 && !verdicts_->comment()->hasFocus()) selectRow(row);
}

void FieldTestTab::showRecord(const std::optional<WalkRecord>& record) {
  model_->setRecord(record);
  tally_->setText(record ? QString::fromStdString(field_tally_text(record->summary())) : QString());
  findings_->clear();
  if (record) {
    for (const FieldFinding& finding : record->findings) findings_->addItem(field_finding_text(finding));
  }
  selectRow(selected_row_);  // the list was made anew
  updateVerdictControls();
}

void FieldTestTab::selectRow(int row) {
  if (!select_record_line(events_, *model_, row)) {
    selected_row_ = -1;
    return;
  }
  selected_row_ = row;
  updateVerdictControls();
}

void FieldTestTab::moveSelection(int step) {
  const int lines = model_->rowCount();
  if (lines == 0) return;
  const int line = model_->lineOf(selected_row_);
  const int row = model_->rowAt(line < 0 ? 0 : std::clamp(line + step, 0, lines - 1));
  selectRow(row);
  emit eventChosen(row);  // the board shows the event being rated
}

// Only an event the bus reported takes a verdict.
void FieldTestTab::updateVerdictControls() {
  const int line = model_->lineOf(selected_row_);
  verdicts_->setOpen(running_ && line >= 0 && model_->record()->lines[static_cast<std::size_t>(line)].shown());
}
