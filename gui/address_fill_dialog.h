// SPDX-License-Identifier: MIT
#pragma once
// "Wypełnij adresy": asks for the rule that assigns lamps to a range of
// addresses. The fields, in their tab order: "Od adresu", "Do adresu",
// "Pierwsza lampa", "Kolejne lampy", the modes of "Alarm I", "Alarm II" and
// "Awaria" ("bez zmian" or a mode), "Wyłącz pozostałe lampy tych wierszy".
// OK (also Return) takes the rule unless "Do adresu" is below "Od adresu",
// which the dialog refuses with a message; Anuluj (also Escape) drops it.

#include <QDialog>
#include <array>
#include <functional>
#include <optional>

#include "config/address_fill.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

class AddressFillDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AddressFillDialog(QWidget* parent = nullptr);

  AddressFill fill() const;
  void accept() override;

 private:
  QSpinBox* firstAddress_;
  QSpinBox* lastAddress_;
  QSpinBox* firstLamp_;
  QCheckBox* consecutiveLamps_;
  std::array<QComboBox*, 3> modes_{};  // by AddressEvent
  QCheckBox* othersOff_;
  QLabel* message_;
};

// Runs the dialog; no rule when it is cancelled.
using AddressFillPrompt = std::function<std::optional<AddressFill>()>;
std::optional<AddressFill> ask_address_fill(QWidget* parent);
