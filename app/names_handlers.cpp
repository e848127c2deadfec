// SPDX-License-Identifier: MIT
// "Nazwy...": the project's names, edited as one undo step, and every place
// of the window that shows them. Names never go to the module; a table file
// opened asks whether they stay, and a save that would leave them out asks first.

#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>

#include <QDateTime>
#include <QFileInfo>

#include "app/board_window.h"
#include "app/file_dialogs.h"
#include "app/main.h"
#include "config/configuration_source.h"
#include "config/name_text.h"
#include "gui/edit_history.h"
#include "gui/label_geometry_dialog.h"
#include "gui/label_insert.h"
#include "gui/matrix_model.h"
#include "gui/swap_command.h"
#include "text/utf8_path.h"
#include "ui_main_window.h"

namespace {
const char* const kNamesStep = "Nazwy";
const char* const kLabelInsertFailed = "Błąd zapisu wkładki z nazwami lamp!";
constexpr FileDialogSettings kLabelInsertDialog{"Zapisz wkładkę z nazwami lamp", "Dokument PDF (*.pdf)", "pdf",
                                                "etykiety.pdf"};
const char* const kNamesLeftOutStatus =
    "Nazwy nie zostały zapisane w tym pliku; zachowa je projekt (Zapisz... jako plik .zelp).";
}  // namespace

void TForm_main::setupNames() {
  project_names() = ProjectNames{};
  matrixModel_->setNames(&project_names());
  connect(ui_->NamesButton, &QPushButton::clicked, this, &TForm_main::NamesButtonClick);
  connect(ui_->LabelsButton, &QPushButton::clicked, this, &TForm_main::LabelsButtonClick);
}

// "Etykiety...": the geometry, kept in the project as an undo step, then
// the insert as a PDF or, by "Drukuj...", on a printer.
void TForm_main::LabelsButtonClick() {
  if (refuseEditWhileWalking()) return;
  bool print = false;
  const std::optional<LabelGeometry> geometry = ask_label_geometry(this, labels_, &print);
  if (!geometry) return;
  if (*geometry != labels_)
    history_->stack().push(new SwapCommand<LabelGeometry>(labels_, *geometry, QString::fromUtf8(kNamesStep), {}));
  LabelInsertFit fit;
  if (print) {
    QPrinter printer(QPrinter::HighResolution);
    if (!setUpPrinter(printer)) return;
    if (!print_label_insert(printer, project_names(), labels_, QDateTime::currentDateTime(), &fit)) {
      setStatusText(QString::fromUtf8(kLabelInsertFailed));
      showWarning(QStringLiteral("Nie udało się wydrukować wkładki z nazwami lamp."));
      return;
    }
  } else {
    const QString name = askFileName(kLabelInsertDialog, FileDialogMode::save);
    if (name.isEmpty()) return;
    QString error;
    if (!export_label_insert_pdf(name, project_names(), labels_, QDateTime::currentDateTime(), &fit,
                                 &error)) {
      setStatusText(QString::fromUtf8(kLabelInsertFailed));
      showWarning(file_failure_text("Nie udało się zapisać wkładki z nazwami lamp do pliku", name, error.toStdString()));
      return;
    }
  }
  setStatusText(label_insert_status(print, fit));
}

void TForm_main::showNames() {
  matrixModel_->namesChanged();
  for (int column = 0; column < ConfigMatrix::kColumns; ++column) {
    if (QTableWidgetItem* header = ui_->StringGrid3->item(0, column))
      header->setToolTip(QString::fromStdString(lamp_name(project_names(), column)));
  }
}

void TForm_main::NamesButtonClick() {
  if (refuseEditWhileWalking()) return;
  const std::optional<ProjectNames> names = askNames(project_names());
  if (!names || *names == project_names()) return;
  history_->stack().push(new SwapCommand<ProjectNames>(project_names(), *names, QString::fromUtf8(kNamesStep),
                                                       [this] { showNames(); }));
}

Project TForm_main::currentProject() const {
  Project project;
  project.matrix = config_matrix();
  project.names = project_names();
  project.labels = labels_;
  project.unknown_keys = unknownKeys_;
  return project;
}

void TForm_main::takeProjectParts(const Project& project) {
  if (project.unknown_keys != unknownKeys_)
    history_->stack().push(
        new SwapCommand<std::string>(unknownKeys_, project.unknown_keys, QString::fromUtf8(kNamesStep), {}));
  if (project.labels != labels_)
    history_->stack().push(new SwapCommand<LabelGeometry>(labels_, project.labels, QString::fromUtf8(kNamesStep), {}));
  if (project.names != project_names())
    history_->stack().push(new SwapCommand<ProjectNames>(project_names(), project.names,
                                                         QString::fromUtf8(kNamesStep), [this] { showNames(); }));
}

bool TForm_main::keepNamesForTable() {
  // The site's name says whose names they are; without one, the file they came with.
  QString owner = QString::fromStdString(project_names().site.name);
  if (owner.isEmpty() && has_project_extension(utf8_path(configFileName_.toStdString())))
    owner = QFileInfo(configFileName_).fileName();
  const QString whose = owner.isEmpty() ? QString() : QString::fromUtf8(" „") + owner + QString::fromUtf8("”");
  return askYesNo(QStringLiteral("Zachować nazwy obiektu") + whose + QStringLiteral(" dla tej tabeli?"));
}

bool TForm_main::saveTableAlone(const QString& name, const std::vector<std::string>& left_out) {
  QStringList parts;
  for (const std::string& part : left_out) parts << QString::fromStdString(part);
  return askYesNo(QString::fromUtf8("Plik „") + QFileInfo(name).fileName() +
                  QString::fromUtf8("” zachowa tylko tabelę. Nie zostaną w nim zapisane: ") +
                  parts.join(QStringLiteral(", ")) +
                  QString::fromUtf8(".\n\nZachowa je projekt (plik .zelp). Zapisać samą tabelę?"));
}

void TForm_main::reportNamesLeftOut(const std::filesystem::path& path, const QString& lead) {
  if (has_project_extension(path) || !has_names(project_names())) return;
  const QString note = QString::fromUtf8(kNamesLeftOutStatus);
  setStatusText(lead.isEmpty() ? note : lead + QLatin1Char(' ') + note);
}
