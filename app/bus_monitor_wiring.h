// SPDX-License-Identifier: MIT
#pragma once
// The monitor tab as the main window uses it: connected through the
// window's device session (banners, lamp, not-connected notice),
// its status in the window's status bar, the events it shows on the board
// window's lamp picture (every active one combined, or the one selected),
// and the event the user selects in its table selected in both grids.
// The board window places it with one addTab, and stops its controller when
// it closes, as it stops the walk: a run must end while the window that
// connects and disconnects it is still whole.

#include <functional>

class BusMonitorTab;
class TForm_main;

// `running_changed` hears when a run starts and ends: while it runs, the
// window's other device commands and the walk must wait.
BusMonitorTab* make_bus_monitor_tab(TForm_main& window, std::function<void(bool running)> running_changed);
