// SPDX-License-Identifier: MIT
#include "gui/address_fill_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace {

QSpinBox* number_field(int minimum, int maximum, int value, const char* name) {
  auto* field = new QSpinBox;
  field->setRange(minimum, maximum);
  field->setValue(value);
  field->setObjectName(QLatin1String(name));
  return field;
}

// "bez zmian" first, then the modes 0-3 by name: the item's index less one is the mode.
QComboBox* mode_field(const char* name) {
  auto* field = new QComboBox;
  field->addItem(QStringLiteral("bez zmian"));
  for (std::uint8_t mode = LED_OFF; mode <= LED_STEADY; ++mode) field->addItem(QString::fromUtf8(led_mode_name(mode)));
  field->setObjectName(QLatin1String(name));
  return field;
}

}  // namespace

AddressFillDialog::AddressFillDialog(QWidget* parent)
    : QDialog(parent),
      firstAddress_(number_field(0, ConfigMatrix::kAddresses - 1, 0, "FirstAddressEdit")),
      lastAddress_(number_field(0, ConfigMatrix::kAddresses - 1, ConfigMatrix::kAddresses - 1, "LastAddressEdit")),
      firstLamp_(number_field(1, ConfigMatrix::kColumns, 1, "FirstLampEdit")),
      consecutiveLamps_(new QCheckBox(QStringLiteral("Kolejne lampy"))),
      modes_{mode_field("Alarm1ModeBox"), mode_field("Alarm2ModeBox"), mode_field("FaultModeBox")},
      othersOff_(new QCheckBox(QStringLiteral("Wyłącz pozostałe lampy tych wierszy"))),
      message_(new QLabel) {
  setWindowTitle(QStringLiteral("Wypełnij adresy"));
  setModal(true);
  consecutiveLamps_->setObjectName(QStringLiteral("ConsecutiveLampsBox"));
  consecutiveLamps_->setChecked(true);
  othersOff_->setObjectName(QStringLiteral("OthersOffBox"));
  message_->setObjectName(QStringLiteral("MessageLabel"));
  message_->setStyleSheet(QStringLiteral("color: #c00000"));
  message_->hide();

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));
  connect(buttons, &QDialogButtonBox::accepted, this, &AddressFillDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &AddressFillDialog::reject);

  auto* form = new QFormLayout(this);
  form->addRow(QStringLiteral("Od adresu"), firstAddress_);
  form->addRow(QStringLiteral("Do adresu"), lastAddress_);
  form->addRow(QStringLiteral("Pierwsza lampa"), firstLamp_);
  form->addRow(QString(), consecutiveLamps_);
  form->addRow(QStringLiteral("Alarm I"), modes_[0]);
  form->addRow(QStringLiteral("Alarm II"), modes_[1]);
  form->addRow(QStringLiteral("Awaria"), modes_[2]);
  form->addRow(QString(), othersOff_);
  form->addRow(message_);
  form->addRow(buttons);

  QWidget* previous = firstAddress_;
  for (QWidget* next : {static_cast<QWidget*>(lastAddress_), static_cast<QWidget*>(firstLamp_),
                        static_cast<QWidget*>(consecutiveLamps_), static_cast<QWidget*>(modes_[0]),
                        static_cast<QWidget*>(modes_[1]), static_cast<QWidget*>(modes_[2]),
                        static_cast<QWidget*>(othersOff_), static_cast<QWidget*>(buttons)}) {
    setTabOrder(previous, next);
    previous = next;
  }
  firstAddress_->setFocus();
  firstAddress_->selectAll();  // typed digits replace the default
}

AddressFill AddressFillDialog::fill() const {
  AddressFill fill;
  fill.first_address = firstAddress_->value();
  fill.last_address = lastAddress_->value();
  fill.first_lamp = firstLamp_->value();
  fill.consecutive_lamps = consecutiveLamps_->isChecked();
  for (std::size_t i = 0; i < modes_.size(); ++i) {
    const int chosen = modes_[i]->currentIndex();
    if (chosen > 0) fill.modes[i] = static_cast<std::uint8_t>(chosen - 1);
  }
  fill.others_off = othersOff_->isChecked();
  return fill;
}

void AddressFillDialog::accept() {
  if (lastAddress_->value() < firstAddress_->value()) {
    message_->setText(QStringLiteral("„Do adresu” nie może być mniejsze niż „Od adresu”."));
    message_->show();
    lastAddress_->setFocus();
    lastAddress_->selectAll();
    return;
  }
  QDialog::accept();
}

std::optional<AddressFill> ask_address_fill(QWidget* parent) {
  AddressFillDialog dialog(parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.fill();
}
