#include "gui/walk_tab.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "config/config_matrix.h"

namespace {

QComboBox* row_picker(const char* name, QWidget* parent) {
  auto* picker = new QComboBox(parent);
  picker->setObjectName(QString::fromLatin1(name));
  for (int row = 0; row < ConfigMatrix::kRows; ++row) picker->addItem(QString::fromStdString(row_label(row)));
  picker->setMaxVisibleItems(20);
  return picker;
}

}  // namespace

WalkTab::WalkTab(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("WalkTab"));
  first_ = row_picker("WalkFirstRow", this);
  last_ = row_picker("WalkLastRow", this);
  dwell_ = new QDoubleSpinBox(this);
  dwell_->setObjectName(QStringLiteral("WalkDwell"));
  dwell_->setRange(0.5, 60.0);
  dwell_->setDecimals(1);
  dwell_->setSingleStep(0.5);
  dwell_->setValue(3.0);
  dwell_->setSuffix(QStringLiteral(" s"));

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Od"), first_);
  form->addRow(QStringLiteral("Do"), last_);
  form->addRow(QStringLiteral("Czas na zdarzenie"), dwell_);

  start_ = addButton("WalkStart", QStringLiteral("Start"));
  pause_ = addButton("WalkPause", QStringLiteral("Pauza"));
  back_ = addButton("WalkBack", QStringLiteral("Wstecz"));
  next_ = addButton("WalkNext", QStringLiteral("Dalej"));
  stop_ = addButton("WalkStop", QStringLiteral("Stop"));
  auto* buttons = new QHBoxLayout;
  for (QPushButton* button : {start_, pause_, back_, next_, stop_}) buttons->addWidget(button);

  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("WalkStatus"));
  status_->setWordWrap(true);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  layout->addWidget(status_);
  layout->addStretch(1);

  connect(start_, &QPushButton::clicked, this, &WalkTab::startRequested);
  connect(pause_, &QPushButton::clicked, this, &WalkTab::pauseToggled);
  connect(back_, &QPushButton::clicked, this, &WalkTab::backRequested);
  connect(next_, &QPushButton::clicked, this, &WalkTab::nextRequested);
  connect(stop_, &QPushButton::clicked, this, &WalkTab::stopRequested);

  const auto key = [this](Qt::Key key, void (WalkTab::*request)()) {
    auto* shortcut = new QShortcut(QKeySequence(key), this);
    shortcut->setContext(Qt::WindowShortcut);  // wherever the focus is in the board window
    connect(shortcut, &QShortcut::activated, this, [this, request] {
      if (running_ && isVisible()) emit(this->*request)();
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
}

QPushButton* WalkTab::addButton(const char* name, const QString& text) {
  auto* button = new QPushButton(text, this);
  button->setObjectName(QString::fromLatin1(name));
  button->setFocusPolicy(Qt::TabFocus);  // a click leaves the keys to the tab
  return button;
}

void WalkTab::setDefaultRange(int selected_row) {
  first_->setCurrentIndex(std::max(selected_row, ConfigMatrix::kFirstAddressRow));
  last_->setCurrentIndex(ConfigMatrix::kRows - 1);
}

void WalkTab::setRange(int first_row, int last_row) {
  first_->setCurrentIndex(first_row);
  last_->setCurrentIndex(last_row);
}

void WalkTab::setDwellSeconds(double seconds) { dwell_->setValue(seconds); }
double WalkTab::dwellSeconds() const { return dwell_->value(); }

int WalkTab::firstRow() const { return first_->currentIndex(); }
int WalkTab::lastRow() const { return last_->currentIndex(); }

std::chrono::milliseconds WalkTab::dwell() const {
  return std::chrono::milliseconds(std::lround(dwell_->value() * 1000.0));
}

void WalkTab::setRunning(bool running) {
  running_ = running;
  for (QWidget* before : std::initializer_list<QWidget*>{first_, last_, dwell_, start_}) before->setEnabled(!running);
  for (QWidget* during : {pause_, back_, next_, stop_}) during->setEnabled(running);
  setPaused(false);
  if (running) setFocus(Qt::OtherFocusReason);
}

void WalkTab::setPaused(bool paused) { pause_->setText(paused ? QString::fromUtf8("Wznów") : QStringLiteral("Pauza")); }

void WalkTab::setStatus(const QString& text) { status_->setText(text); }
