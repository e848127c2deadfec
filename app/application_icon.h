// SPDX-License-Identifier: MIT
#pragma once
// The program's icon, the same on both systems: the window's title bar, the
// taskbar and Alt+Tab. The images are made from packaging/zel17.svg at build
// time and carried as a Qt resource.

class QIcon;
class QWidget;

// Every size the resource holds, from 16 to 256 px.
QIcon application_icon();

// Sets the icon for every window of the application, and the desktop entry's
// name, by which Wayland desktops find the icon and the program's menu entry.
void set_application_icon();

// The desktop entry's name alone: set before the first window is made.
void set_desktop_file_name();

// Decoding the seven images takes longer than painting the whole window, so
// the icon is set right after `window` is first painted (once per program).
void set_application_icon_after_first_paint(QWidget& window);
