// SPDX-License-Identifier: MIT
#pragma once
// "Pomoc" (F1): the engineer's guide in a window of its own, one for the
// program, opened at the section that fits the window F1 was pressed in:
// the main window at the guide's start, the board window at the section of
// the tab it shows. The guide's headings make the sections' names
// (gui/guide_document.h).

#include <QString>
#include <functional>

class HelpWindow;
class QWidget;
class TForm_main;

inline const QString kGuideStartSection = QString::fromUtf8("podręcznik-zel17");
inline const QString kGuideWalkSection = QString::fromUtf8("test-po-kolei-z-oceną");
inline const QString kGuideMonitorSection = QString::fromUtf8("monitor-magistrali");
inline const QString kGuideFieldSection = QString::fromUtf8("próba-z-obiektu");

// The guide's window of the program `window` belongs to, made on first use.
HelpWindow& help_window_for(QWidget& window);

// F1 in `window` opens the guide at section().
void add_help_key(QWidget& window, std::function<QString()> section);

// The main window: F1 and the "Pomoc" button beside "Konsola".
void add_help_to_main_window(TForm_main& window);

// The section of the board window's tab of this title.
QString board_help_section(const QString& tab_title);
