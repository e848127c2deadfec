// "Nazwy...": the project's names, edited as one undo step, and every place
// of the window that shows them. Names never go to the module; a save that
// leaves them out says so.

#include <QPushButton>
#include <QTableWidget>

#include "app/board_window.h"
#include "app/main.h"
#include "config/configuration_source.h"
#include "config/name_text.h"
#include "gui/edit_history.h"
#include "gui/matrix_model.h"
#include "gui/swap_command.h"
#include "ui_main_window.h"

namespace {
const char* const kNamesStep = "Nazwy";
const char* const kNamesLeftOutStatus =
    "Nazwy nie zostały zapisane w tym pliku; zachowa je projekt (Zapisz... jako plik .zelp).";
}  // namespace

void TForm_main::setupNames() {
  project_names() = ProjectNames{};
  matrixModel_->setNames(&project_names());
  connect(ui_->NamesButton, &QPushButton::clicked, this, &TForm_main::NamesButtonClick);
}

void TForm_main::showNames() {
  matrixModel_->namesChanged();
  for (int column = 0; column < ConfigMatrix::kColumns; ++column) {
    if (QTableWidgetItem* header = ui_->StringGrid3->item(0, column))
      header->setToolTip(QString::fromStdString(lamp_name(project_names(), column)));
  }
}

void TForm_main::NamesButtonClick() {
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
  unknownKeys_ = project.unknown_keys;
  if (project.labels != labels_)
    history_->stack().push(new SwapCommand<LabelGeometry>(labels_, project.labels, QString::fromUtf8(kNamesStep), {}));
  if (project.names != project_names())
    history_->stack().push(new SwapCommand<ProjectNames>(project_names(), project.names,
                                                         QString::fromUtf8(kNamesStep), [this] { showNames(); }));
}

void TForm_main::reportNamesLeftOut(const std::filesystem::path& path, const QString& lead) {
  if (has_project_extension(path) || !has_names(project_names())) return;
  const QString note = QString::fromUtf8(kNamesLeftOutStatus);
  setStatusText(lead.isEmpty() ? note : lead + QLatin1Char(' ') + note);
}
