#include "app/window_font.h"

// Windows has "MS Sans Serif" itself, but as a bitmap font: Qt would draw it
// at the nearest bitmap size (too large under wine, blocky and unscaled on a
// high-DPI screen), and a substitution never applies to a font that exists.
// So the window asks for its TrueType kin: "Microsoft Sans Serif", the same
// design as an outline font, then Tahoma; both come with every Windows since
// 2000. A wine prefix may have neither (Debian's wine leaves its own Tahoma
// out of a new prefix), but it sees the host's fonts: the stand-ins then.
QStringList window_font_families() {
  return QStringList{QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma")} + window_font_stand_ins();
}
