// SPDX-License-Identifier: MIT
#include "gui/walk_tab.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QDoubleSpinBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QTableView>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "config/config_matrix.h"
#include "gui/record_tab_parts.h"
#include "gui/verdict_controls.h"
#include "gui/walk_record_model.h"

WalkTab::WalkTab(QWidget* parent) : QWidget(parent), range_(QStringLiteral("Walk"), this) {
  setObjectName(QStringLiteral("WalkTab"));
  dwell_ = new QDoubleSpinBox(this);
  dwell_->setObjectName(QStringLiteral("WalkDwell"));
  dwell_->setRange(0.5, 60.0);
  dwell_->setDecimals(1);
  dwell_->setSingleStep(0.5);
  dwell_->setValue(3.0);
  dwell_->setSuffix(QStringLiteral(" s"));

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Od"), range_.first());
  form->addRow(QStringLiteral("Do"), range_.last());
  form->addRow(QStringLiteral("Czas na zdarzenie"), dwell_);
  wait_ = new QCheckBox(QString::fromUtf8("Czekaj na ocenę"), this);
  wait_->setObjectName(QStringLiteral("WalkWaitForVerdict"));
  form->addRow(QString(), wait_);
  engineer_ = new QLineEdit(this);
  engineer_->setObjectName(QStringLiteral("WalkEngineer"));
  form->addRow(QString::fromUtf8("Sprawdzający"), engineer_);
  auto* by_hand = new QHBoxLayout;
  for (int row = kFirstByHandRow; row <= kLastByHandRow; ++row) {
    auto* check = new QCheckBox(QString::fromStdString(row_label(row)), this);
    check->setObjectName(QStringLiteral("WalkByHand%1").arg(row));
    check->setToolTip(QString::fromUtf8(by_hand_step_text(row)));
    byHand_.push_back(check);
    by_hand->addWidget(check);
  }
  by_hand->addStretch(1);
  form->addRow(QString::fromUtf8("Sprawdzane ręcznie"), by_hand);

  start_ = make_tab_button("WalkStart", QStringLiteral("Start"), this);
  pause_ = make_tab_button("WalkPause", QStringLiteral("Pauza"), this);
  back_ = make_tab_button("WalkBack", QStringLiteral("Wstecz"), this);
  next_ = make_tab_button("WalkNext", QStringLiteral("Dalej"), this);
  stop_ = make_tab_button("WalkStop", QStringLiteral("Stop"), this);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* button : {start_, pause_, back_, next_, stop_}) buttons->addWidget(button);

  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("WalkStatus"));
  status_->setWordWrap(true);

  expected_ = new QLabel(this);
  expected_->setObjectName(QStringLiteral("WalkExpected"));
  expected_->setWordWrap(true);
  verdicts_ = new VerdictControls(this, "Walk");
  byHandStep_ = new QLabel(this);
  byHandStep_->setObjectName(QStringLiteral("WalkByHandStep"));
  byHandStep_->setWordWrap(true);
  QFont step_font = byHandStep_->font();
  step_font.setBold(true);
  byHandStep_->setFont(step_font);

  model_ = new WalkRecordModel(this);
  events_ = make_record_list("WalkEvents", model_,
                             {{WalkRecordModel::kEvent, 120},
                              {WalkRecordModel::kName, 110},
                              {WalkRecordModel::kExpected, 190},
                              {WalkRecordModel::kVerdict, 80},
                              {WalkRecordModel::kComment, 140}},
                             this);
  verdicts_->setList(events_);
  tally_ = new QLabel(this);
  tally_->setObjectName(QStringLiteral("WalkTally"));

  protocol_ = make_tab_button("WalkProtocol", QString::fromUtf8("Protokół..."), this);
  repeat_ = make_tab_button("WalkRepeatFaults", QString::fromUtf8("Powtórz błędne"), this);
  auto* record = new QHBoxLayout;
  record->addWidget(protocol_);
  record->addWidget(repeat_);
  record->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  layout->addWidget(status_);
  layout->addWidget(expected_);
  layout->addWidget(byHandStep_);
  layout->addLayout(verdicts_->makeRow());
  layout->addWidget(events_, 1);
  layout->addWidget(tally_);
  layout->addLayout(record);

  connect(start_, &QPushButton::clicked, this, &WalkTab::startRequested);
  connect(pause_, &QPushButton::clicked, this, &WalkTab::pauseToggled);
  connect(back_, &QPushButton::clicked, this, &WalkTab::backRequested);
  connect(next_, &QPushButton::clicked, this, &WalkTab::nextRequested);
  connect(stop_, &QPushButton::clicked, this, &WalkTab::stopRequested);

  connect(verdicts_, &VerdictControls::verdictGiven, this, &WalkTab::verdictGiven);
  // Return on a line of the record goes to its event.
  connect(verdicts_, &VerdictControls::lineChosen, this, &WalkTab::chooseEvent);
  connect(protocol_, &QPushButton::clicked, this, &WalkTab::protocolRequested);
  connect(repeat_, &QPushButton::clicked, this, &WalkTab::repeatFaultsRequested);
  connect(events_, &QAbstractItemView::clicked, this, &WalkTab::chooseEvent);

  const auto key = [this](Qt::Key key, void (WalkTab::*request)()) {
    auto* shortcut = new QShortcut(QKeySequence(key), this);
    shortcut->setContext(Qt::WindowShortcut);  // wherever the focus is in the board window
    connect(shortcut, &QShortcut::activated, this, [this, key, request] {
      if (!running_ || !isVisible()) return;
      // The comment taken back, the walk goes on.
      if (key == Qt::Key_Escape && verdicts_->takeBackComment()) return;
      emit(this->*request)();
    });
  };
  key(Qt::Key_Space, &WalkTab::pauseToggled);
  key(Qt::Key_Left, &WalkTab::backRequested);
  key(Qt::Key_Right, &WalkTab::nextRequested);
  key(Qt::Key_Escape, &WalkTab::stopRequested);

  // A running walk takes the keys from the tab bar, which would eat the arrows.
  setFocusPolicy(Qt::ClickFocus);
  setDefaultRange(ConfigMatrix::kFirstAddressRow);
  setRunning(false);
  setFaultsToRepeat(0);
}

