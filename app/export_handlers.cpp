// SPDX-License-Identifier: MIT
// "Eksportuj..." and "Drukuj...": the table handed over as a PDF report, a
// CSV table or on paper. The grid stays as it is.

#include <QDateTime>
#include <QDir>
#include <QPrinter>

#include "app/file_dialogs.h"
#include "app/main.h"
#include "config/config_csv.h"
#include "config/name_text.h"
#include "gui/config_report.h"
#include "text/utf8_path.h"

namespace {

constexpr const char* kExportFailedStatus = "Błąd eksportu konfiguracji!";

}  // namespace

ConfigReportInfo TForm_main::reportInfo(ReportRows rows) const {
  return {QDir::toNativeSeparators(configFileName_), QDateTime::currentDateTime(), &project_names(), rows};
}

void TForm_main::ExportButtonClick() {
  const QString name = askFileName(ExportDialog, FileDialogMode::save);
  if (name.isEmpty()) return;
  const std::filesystem::path path = utf8_path(name.toStdString());
  std::string reason;
  std::string note;
  if (has_csv_extension(path)) {
    const FileResult result = save_config_csv(path, config_matrix());
    if (!result.ok) reason = result.reason;
    note = result.note;
  } else {
    // The CSV table is always whole; the report may list only the events that light a lamp.
    const std::optional<ReportRows> rows = askReportRows(QStringLiteral("Eksportuj konfigurację"));
    if (!rows) return;
    if (QString error; !export_config_pdf(name, config_matrix(), reportInfo(*rows), &error)) reason = error.toStdString();
  }
  if (reason.empty()) {
    setStatusText(QStringLiteral("Konfiguracja wyeksportowana.") +
                  (note.empty() ? QString() : QStringLiteral(" ") + QString::fromStdString(note)));
    if (has_csv_extension(path)) reportNamesLeftOut(path, statusText());
    return;
  }
  setStatusText(QString::fromUtf8(kExportFailedStatus));
  showWarning(file_failure_text("Nie udało się wyeksportować konfiguracji do pliku", name, reason));
}

void TForm_main::PrintButtonClick() {
  const std::optional<ReportRows> rows = askReportRows(QStringLiteral("Drukuj konfigurację"));
  if (!rows) return;
  QPrinter printer(QPrinter::HighResolution);
  if (!setUpPrinter(printer)) return;
  QString error;
  if (print_config_report(printer, config_matrix(), reportInfo(*rows), &error)) return;
  setStatusText(QStringLiteral("Błąd drukowania konfiguracji!"));
  showWarning(QStringLiteral("Nie udało się wydrukować konfiguracji.\n\n") + error);
}
