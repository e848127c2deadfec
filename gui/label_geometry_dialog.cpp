// SPDX-License-Identifier: MIT
#include "gui/label_geometry_dialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

LabelGeometryDialog::LabelGeometryDialog(const LabelGeometry& geometry, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Etykiety"));
  setModal(true);
  auto* form = new QFormLayout;
  const std::array<std::pair<const char*, const char*>, 4> rows{{{"PitchAcrossEdit", "Rozstaw lamp poziomo (mm)"},
                                                                 {"PitchDownEdit", "Rozstaw lamp pionowo (mm)"},
                                                                 {"FieldWidthEdit", "Szerokość pola (mm)"},
                                                                 {"FieldHeightEdit", "Wysokość pola (mm)"}}};
  const std::array<double, 4> values{geometry.pitch_across_mm, geometry.pitch_down_mm, geometry.width_mm,
                                     geometry.height_mm};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    fields_[i] = new QDoubleSpinBox;
    fields_[i]->setObjectName(QString::fromUtf8(rows[i].first));
    fields_[i]->setDecimals(1);
    fields_[i]->setRange(1, 100);
    fields_[i]->setSingleStep(0.5);
    fields_[i]->setValue(values[i]);
    form->addRow(QString::fromUtf8(rows[i].second), fields_[i]);
  }
  message_ = new QLabel;
  message_->setObjectName(QStringLiteral("GeometryMessage"));
  // Parented by the layout below, after the fields: the tab order then runs
  // through the fields first, and the dialog opens with the focus in the first.
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);  // Return, from any field
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));
  QPushButton* print = buttons->addButton(QStringLiteral("Drukuj..."), QDialogButtonBox::ActionRole);
  print->setObjectName(QStringLiteral("PrintLabelsButton"));
  connect(print, &QPushButton::clicked, this, [this] {
    print_chosen_ = true;
    accept();
    if (result() != QDialog::Accepted) print_chosen_ = false;
  });
  connect(buttons, &QDialogButtonBox::accepted, this, &LabelGeometryDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(message_);
  layout->addWidget(buttons);
  fields_[0]->setFocus();
  fields_[0]->selectAll();  // typed digits replace the value
}

LabelGeometry LabelGeometryDialog::geometry() const {
  return {fields_[0]->value(), fields_[1]->value(), fields_[2]->value(), fields_[3]->value()};
}

void LabelGeometryDialog::accept() {
  const std::string fault = label_geometry_fault(geometry());
  if (!fault.empty()) {
    message_->setText(QString::fromStdString(fault));
    return;
  }
  QDialog::accept();
}

std::optional<LabelGeometry> ask_label_geometry(QWidget* parent, const LabelGeometry& geometry, bool* print) {
  LabelGeometryDialog dialog(geometry, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  if (print != nullptr) *print = dialog.printChosen();
  return dialog.geometry();
}
