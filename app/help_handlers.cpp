// SPDX-License-Identifier: MIT
// "Pomoc" (F1): where the guide opens, and how its window asks the user (as
// the main window asks, so the same folders are remembered and tests answer
// in the user's place).

#include "app/help_handlers.h"

#include <QKeySequence>
#include <QPrinter>
#include <QPushButton>
#include <QShortcut>

#include "app/file_dialogs.h"
#include "app/main.h"
#include "gui/anchored_layout.h"
#include "gui/help_window.h"
#include "ui_main_window.h"

namespace {

constexpr FileDialogSettings kGuidePdfDialog{"Zapisz podręcznik jako PDF", "Dokument PDF (*.pdf)", "pdf",
                                             "podrecznik-zel17.pdf", FileKind::report};

// The main window's size its controls were placed for.
constexpr QSize kDesignedSize(850, 614);

// The window all the program's others belong to.
QWidget& program_window(QWidget& window) {
  QWidget* top = window.window();
  while (top->parentWidget()) top = top->parentWidget()->window();
  return *top;
}

void ask_as_main_window(HelpWindow& help, TForm_main& main) {
  help.setUpPrinter = [&main](QPrinter& printer) { return main.setUpPrinter(printer); };
  help.askPdfName = [&main] {
    const QString chosen =
        main.chooseFile(kGuidePdfDialog, FileDialogMode::save, start_file_name(kGuidePdfDialog, QString()));
    if (!chosen.isEmpty()) remember_chosen_file(kGuidePdfDialog, chosen);
    return chosen;
  };
  help.showWarning = [&main](const QString& text) { main.showWarning(text); };
}

}  // namespace

HelpWindow& help_window_for(QWidget& window) {
  QWidget& owner = program_window(window);
  if (auto* help = owner.findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly)) return *help;
  auto* help = new HelpWindow(&owner);
  if (auto* main = qobject_cast<TForm_main*>(&owner)) ask_as_main_window(*help, *main);
  return *help;
}

void add_help_key(QWidget& window, std::function<QString()> section) {
  auto* key = new QShortcut(QKeySequence(Qt::Key_F1), &window);
  key->setContext(Qt::WindowShortcut);
  QObject::connect(key, &QShortcut::activated, &window,
                   [&window, section = std::move(section)] { help_window_for(window).showSection(section()); });
}

void add_help_to_main_window(TForm_main& window) {
  add_help_key(window, [] { return kGuideStartSection; });
  // Beside "Konsola", above the grid's numbers, where the page has room.
  auto* button = new QPushButton(QStringLiteral("Pomoc"), window.ui()->ConfigTabSheet);
  button->setObjectName(QStringLiteral("HelpButton"));
  // A hint as the page's buttons store theirs: the window shows no tool tips.
  button->setProperty("hint", QString::fromUtf8("Podręcznik programu (F1)"));
  button->setGeometry(648, 8, 75, 23);
  // As the page's other buttons: a click leaves the keys with the grid, which they edit.
  button->setFocusPolicy(Qt::TabFocus);
  button->installEventFilter(&window);
  QObject::connect(button, &QPushButton::clicked, &window,
                   [&window] { help_window_for(window).showSection(kGuideStartSection); });
  // It keeps to the right edge with "Konsola" when the window grows.
  auto* layout = new AnchoredLayout(&window, kDesignedSize);
  layout->anchor(button, AnchoredLayout::MovesRight);
  layout->apply();
}

QString board_help_section(const QString& tab_title) {
  if (tab_title == QStringLiteral("Monitor magistrali")) return kGuideMonitorSection;
  if (tab_title == QString::fromUtf8("Próba z obiektu")) return kGuideFieldSection;
  return kGuideWalkSection;
}
