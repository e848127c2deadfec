// SPDX-License-Identifier: MIT
#include "app/user_prompts.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>

#include "app/file_dialogs.h"
#include "app/main.h"

QString run_file_dialog(QWidget* parent, const FileDialogSettings& settings, FileDialogMode mode,
                        const QString& start_file) {
  QFileDialog dialog(parent);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setAcceptMode(mode == FileDialogMode::save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  // A name that does not exist is accepted also when opening: loading then
  // says so, naming the file.
  dialog.setFileMode(QFileDialog::AnyFile);
  apply_file_dialog_settings(dialog, settings);
  if (!start_file.isEmpty()) dialog.selectFile(start_file);
  // Opening shows the first filter, which lists every kind the dialog reads.
  if (mode == FileDialogMode::save)
    select_filter_of(dialog, start_file.isEmpty() ? QString::fromUtf8(settings.proposed_name) : start_file);
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList chosen = dialog.selectedFiles();
  return chosen.isEmpty() ? QString() : chosen.first();
}

void show_warning_box(QWidget* parent, const QString& text) {
  QMessageBox::warning(parent, QApplication::applicationName(), text);
}

bool ask_yes_no(QWidget* parent, const QString& question) {
  QMessageBox box(QMessageBox::Question, QApplication::applicationName(), question, QMessageBox::NoButton, parent);
  QPushButton* yes = box.addButton(QStringLiteral("Tak"), QMessageBox::YesRole);
  box.addButton(QStringLiteral("Nie"), QMessageBox::NoRole);
  box.exec();
  return box.clickedButton() == yes;
}

bool run_print_dialog(QWidget* parent, QPrinter& printer) {
  QPrintDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

SaveChangesAnswer ask_save_changes(QWidget* parent, const QString& question) {
  QMessageBox box(QMessageBox::Question, QApplication::applicationName(), question, QMessageBox::NoButton, parent);
  QPushButton* save = box.addButton(QStringLiteral("Zapisz"), QMessageBox::AcceptRole);
  box.setDefaultButton(save);
  const QAbstractButton* discard = box.addButton(QStringLiteral("Nie zapisuj"), QMessageBox::DestructiveRole);
  box.setEscapeButton(box.addButton(QStringLiteral("Anuluj"), QMessageBox::RejectRole));
  box.exec();
  if (box.clickedButton() == save) return SaveChangesAnswer::save;
  if (box.clickedButton() == discard) return SaveChangesAnswer::discard;
  return SaveChangesAnswer::cancel;
}

bool ask_save_before_walk(QWidget* parent, const QString& question) {
  QMessageBox box(QMessageBox::Question, QApplication::applicationName(), question, QMessageBox::NoButton, parent);
  QPushButton* save = box.addButton(QStringLiteral("Zapisz i rozpocznij"), QMessageBox::AcceptRole);
  box.setDefaultButton(save);
  box.setEscapeButton(box.addButton(QStringLiteral("Anuluj"), QMessageBox::RejectRole));
  box.exec();
  return box.clickedButton() == save;
}

QString sentence_text(std::string_view utf8) {
  QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  if (!text.endsWith(u'.')) text += u'.';
  return text;
}

QString file_failure_text(std::string_view what_utf8, const QString& file, std::string_view reason_utf8) {
  const QString reason = sentence_text(reason_utf8);
  return QString::fromUtf8(what_utf8.data(), static_cast<qsizetype>(what_utf8.size())) + u'\n' +
         QDir::toNativeSeparators(file) + QStringLiteral("\n\n") + reason;
}

QString TForm_main::askFileName(const FileDialogSettings& dialog, FileDialogMode mode, bool as_project) {
  QString& last = lastFileNames_[&dialog];
  const QString start = start_file_name(dialog, last);
  const QString chosen = chooseFile(dialog, mode, as_project ? with_project_extension(start) : start);
  if (chosen.isEmpty()) return chosen;
  last = chosen;
  remember_chosen_file(dialog, chosen);
  return chosen;
}
