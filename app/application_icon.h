#pragma once
// The program's icon, the same on both systems: the window's title bar, the
// taskbar and Alt+Tab. The images are made from packaging/zel17.svg at build
// time and carried as a Qt resource.

class QIcon;

// Every size the resource holds, from 16 to 256 px.
QIcon application_icon();

// Sets the icon for every window of the application, and the desktop entry's
// name, by which Wayland desktops find the icon and the program's menu entry.
void set_application_icon();
