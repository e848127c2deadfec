#pragma once
// The font families that draw the window's "MS Sans Serif" on this platform.
// The window was laid out for that font at 8 points (11 pixels); each
// platform names the TrueType fonts of its own that come closest to it.

#include <QStringList>

QStringList window_font_families();

// Free fonts of the same width that stand in where a system has none of the
// fonts above. Without one, Qt takes whatever family comes first, which can
// be a math font whose line box is so tall that a line edit centres its text
// out of sight.
inline QStringList window_font_stand_ins() { return {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")}; }
