// SPDX-License-Identifier: MIT
// "Nowy", "Zapisz...", "Otwórz..." and "Porównaj..." of the configuration page. A
// failure is shown in a warning box naming the file and in the status bar;
// a save or load that succeeded names its file in the window's caption, a
// save also in the status bar, followed by its note (written in place, the
// old file's owner or rights not kept).

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>

#include "app/file_dialogs.h"
#include "app/main.h"
#include "config/cell_description.h"
#include "config/config_file.h"
#include "config/config_matrix.h"
#include "config/configuration_source.h"
#include "config/name_text.h"
#include "gui/edit_history.h"
#include "gui/user_settings.h"
#include "text/utf8_path.h"
#include "ui_main_window.h"

bool TForm_main::SaveConfigButtonClick() {
  // A project that holds more than its table is offered as a project.
  const QString name = askFileName(SaveDialog, FileDialogMode::save, !parts_beside_table(currentProject()).empty());
  return !name.isEmpty() && saveConfigTo(name);
}

bool TForm_main::saveConfigTo(const QString& name) {
  // The table alone is saved only when the user says so, knowing what stays out.
  const Project project = currentProject();
  const std::vector<std::string> beside_table = parts_beside_table(project);
  const std::filesystem::path path = utf8_path(name.toStdString());
  const bool all_kept = has_project_extension(path) || beside_table.empty();
  if (!all_kept && !saveTableAlone(name, beside_table)) return false;
  const FileResult result = save_configuration(path, project);
  if (result.ok) {
    // What the file left out keeps the window marked as changed, so closing still asks.
    if (all_kept) editHistory().markSaved();
    setConfigFileName(name);
    QString status = QStringLiteral("Zapisano: ") + QFileInfo(name).fileName();
    if (!result.note.empty()) status += QStringLiteral(". ") + QString::fromStdString(result.note);
    setStatusText(status);
    UserSettings::instance().addRecentFile(name);
    return true;
  }
  setStatusText(QString::fromUtf8(kSaveStatusFailed));
  showWarning(file_failure_text("Nie udało się zapisać konfiguracji do pliku", name, result.reason));
  return false;
}

namespace {

// The file still holds the window's table and names (nobody wrote to it since).
bool file_holds(const std::filesystem::path& path, const Project& project) {
  Project file = project;  // a file without names keeps the window's
  return load_configuration(path, file).ok && file.matrix.bytes() == project.matrix.bytes() &&
         file.names == project.names;
}

}  // namespace

// The record names the file and shows its SHA-256: the walk checks what
// that file holds, so the grid is saved to it first.
bool TForm_main::saveBeforeWalk() {
  if (!configFileName_.isEmpty() && !history_->isModified() &&
      file_holds(utf8_path(configFileName_.toStdString()), currentProject()))
    return true;
  const QString question =
      configFileName_.isEmpty()
          ? QString::fromUtf8("Konfiguracja nie jest zapisana w pliku. Protokół testu wskazuje plik konfiguracji i "
                              "jego sumę SHA-256: zapisz ją przed testem.")
          : QString::fromUtf8("Konfiguracja ma niezapisane zmiany. Protokół testu wskazuje plik konfiguracji i jego "
                              "sumę SHA-256: zapisz zmiany przed testem.");
  if (!askSaveBeforeWalk(question)) return false;
  const QString name = configFileName_.isEmpty()
                           ? askFileName(SaveDialog, FileDialogMode::save, !parts_beside_table(currentProject()).empty())
                           : configFileName_;
  return !name.isEmpty() && saveConfigTo(name);
}

bool TForm_main::readConfigFile(const std::filesystem::path& path, Project& into) {
  const FileResult result = load_configuration(path, into);
  if (result.ok) return true;
  setStatusText(QString::fromUtf8(kLoadStatusFailed));
  showWarning(file_failure_text("Nie udało się wczytać konfiguracji z pliku", QFileInfo(path).filePath(),
                                result.reason));
  return false;
}

void TForm_main::LoadConfigButtonClick() {
  const QString name = askFileName(OpenDialog, FileDialogMode::open);
  if (!name.isEmpty()) openConfigFile(name);
}

void TForm_main::openConfigFile(const QString& name) { openConfigPath(utf8_path(name.toStdString())); }

