#include "app/file_dialogs.h"

#include <QFileDialog>
#include <QRegularExpression>

void apply_file_dialog_settings(QFileDialog& dialog, const FileDialogSettings& settings) {
  const QString title = QString::fromUtf8(settings.title);
  if (!title.isEmpty()) dialog.setWindowTitle(title);
  dialog.setNameFilters(QString::fromUtf8(settings.filter).split(QStringLiteral(";;")));
  dialog.setDefaultSuffix(QString::fromUtf8(settings.default_suffix));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
    static const QRegularExpression kOneExtension(QStringLiteral(R"(\(\*\.(\w+)\))"));
    const QRegularExpressionMatch match = kOneExtension.match(filter);
    if (match.hasMatch()) dialog.setDefaultSuffix(match.captured(1));
  });
  dialog.selectFile(QString::fromUtf8(settings.proposed_name));
}
