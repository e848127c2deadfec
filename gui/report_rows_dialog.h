// SPDX-License-Identifier: MIT
#pragma once
// Which events "Eksportuj..." and "Drukuj..." put in the report: "cała
// tabela" (chosen at first) or "tylko zdarzenia, które zapalają lampy",
// each with how many events it lists. OK (also Return) takes the choice;
// Anuluj (also Escape) writes nothing.

#include <QDialog>
#include <functional>
#include <optional>

#include "gui/config_report.h"

class QRadioButton;

class ReportRowsDialog : public QDialog {
  Q_OBJECT

 public:
  ReportRowsDialog(const QString& title, const ConfigMatrix& matrix, QWidget* parent = nullptr);
  ReportRows rows() const;

 private:
  QRadioButton* all_;
  QRadioButton* lighting_;
};

// Runs the dialog over the grid's table; no choice when it is cancelled.
using ReportRowsPrompt = std::function<std::optional<ReportRows>(const QString& title)>;
std::optional<ReportRows> ask_report_rows(QWidget* parent, const QString& title, const ConfigMatrix& matrix);
