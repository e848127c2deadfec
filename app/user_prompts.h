// SPDX-License-Identifier: MIT
#pragma once
// How the window asks the user something: a file name from a file dialog,
// or an acknowledgement of a warning. The window holds one function object
// of each kind, starting with the real dialogs below, so that tests can
// answer in the user's place.

#include <QString>
#include <functional>
#include <string_view>

class QPrinter;
class QWidget;
struct FileDialogSettings;

enum class FileDialogMode { open, save };

// Returns the chosen file name, or an empty string when the user cancelled.
// `start_file` is the name the dialog shows first.
using FileChooser =
    std::function<QString(const FileDialogSettings& settings, FileDialogMode mode, const QString& start_file)>;
using WarningBox = std::function<void(const QString& text)>;

// Unsaved changes before the window closes or a new configuration replaces them.
enum class SaveChangesAnswer { save, discard, cancel };
using SaveChangesPrompt = std::function<SaveChangesAnswer(const QString& question)>;
inline constexpr const char* kSaveBeforeClosing = "Konfiguracja została zmieniona. Zapisać zmiany przed zamknięciem?";
inline constexpr const char* kSaveBeforeNew =
    "Konfiguracja została zmieniona. Zapisać zmiany przed utworzeniem nowej?";
// A question answered "Tak" (true) or "Nie".
using YesNoPrompt = std::function<bool(const QString& question)>;
// Before a walk over a grid not saved: "Zapisz i rozpocznij" (true) or "Anuluj".
using SaveBeforeWalkPrompt = std::function<bool(const QString& question)>;
// Sets up the printer to print on; false when the user cancelled.
using PrinterSetup = std::function<bool(QPrinter& printer)>;

// The toolkit's own file dialog (not the platform's), so it looks and
// behaves the same everywhere. An existing file is replaced without asking.
QString run_file_dialog(QWidget* parent, const FileDialogSettings& settings, FileDialogMode mode,
                        const QString& start_file);

// A modal warning box titled with the application's name.
void show_warning_box(QWidget* parent, const QString& text);

// A modal question box with "Tak" and "Nie"; closing it is "Nie".
bool ask_yes_no(QWidget* parent, const QString& question);
// The system's print dialog.
bool run_print_dialog(QWidget* parent, QPrinter& printer);

// `question`, answered "Zapisz", "Nie zapisuj" or "Anuluj" (also when the box is closed).
SaveChangesAnswer ask_save_changes(QWidget* parent, const QString& question);
// "Zapisz i rozpocznij" or "Anuluj" (also when the box is closed).
bool ask_save_before_walk(QWidget* parent, const QString& question);

// A reason as a sentence: the first letter capitalised, a full stop at the end.
QString sentence_text(std::string_view utf8);

// The text of a failed file operation: what failed, the file, and the
// reason as a sentence ("Nie udało się ...\n/home/x.zel\n\nPlik nie istnieje.").
QString file_failure_text(std::string_view what_utf8, const QString& file, std::string_view reason_utf8);