void TForm_main::openConfigPath(const std::filesystem::path& path) {
  if (refuseEditWhileWalking()) return;
  // A load changes the grid only when the file holds a whole configuration;
  // a project brings its names with it, a table keeps the window's only when
  // the user says they belong to it. Either is one undo step.
  Project project = currentProject();
  if (!readConfigFile(path, project)) return;
  const bool names_kept = !has_project_extension(path) && has_names(project.names) && keepNamesForTable();
  if (!has_project_extension(path) && !names_kept) {
    project.names = {};
    project.unknown_keys.clear();
  }
  history_->stack().beginMacro(QStringLiteral("Nowa konfiguracja"));
  config_matrix() = project.matrix;
  repaintMatrix();
  takeProjectParts(project);
  history_->stack().endMacro();
  // Names kept for a table are in no file with it: the window stays marked as changed.
  if (!names_kept) editHistory().markSaved();
  setConfigFileName(QFileInfo(path).filePath());
  UserSettings::instance().addRecentFile(configFileName_);
  setStatusText({});  // a load is silent: the caption names the file
}

// Top left, above the row labels, where the page has room.
void TForm_main::setupNewConfiguration() {
  auto* button = new QPushButton(QStringLiteral("Nowy"), ui_->ConfigTabSheet);
  button->setObjectName(QStringLiteral("NewConfigButton"));
  button->setGeometry(8, 8, 75, 23);
  newButton_ = button;
  connect(button, &QPushButton::clicked, this, &TForm_main::NewConfigButtonClick);
  auto* key = new QShortcut(QKeySequence::New, this);
  key->setContext(Qt::WindowShortcut);
  connect(key, &QShortcut::activated, this, &TForm_main::NewConfigButtonClick);
}

void TForm_main::NewConfigButtonClick() {
  if (refuseEditWhileWalking()) return;
  if (history_->isModified()) {
    switch (askSaveChanges(QString::fromUtf8(kSaveBeforeNew))) {
      case SaveChangesAnswer::save:
        // Not saved: the grid stays. A table saved alone was the user's choice.
        if (!SaveConfigButtonClick()) return;
        break;
      case SaveChangesAnswer::discard: break;
      case SaveChangesAnswer::cancel: return;
    }
  }
  history_->stack().beginMacro(QStringLiteral("Nowa konfiguracja"));
  config_matrix() = ConfigMatrix{};
  repaintMatrix();
  takeProjectParts(Project{});
  history_->stack().endMacro();
  editHistory().markSaved();
  setConfigFileName({});
  setStatusText({});
}

namespace {

// The one configuration file (.zelp, .zel or .csv) a drag carries, or none.
QString dragged_config_file(const QMimeData* data) {
  if (!data || data->urls().size() != 1 || !data->urls().front().isLocalFile()) return {};
  const QString name = data->urls().front().toLocalFile();
  const bool known = name.endsWith(QStringLiteral(".zel"), Qt::CaseInsensitive) ||
                     name.endsWith(QStringLiteral(".zelp"), Qt::CaseInsensitive) ||
                     name.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
  return known ? name : QString();
}

}  // namespace

void TForm_main::dragEnterEvent(QDragEnterEvent* event) {
  if (!editingLocked() && !dragged_config_file(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm_main::dropEvent(QDropEvent* event) {
  const QString name = dragged_config_file(event->mimeData());
  if (name.isEmpty()) return;
  event->acceptProposedAction();
  openConfigFile(name);
}

// "Porównaj...": the grid stays as it is; the differing cells are marked.
void TForm_main::CompareButtonClick() {
  const QString name = askFileName(OpenDialog, FileDialogMode::open);
  if (name.isEmpty()) return;
  Project file;
  if (!readConfigFile(utf8_path(name.toStdString()), file)) return;
  const std::vector<CellDifference> differing = differing_cells(config_matrix().bytes(), file.matrix.bytes());
  showDifferences(differing);
  setStatusText(differing.empty() ? QStringLiteral("Plik zgodny z edytowaną konfiguracją.")
                                  : QStringLiteral("Plik różni się od edytowanej konfiguracji ") +
                                        QString::fromStdString(in_cells_text(differing.size())) + u'.');
}
