// SPDX-License-Identifier: MIT
#pragma once
// The texts of the window's three file dialogs. Texts are UTF-8; filters are
// in Qt's form ("Name (*.ext);;Other (*.*)"). An empty title leaves the
// dialog's own default title. A dialog of a kind opens in the folder a file
// of that kind was last chosen in, with the recent ones in its history.

#include <QString>

#include "gui/user_settings.h"

class QFileDialog;

struct FileDialogSettings {
  const char* title;
  const char* filter;
  const char* default_suffix;
  const char* proposed_name;
  FileKind kind = FileKind::none;
};

// Saving the configuration.
inline constexpr FileDialogSettings SaveDialog{
    "Zapisz konfigurację modułu ZEL", "Projekt ZEL z nazwami (*.zelp);;Konfiguracja ZEL (*.zel);;Wszystkie pliki (*.*)", "zel",
    "konfiguracja.zel", FileKind::configuration};

// Opening a configuration: the dialog carries the same title as saving.
inline constexpr FileDialogSettings OpenDialog{
    "Zapisz konfigurację modułu ZEL", "Projekt ZEL z nazwami (*.zelp);;Konfiguracja ZEL (*.zel);;Wszystkie pliki (*.*)", "zel",
    "konfiguracja.zel", FileKind::configuration};

// Exporting the table: the format follows the chosen filter or the typed extension.
inline constexpr FileDialogSettings ExportDialog{
    "Eksportuj konfigurację modułu ZEL", "Raport PDF (*.pdf);;Tabela CSV (*.csv)", "pdf", "konfiguracja.pdf",
    FileKind::report};

// The walk's protocol: the format follows the chosen filter or the typed extension.
inline constexpr FileDialogSettings WalkProtocolDialog{
    "Zapisz protokół sprawdzenia", "Protokół PDF (*.pdf);;Tabela CSV (*.csv)", "pdf", "protokol.pdf"};

// The handover document: a PDF only.
inline constexpr FileDialogSettings HandoverProtocolDialog{
    "Zapisz protokół odbioru", "Protokół PDF (*.pdf)", "pdf", "protokol-odbioru.pdf"};

// Saving the console log.
inline constexpr FileDialogSettings SaveConsole{
    "", "Pliki tekstowe (*.txt);;Wszystkie pliki (*.*)", "txt", "log-konsoli.txt", FileKind::console_log};

// Applies title, filter, default suffix and proposed file name. A name typed
// without an extension takes that of the filter chosen last ("pdf", "csv").
void apply_file_dialog_settings(QFileDialog& dialog, const FileDialogSettings& settings);

// Selects the filter of the name's extension, if the dialog has one, and
// makes that extension the default suffix: the name shown and the filter
// chosen agree, and a name typed without an extension takes the filter's.
void select_filter_of(QFileDialog& dialog, const QString& name);

// The name with a project's extension in place of a table's (".zel",
// ".csv", in any case): "obiekt.zel" becomes "obiekt.zelp".
QString with_project_extension(const QString& name);

// The name a dialog shows first: the one last chosen in it this session,
// else the proposed name in the folder last used for its kind.
QString start_file_name(const FileDialogSettings& settings, const QString& last_chosen);

// Notes the chosen file's folder for the next dialog of its kind.
void remember_chosen_file(const FileDialogSettings& settings, const QString& chosen);
