// SPDX-License-Identifier: MIT
#include "gui/report_rows_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

ReportRowsDialog::ReportRowsDialog(const QString& title, const ConfigMatrix& matrix, QWidget* parent)
    : QDialog(parent),
      all_(new QRadioButton(QString::fromUtf8("cała tabela (%1)").arg(report_row_count(matrix, ReportRows::all)))),
      lighting_(new QRadioButton(QString::fromUtf8(kReportLightingOnly) +
                                 QStringLiteral(" (%1)").arg(report_row_count(matrix, ReportRows::lighting)))) {
  setWindowTitle(title);
  setModal(true);
  all_->setObjectName(QStringLiteral("AllRowsButton"));
  lighting_->setObjectName(QStringLiteral("LightingRowsButton"));
  all_->setChecked(true);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QString::fromUtf8("Zdarzenia w raporcie:")));
  layout->addWidget(all_);
  layout->addWidget(lighting_);
  layout->addWidget(buttons);
}

ReportRows ReportRowsDialog::rows() const { return lighting_->isChecked() ? ReportRows::lighting : ReportRows::all; }

std::optional<ReportRows> ask_report_rows(QWidget* parent, const QString& title, const ConfigMatrix& matrix) {
  ReportRowsDialog dialog(title, matrix, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.rows();
}
