// SPDX-License-Identifier: MIT
#pragma once
// "Etykiety": the label insert's geometry in mm, "Rozstaw lamp" across and
// down and the field's size, before the insert is written. It opens in the
// first field; Tab goes through the fields, then the buttons. OK (also
// Return) takes it when it fits an A4 page (config/project_file.h),
// otherwise says why.

#include <QDialog>
#include <array>
#include <optional>

#include "config/project_file.h"

class QDoubleSpinBox;
class QLabel;

class LabelGeometryDialog : public QDialog {
  Q_OBJECT

 public:
  explicit LabelGeometryDialog(const LabelGeometry& geometry, QWidget* parent = nullptr);

  LabelGeometry geometry() const;
  void accept() override;
  // "Drukuj..." closed the dialog: the insert goes to a printer, not a PDF.
  bool printChosen() const { return print_chosen_; }

 private:
  std::array<QDoubleSpinBox*, 4> fields_{};
  QLabel* message_;
  bool print_chosen_ = false;
};

// The geometry, or nothing on Anuluj; *print tells "Drukuj..." from OK.
std::optional<LabelGeometry> ask_label_geometry(QWidget* parent, const LabelGeometry& geometry, bool* print = nullptr);