void WalkTab::chooseEvent(const QModelIndex& index) {
  const int row = model_->rowAt(index.row());
  if (row < 0) return;
  setFocus(Qt::OtherFocusReason);  // Return rates the event again, the arrows steer
  emit eventChosen(row);
}

std::vector<int> WalkTab::byHandRows() const {
  std::vector<int> rows;
  for (std::size_t i = 0; i < byHand_.size(); ++i) {
    if (byHand_[i]->isChecked()) rows.push_back(kFirstByHandRow + static_cast<int>(i));
  }
  return rows;
}

void WalkTab::setByHandStep(const QString& text) {
  byHandStep_->setText(text.isEmpty() ? QString() : QString::fromUtf8("Sprawdź ręcznie: ") + text);
}

void WalkTab::showRecord(const std::optional<WalkRecord>& record) {
  model_->setRecord(record);
  tally_->setText(record ? walk_tally_text(record->summary()) : QString());
  showCurrentEvent(current_row_);
}

void WalkTab::showCurrentEvent(int row) {
  current_row_ = row;
  select_record_line(events_, *model_, row);
}

void WalkTab::updateVerdictControls() {
  verdicts_->setOpen(running_ && wait_->isChecked());
}

bool WalkTab::waitForVerdict() const { return wait_->isChecked(); }
QString WalkTab::engineer() const { return engineer_->text().trimmed(); }
void WalkTab::setEngineer(const QString& name) { engineer_->setText(name); }

void WalkTab::setExpected(const QString& text) {
  expected_->setText(text.isEmpty() ? QString() : QString::fromUtf8("Oczekiwane: ") + text);
}

void WalkTab::setFaultsToRepeat(int count, const QString& list) {
  faults_ = count;
  repeat_->setToolTip(list);
  repeat_->setEnabled(count > 0 && !running_);
  repeat_->setText(count > 0 ? QString::fromUtf8("Powtórz błędne (%1)").arg(count) : QString::fromUtf8("Powtórz błędne"));
}

void WalkTab::setDefaultRange(int selected_row) { range_.setDefault(selected_row); }
void WalkTab::setRange(int first_row, int last_row) { range_.set(first_row, last_row); }

void WalkTab::setDwellSeconds(double seconds) { dwell_->setValue(seconds); }
double WalkTab::dwellSeconds() const { return dwell_->value(); }

int WalkTab::firstRow() const { return range_.firstRow(); }
int WalkTab::lastRow() const { return range_.lastRow(); }

std::chrono::milliseconds WalkTab::dwell() const {
  return std::chrono::milliseconds(std::lround(dwell_->value() * 1000.0));
}

void WalkTab::setRunning(bool running) {
  running_ = running;
  for (QWidget* before : std::initializer_list<QWidget*>{range_.first(), range_.last(), dwell_, start_, wait_, engineer_, protocol_})
    before->setEnabled(!running);
  for (QCheckBox* by_hand : byHand_) by_hand->setEnabled(!running);
  if (!running) setByHandStep({});
  repeat_->setEnabled(!running && faults_ > 0);
  updateVerdictControls();
  for (QWidget* during : {pause_, back_, next_, stop_}) during->setEnabled(running);
  setPaused(false);
  if (running) setFocus(Qt::OtherFocusReason);
}

void WalkTab::setPaused(bool paused) { pause_->setText(paused ? QString::fromUtf8("Wznów") : QStringLiteral("Pauza")); }

void WalkTab::setStatus(const QString& text) { status_->setText(text); }
