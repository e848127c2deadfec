// SPDX-License-Identifier: MIT
#include "app/file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
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
  dialog.setHistory(UserSettings::instance().recentFolders(settings.kind));
}

void select_filter_of(QFileDialog& dialog, const QString& name) {
  const QString suffix = QFileInfo(name).suffix();
  if (suffix.isEmpty()) return;
  for (const QString& filter : dialog.nameFilters()) {
    if (!filter.endsWith(QStringLiteral("(*.") + suffix + QLatin1Char(')'), Qt::CaseInsensitive)) continue;
    dialog.selectNameFilter(filter);
    dialog.setDefaultSuffix(suffix.toLower());
    return;
  }
}

QString with_project_extension(const QString& name) {
  static const QRegularExpression kTableExtension(QStringLiteral(R"(\.(zel|csv)$)"),
                                                  QRegularExpression::CaseInsensitiveOption);
  QString project = name;
  return project.replace(kTableExtension, QStringLiteral(".zelp"));
}

QString start_file_name(const FileDialogSettings& settings, const QString& last_chosen) {
  if (!last_chosen.isEmpty()) return last_chosen;
  const QString proposed = QString::fromUtf8(settings.proposed_name);
  const QString folder = UserSettings::instance().folder(settings.kind);
  return folder.isEmpty() ? proposed : QDir(folder).filePath(proposed);
}

void remember_chosen_file(const FileDialogSettings& settings, const QString& chosen) {
  UserSettings::instance().rememberFolderOf(settings.kind, chosen);
}
