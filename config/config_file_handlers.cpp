// "Zapisz..." and "Otwórz..." of the configuration page. A failure is shown
// in a warning box naming the file and in the status bar; success is silent.

#include "app/file_dialogs.h"
#include "app/main.h"
#include "config/config_file.h"
#include "config/config_matrix.h"
#include "text/utf8_path.h"

namespace {

constexpr const char* kSaveFailedStatus = "Błąd zapisu pliku konfiguracji!";
constexpr const char* kLoadFailedStatus = "Błąd odczytu pliku konfiguracji!";

}  // namespace

void TForm_main::SaveConfigButtonClick() {
  const QString name = askFileName(SaveDialog, FileDialogMode::save);
  if (name.isEmpty()) return;
  const FileResult result = save_config_file(utf8_path(name.toStdString()), config_matrix());
  if (result.ok) return;
  setStatusText(QString::fromUtf8(kSaveFailedStatus));
  showWarning(file_failure_text("Nie udało się zapisać konfiguracji do pliku", name, result.reason));
}

void TForm_main::LoadConfigButtonClick() {
  const QString name = askFileName(OpenDialog, FileDialogMode::open);
  if (name.isEmpty()) return;
  const FileResult result = load_config_file(utf8_path(name.toStdString()), config_matrix());
  if (result.ok) {
    repaintMatrix();
    return;
  }
  setStatusText(QString::fromUtf8(kLoadFailedStatus));
  showWarning(file_failure_text("Nie udało się wczytać konfiguracji z pliku", name, result.reason));
}
