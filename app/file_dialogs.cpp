#include "app/file_dialogs.h"

#include <QFileDialog>

void apply_file_dialog_settings(QFileDialog& dialog, const FileDialogSettings& settings) {
  const QString title = QString::fromUtf8(settings.title);
  if (!title.isEmpty()) dialog.setWindowTitle(title);
  dialog.setNameFilters(QString::fromUtf8(settings.filter).split(QStringLiteral(";;")));
  dialog.setDefaultSuffix(QString::fromUtf8(settings.default_suffix));
  dialog.selectFile(QString::fromUtf8(settings.proposed_name));
}
