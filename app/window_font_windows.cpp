// SPDX-License-Identifier: MIT
#include "app/window_font.h"

// Windows has "MS Sans Serif" itself, but as a bitmap font: Qt would draw it
// at the nearest bitmap size (too large under wine, blocky and unscaled on a
// high-DPI screen), and a substitution never applies to a font that exists.
// So the window asks for its TrueType kin: "Microsoft Sans Serif", the same
// design as an outline font, then Tahoma; both come with every Windows since
// 2000.
//
// A wine prefix may have neither (Debian's wine leaves its own Tahoma out of
// a new prefix); it sees the host's fonts, so free ones follow. Without them
// Qt takes the first family it knows, which can be a math font whose line
// box is so tall that line edits and spin boxes centre their text out of
// sight. DejaVu Sans comes before Liberation Sans: under wine, Qt's glyphs
// of Liberation Sans at 11 pixels lose their "I" and "!".
QStringList window_font_families() {
  return {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"),
          QStringLiteral("Liberation Sans")};
}
