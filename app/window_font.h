// SPDX-License-Identifier: MIT
#pragma once
// The font families that draw the window's "MS Sans Serif" on this platform.
// The window was laid out for that font at 8 points (11 pixels); each
// platform names the TrueType fonts of its own that come closest to it.

#include <QStringList>

QStringList window_font_families();
