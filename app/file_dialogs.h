#pragma once
// The texts of the window's three file dialogs. Texts are UTF-8; filters are
// in Qt's form ("Name (*.ext);;Other (*.*)"). An empty title leaves the
// dialog's own default title.

class QFileDialog;

struct FileDialogSettings {
  const char* title;
  const char* filter;
  const char* default_suffix;
  const char* proposed_name;
};

// Saving the configuration.
inline constexpr FileDialogSettings SaveDialog{
    "Zapisz konfigurację modułu ZEL", "Konfiguracja ZEL (*.zel);;Wszystkie pliki (*.*)", "zel",
    "konfiguracja.zel"};

// Opening a configuration: the dialog carries the same title as saving.
inline constexpr FileDialogSettings OpenDialog{
    "Zapisz konfigurację modułu ZEL", "Konfiguracja ZEL (*.zel);;Wszystkie pliki (*.*)", "zel",
    "konfiguracja.zel"};

// Exporting the table: the format follows the chosen filter or the typed extension.
inline constexpr FileDialogSettings ExportDialog{
    "Eksportuj konfigurację modułu ZEL", "Raport PDF (*.pdf);;Tabela CSV (*.csv)", "pdf", "konfiguracja.pdf"};

// The walk's protocol: the format follows the chosen filter or the typed extension.
inline constexpr FileDialogSettings WalkProtocolDialog{
    "Zapisz protokół sprawdzenia", "Protokół PDF (*.pdf);;Tabela CSV (*.csv)", "pdf", "protokol.pdf"};

// Saving the console log.
inline constexpr FileDialogSettings SaveConsole{
    "", "Pliki tekstowe (*.txt);;Wszystkie pliki (*.*)", "txt", "log-konsoli.txt"};

// Applies title, filter, default suffix and proposed file name. A name typed
// without an extension takes that of the filter chosen last ("pdf", "csv").
void apply_file_dialog_settings(QFileDialog& dialog, const FileDialogSettings& settings);
